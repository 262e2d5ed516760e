#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// Script files are 8-bit text, decoded in one way by everything that reads
// them (DecodeScript): a file whose bytes are all valid UTF-8 is UTF-8, and a
// UTF-8 byte-order mark at its start is no text; any other file is Latin-1,
// every byte its own character. The whole file decides, bytes after a NUL
// included. A line ends at CR LF, LF or CR, and a NUL ends the text that the
// catalogue and the bind table read (the editor shows all of it).

// The encodings a script file is read in.
enum class ScriptEncoding { Utf8, Latin1 };

// The line ends a script file is written with.
enum class LineEnd { Lf, CrLf, Cr };

// How a script file is written. Encoding a file's text in the form it was
// decoded with gives back the file's bytes.
struct ScriptForm {
    ScriptEncoding encoding = ScriptEncoding::Utf8;
    // A UTF-8 byte-order mark before the text; never with Latin-1.
    bool byteOrderMark = false;
    // The line end used most in the file (the first one of those used
    // equally often): the one a new line gets.
    LineEnd lineEnd = LineEnd::Lf;

    friend bool operator==(const ScriptForm&, const ScriptForm&) = default;
};

// A script file's whole text, line ends and NULs as in the file, the
// byte-order mark left out, and the form it was written in.
struct DecodedScript {
    QString text;
    ScriptForm form;
};

// The one decoding of a script file's bytes.
DecodedScript DecodeScript(QByteArrayView bytes);

// The form in which text is written so that decoding the bytes gives back
// the same text: form itself, or UTF-8 when form is Latin-1 and the text has
// characters Latin-1 lacks or its Latin-1 bytes would read as UTF-8. A text
// starting with U+FEFF keeps it behind a byte-order mark.
ScriptForm WritableForm(QStringView text, const ScriptForm& form);

// The bytes of text in form, with the byte-order mark when it has one. Line
// ends are written as they are in text.
QByteArray EncodeScript(QStringView text, const ScriptForm& form);

// The characters of a line end.
QStringView LineEndText(LineEnd end);

// Splits text into lines at CR LF, LF or CR. A final line end adds no empty
// line; the empty text gives no line at all.
QStringList SplitLines(QStringView text);

// The largest file read as a script. Anything bigger is no script a person
// wrote, and would fill the memory (a link to /dev/zero grows without end).
inline constexpr qint64 kScriptSizeLimit = 64 * 1024 * 1024;

// Reads a whole script file. Only a regular file (after following links) of
// at most kScriptSizeLimit bytes is read; it is opened without ever waiting
// (a FIFO put in its place is refused, not waited on). Throws
// orvexa::Exception with "Cannot open file %s" otherwise.
QByteArray ReadScriptBytes(const QString& fileName);

// ReadScriptBytes decoded by DecodeScript.
DecodedScript ReadScriptText(const QString& fileName);

// The text of ReadScriptText up to its first NUL, split into lines.
QStringList ReadScriptLines(const QString& fileName);

// Writes text to a file in WritableForm(text, form), in full or not at all
// (a failed write leaves the old file), and returns the form written. Where
// no temporary file can be made beside it, a file that may be written is
// written in place. Throws orvexa::Exception with "Cannot create file %s"
// when the file cannot be written.
ScriptForm WriteScriptText(const QString& fileName, QStringView text, const ScriptForm& form);

// Removes leading and trailing characters whose code is 32 or less.
QString TrimControl(QStringView text);

// True when a regular file of that name exists (after following links).
// Directories, FIFOs, devices and sockets are not files: they may be listed,
// but are never opened.
bool FileExists(const QString& fileName);

}  // namespace orvexa
