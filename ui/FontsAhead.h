#pragma once

#include <thread>

namespace orvexa::ui {

// The fonts a start needs, found on threads of their own while the program
// connects to the display and makes its windows: with many fonts installed,
// finding them takes a good part of a start. Whoever needs them first and
// finds them not ready finds them itself; the result is the same either
// way. Each waits for its thread at destruction.

// The desktop's font configuration (fontconfig's files and caches), from
// the first line of a start.
class FontConfigurationAhead {
public:
    FontConfigurationAhead();
    ~FontConfigurationAhead();
    FontConfigurationAhead(const FontConfigurationAhead&) = delete;
    FontConfigurationAhead& operator=(const FontConfigurationAhead&) = delete;

private:
    std::thread thread_;
};

// The toolkit's font database filled and the windows' font matched, once
// the application object exists (and for no longer than it does).
class FontDatabaseAhead {
public:
    FontDatabaseAhead();
    ~FontDatabaseAhead();
    FontDatabaseAhead(const FontDatabaseAhead&) = delete;
    FontDatabaseAhead& operator=(const FontDatabaseAhead&) = delete;

private:
    std::thread thread_;
};

}  // namespace orvexa::ui
