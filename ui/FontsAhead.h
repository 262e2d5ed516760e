#pragma once

#include <thread>

namespace orvexa::ui {

// Reads the desktop's font configuration (fontconfig's files and caches) on
// a thread of its own, from construction on, so that the first window's
// first text finds it read: the program meanwhile connects to the display
// and makes its windows. Reading it takes a good part of a start with many
// fonts installed. Whoever needs it first and finds it unread reads it
// too; the configuration is the same either way. Joined at destruction.
class FontsAhead {
public:
    FontsAhead();
    ~FontsAhead();
    FontsAhead(const FontsAhead&) = delete;
    FontsAhead& operator=(const FontsAhead&) = delete;

private:
    std::thread thread_;
};

}  // namespace orvexa::ui
