#pragma once

#include <QColor>
#include <QLabel>

#include <memory>

namespace orvexa::platform {
class Shell;
}

namespace orvexa {

enum class TLType { Normal, URL, Mail, Exe };

// A label that opens its caption as a web address, a mail address or a
// program when clicked, and changes colour while the mouse is over it.
class THLLabel : public QLabel {
    Q_OBJECT
public:
    explicit THLLabel(QWidget* owner = nullptr);

    QColor FontColorIn() const { return fontColorIn_; }
    void SetFontColorIn(const QColor& color) { fontColorIn_ = color; }
    QColor FontColorOut() const { return fontColorOut_; }
    void SetFontColorOut(const QColor& color) { fontColorOut_ = color; }
    TLType LType() const { return lType_; }
    void SetLType(TLType type);
    // A fixed credit line of the control; assigning it changes nothing.
    QString Copyright() const { return copyright_; }
    void SetCopyright(const QString&) {}
    bool Hovering() const { return hovering_; }

    // What opens the target; without it a click only emits Clicked.
    void SetShell(std::shared_ptr<platform::Shell> shell) { shell_ = std::move(shell); }

    // What a click opens, by LType; empty for Normal.
    QString Target() const;
    void MouseEnter();
    void MouseLeave();
    void Click();

signals:
    // The mouse came over the label; its colour is FontColorIn already.
    void MouseOver(THLLabel* sender);
    // The mouse left the label; its colour is FontColorOut already.
    void MouseOut(THLLabel* sender);
    // A click, before the target is opened.
    void Clicked(THLLabel* sender);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetShownColor(const QColor& color);

    std::shared_ptr<platform::Shell> shell_;

    QColor fontColorIn_{255, 255, 0};
    QColor fontColorOut_{0, 0, 0};
    TLType lType_ = TLType::Normal;
    QString copyright_;
    bool hovering_ = false;
};

}  // namespace orvexa
