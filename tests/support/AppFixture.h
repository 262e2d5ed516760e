#pragma once

#include "tests/support/QtPrinters.h"
#include "app/FormMain.h"
#include "app/Startup.h"
#include "platform/Services.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>

namespace orvexa::test {

// A working directory, scripted dialogs and the program's windows, created
// in start-up order. Scripts are written before Start() shows the window.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dialogs = platform::ScriptedDialogs::InstallAlone();
    }
    void TearDown() override {
        windows = Windows();
        platform::Install(platform::Services());
    }

    void Start() {
        windows = CreateWindows();
        main()->show();
    }
    TFormMain* main() const { return windows.FormMain.get(); }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < main()->ComboBoxScript->count(); ++i)
            items.append(main()->ComboBoxScript->itemText(i));
        return items;
    }
    QString Description() const { return main()->RichEditDesc->toPlainText(); }
    void Select(int index) {
        main()->ComboBoxScript->setCurrentIndex(index);
        main()->ComboBoxScriptChange();
    }

    WorkingDir dir;
    platform::ScriptedDialogs* dialogs = nullptr;
    Windows windows;
};

}  // namespace orvexa::test
