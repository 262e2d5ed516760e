#pragma once

#include <QDialog>
#include <QRect>

#include <utility>
#include <vector>

class QLabel;
class QPushButton;

namespace orvexa {

class THLLabel;

// The About box: title, version, credits, a picture and a hyperlink. Made
// once at start-up and reused; its texts are set anew before each showing.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    void FormCreate();
    // Gives every text the room its font needs: the layout's places were made
    // for a narrower font than a Linux desktop has. Each label keeps its
    // place (a centred one its centre, the others their left edge) and grows
    // where its text is wider or taller. Done at each showing, after the
    // texts have been set.
    void FitTexts();

    QLabel* Image1 = nullptr;
    QLabel* LabelTitle = nullptr;
    QLabel* LabelVersion = nullptr;
    QLabel* LabelLibVersion = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelProducedBy1 = nullptr;
    QLabel* LabelProducedBy2 = nullptr;
    QLabel* LabelProducedBy3 = nullptr;
    QLabel* LabelProducedBy4 = nullptr;
    THLLabel* HLLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Every label with the place the layout gives it.
    std::vector<std::pair<QLabel*, QRect>> places_;
};

}  // namespace orvexa
