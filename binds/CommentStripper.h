#pragma once

#include <QString>

#include <vector>

namespace orvexa {

// Removes the comments of Python code, one line at a time, the way Python's
// own tokenizer tells them from string literals: a "#" starts a comment only
// outside every string. Strings are read with their prefixes (r, b, u, f, t
// and their combinations, in either case), their escapes (a backslash hides
// the next character from the string's end, in raw strings too), triple
// quotes, and the replacement fields of f-strings, which are code again and
// may hold strings and comments of their own.
//
// Lines are given in file order: a string still open at the end of a line
// (a triple-quoted one, or one whose line ends in a backslash) goes on in the
// next line, which then begins inside it. A single-quoted string that its
// line leaves unterminated ends there, as Python would refuse it there.
class CommentStripper {
public:
    // The line without its comment (from its "#" to the end); nothing else
    // changes, nothing is trimmed.
    QString Strip(const QString& line);
    // The next line begins inside a string literal.
    bool InString() const;
    // Forgets every open string: the next line is read as a line of its own.
    void Reset() { open_.clear(); }

private:
    struct Context {
        enum class Kind { String, Field, FormatSpec };
        Kind kind = Kind::String;
        QChar quote;
        bool triple = false;
        bool raw = false;
        bool formatted = false;
        int brackets = 0;  // open brackets of a replacement field
    };

    // The reading position's context; none at the top level of the code.
    Context* Top() { return open_.empty() ? nullptr : &open_.back(); }
    // At `i`, in code: a string starts at its quote; the letters before it
    // are its prefix. Returns the index after the opening quotes, or -1.
    qsizetype OpenString(const QString& line, qsizetype i);
    // The index after the character at `i`, read inside the string on top.
    qsizetype InsideString(const QString& line, qsizetype i, bool& escapedEnd);
    // The index after the character at `i`, read in a replacement field or
    // its format specifier.
    qsizetype InsideField(const QString& line, qsizetype i);
    // Whether the quotes that close the string `s` stand at `i`.
    static bool ClosesAt(const QString& line, qsizetype i, const Context& s);
    // Ends the string on top and whatever fields lie above it.
    void CloseString();

    std::vector<Context> open_;
};

}  // namespace orvexa
