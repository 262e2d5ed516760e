#pragma once

#include "platform/KeyCapture.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

namespace orvexa {

// The characters the user has just typed, kept for the TEXT binds of the
// running script: only as many as its longest abbreviation, only in memory,
// and the abbreviation they end with as soon as its last character is typed.
//
// BackSpace takes back the last character. Whatever else makes the text
// unknown forgets them all: a click, a change of the focused window, a key
// that types no character or types a control character (an arrow, Return,
// Tab, Delete), and any key held with Control, Alt or Super (a shortcut,
// which types nothing the text field shows). Modifier keys and dead keys
// waiting for their next key change nothing.
class TypedAbbreviations {
public:
    // Abbreviations compared exactly, character for character; empty ones
    // never match.
    explicit TypedAbbreviations(const QStringList& abbreviations);

    // Takes one report of the typing watch: the abbreviation the typed text
    // ends with now (the longest, when it ends with several), or empty. The
    // characters are forgotten once an abbreviation is found.
    QString Take(const platform::Typing& typing);
    void Forget() { typed_.clear(); }

    // The characters kept now.
    std::size_t Kept() const { return typed_.size(); }
    // The length of the longest abbreviation: no more is ever kept.
    std::size_t Longest() const { return longest_; }

private:
    // Longest first, so that "btw" wins over "tw" typed with it.
    std::vector<std::u32string> abbreviations_;
    std::size_t longest_ = 0;
    std::u32string typed_;
    std::uint64_t focus_ = 0;
};

// An abbreviation's length in characters: the BackSpaces that erase it.
qsizetype CharacterCount(const QString& text);

}  // namespace orvexa
