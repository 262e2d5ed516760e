#include "platform/qt/QtDialogs.h"

#include "core/Strings.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace orvexa::platform {
namespace {

class QtDialogs final : public Dialogs {
public:
    void ShowError(const QString& text) override { Box(QMessageBox::Critical, QApplication::applicationName(), text); }

    void ShowFatal(const QString& text) override { Box(QMessageBox::Critical, strings::FatalCaption(), text); }

    void ShowNotice(const QString& text) override { Box(QMessageBox::NoIcon, QApplication::applicationName(), text); }

    bool Confirm(const QString& text) override {
        QMessageBox box(QMessageBox::Question, strings::ConfirmCaption(), text, QMessageBox::NoButton,
                        QApplication::activeWindow());
        QPushButton* yes = box.addButton(strings::Yes(), QMessageBox::YesRole);
        QPushButton* no = box.addButton(strings::No(), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() != no;
    }

    std::optional<QString> InputQuery(const QString& caption, const QString& prompt, int maxLength) override {
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(caption);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(prompt, &dialog));
        auto* edit = new QLineEdit(&dialog);
        edit->setMaxLength(maxLength);
        layout->addWidget(edit);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Ok)->setText(strings::Ok());
        buttons->button(QDialogButtonBox::Cancel)->setText(strings::Cancel());
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        dialog.adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            dialog.move(screen->geometry().center() - dialog.rect().center());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return edit->text();
    }

    // Both dialogs start in the working directory: it is where the scripts
    // are, and where an Open moved it (not wherever a dialog last went).
    QString OpenFileName(QWidget* parent, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, QString(), QDir::currentPath(), filter);
    }

    QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                         const QString& preset) override {
        QFileDialog dialog(parent, QString(), QDir::currentPath(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.selectFile(preset);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

private:
    static void Box(QMessageBox::Icon icon, const QString& caption, const QString& text) {
        QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
        box.addButton(strings::Ok(), QMessageBox::AcceptRole);
        box.exec();
    }
};

}  // namespace

std::unique_ptr<Dialogs> CreateQtDialogs() { return std::make_unique<QtDialogs>(); }

}  // namespace orvexa::platform
