#pragma once

#include <QWidget>

#include <memory>

class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace orvexa::platform {
class KeyStore;
}

namespace orvexa {

// The Output window: everything scripts print and every traceback. Closing
// it only hides it; lines keep arriving while it is hidden. Long lines wrap,
// so that each is read from its start.
//
// Its place and size are kept in the key store (under kPlaceKey) each time
// it hides, and it opens there the next time the program starts; the first
// time, it opens beside the window that shows it.
class TFormOutput : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kPlaceKey = "\\Software\\Orvexa\\OutputWindow";
    // The size it first opens at: room for a traceback's lines.
    static constexpr int kFirstWidth = 600;
    static constexpr int kFirstHeight = 360;

    explicit TFormOutput(QWidget* parent = nullptr);
    ~TFormOutput() override;

    QPlainTextEdit* RichEditOutput = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* ButtonClose = nullptr;
    QPushButton* ButtonClear = nullptr;

    void ButtonCloseClick();
    void ButtonClearClick();

    // Where the window's place is kept; none: it is not kept.
    void SetPlaceStore(std::shared_ptr<platform::KeyStore> store);

    // Shows the window in front, then gives the focus back to the control of
    // the window that asked for it.
    void ShowFor(QWidget* asker);
    // Shows the window in front without taking the focus from anywhere (a
    // traceback arrived while the user works elsewhere).
    void ShowWithoutFocus(QWidget* beside);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Before the first show: the kept place, or beside `anchor`.
    void PlaceBeforeFirstShow(const QWidget* anchor);
    void KeepPlace();

    std::shared_ptr<platform::KeyStore> placeStore_;
    bool placed_ = false;
};

}  // namespace orvexa
