#pragma once

#include <future>
#include <thread>

namespace orvexa::ui {

// The fonts a start needs, found on a thread of its own while the program
// connects to the display and makes its windows: with many fonts installed,
// finding them takes a good part of a start. Whoever needs them first and
// finds them not ready finds them itself; the result is the same either way.
//
// One thread does it all, in order: fontconfig does not wait for a
// configuration another thread is reading, a second reader reads it all
// again beside the first.

// From the first line of a start: the thread, which reads the desktop's font
// configuration (fontconfig's files and caches), then waits to be told to go
// on (FontDatabaseAhead) or to end (this object's destruction).
class FontConfigurationAhead {
public:
    FontConfigurationAhead();
    ~FontConfigurationAhead();
    FontConfigurationAhead(const FontConfigurationAhead&) = delete;
    FontConfigurationAhead& operator=(const FontConfigurationAhead&) = delete;

    // Returns once the configuration has been read. The caller's first use
    // of fonts comes after it, so that it does not read it a second time.
    void WaitUntilRead() const;

private:
    friend class FontDatabaseAhead;
    // True: go on to the toolkit's font database; false: end.
    void GoOn(bool database);
    void Join();

    std::promise<bool> goOn_;
    bool told_ = false;
    std::shared_future<void> read_;
    std::thread thread_;
};

// Once the application object exists, and for no longer than it does: the
// thread fills the toolkit's font database and matches the windows' fonts
// (the toolkit keeps the fallback families of a font for every thread).
class FontDatabaseAhead {
public:
    explicit FontDatabaseAhead(FontConfigurationAhead& fonts);
    // Waits for the thread.
    ~FontDatabaseAhead();
    FontDatabaseAhead(const FontDatabaseAhead&) = delete;
    FontDatabaseAhead& operator=(const FontDatabaseAhead&) = delete;

private:
    FontConfigurationAhead& fonts_;
};

}  // namespace orvexa::ui
