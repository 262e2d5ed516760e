#pragma once

#include "app/FormMain.h"
#include "app/Startup.h"
#include "automation/ProgramContext.h"
#include "platform/Services.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>

#include <memory>

namespace orvexa::test {

// A working directory, scripted dialogs and the program's windows, created
// in start-up order. Scripts are written, and services added, before
// Start() (or the first Context()) makes the program's context.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override { services.dialogs = scripted; }
    void TearDown() override {
        windows = Windows();
        context.reset();
    }

    // The program's context, made from `services` on first use.
    ProgramContext& Context() {
        if (!context)
            context = std::make_unique<ProgramContext>(services, QCoreApplication::instance());
        return *context;
    }
    void Start() {
        windows = CreateWindows(Context());
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
    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
    platform::Services services;
    std::unique_ptr<ProgramContext> context;
    Windows windows;
};

}  // namespace orvexa::test
