#pragma once

#include <QDialog>

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
};

}  // namespace orvexa
