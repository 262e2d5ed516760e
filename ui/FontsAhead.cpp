#include "ui/FontsAhead.h"

#include "ui/FormFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <fontconfig/fontconfig.h>

namespace orvexa::ui {

FontConfigurationAhead::FontConfigurationAhead() {
    std::promise<void> read;
    read_ = read.get_future().share();
    thread_ = std::thread([read = std::move(read), goOn = goOn_.get_future()]() mutable {
        FcInit();
        read.set_value();
        if (!goOn.get())
            return;
        // The font database may be used from any thread.
        QFontDatabase::families();
        QFontInfo(FormFont()).family();
        QFontInfo(QGuiApplication::font()).family();
    });
}

FontConfigurationAhead::~FontConfigurationAhead() {
    GoOn(false);
    Join();
}

void FontConfigurationAhead::WaitUntilRead() const { read_.wait(); }

void FontConfigurationAhead::GoOn(bool database) {
    if (told_)
        return;
    told_ = true;
    goOn_.set_value(database);
}

void FontConfigurationAhead::Join() {
    if (thread_.joinable())
        thread_.join();
}

FontDatabaseAhead::FontDatabaseAhead(FontConfigurationAhead& fonts) : fonts_(fonts) { fonts_.GoOn(true); }

FontDatabaseAhead::~FontDatabaseAhead() { fonts_.Join(); }

}  // namespace orvexa::ui
