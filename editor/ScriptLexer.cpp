#include "editor/ScriptLexer.h"

#include <Qsci/qsciscintilla.h>

#include <QPalette>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace orvexa {
namespace {

// A line's state at its end, as kept in its line state. Zero is the state
// before the first line.
constexpr int kInCode = 1;           // a bind header came before
constexpr int kInDescription = 2;    // between //LONGDESC: and //ENDLONGDESC
constexpr int kDescriptionSeen = 4;  // the first //LONGDESC: came; later ones start nothing
constexpr int kStringOpen = 8;       // the next line begins inside a string
constexpr int kStringTriple = 16;
constexpr int kStringDouble = 32;
constexpr int kStringRaw = 64;
constexpr int kStringFormatted = 128;
constexpr int kFieldShift = 8;  // open replacement fields of an f-string, 0 to 15
constexpr int kFieldMask = 15 << kFieldShift;

constexpr std::string_view kBindMarker = "//BIND";
constexpr std::string_view kShortMarker = "//SHORTDESC:";
constexpr std::string_view kLongMarker = "//LONGDESC:";
constexpr std::string_view kEndLongMarker = "//ENDLONGDESC";

constexpr std::array<std::string_view, 35> kKeywords = {
    "False", "None",     "True",  "and",    "as",   "assert", "async",  "await",    "break",
    "class", "continue", "def",   "del",    "elif", "else",   "except", "finally",  "for",
    "from",  "global",   "if",    "import", "in",   "is",     "lambda", "nonlocal", "not",
    "or",    "pass",     "raise", "return", "try",  "while",  "with",   "yield"};

// The prefixes a string literal may have, in either case.
constexpr std::array<std::string_view, 11> kStringPrefixes = {"r",  "u",  "f",  "b",  "t", "br",
                                                              "rb", "fr", "rf", "tr", "rt"};

// A string literal that is open: where the reading is inside it.
struct OpenString {
    char quote = '\'';
    bool triple = false;
    bool raw = false;
    bool formatted = false;
    int fields = 0;  // replacement fields open
};

int StateOf(const OpenString& s) {
    return kStringOpen | (s.triple ? kStringTriple : 0) | (s.quote == '"' ? kStringDouble : 0) |
           (s.raw ? kStringRaw : 0) | (s.formatted ? kStringFormatted : 0) | (std::min(s.fields, 15) << kFieldShift);
}

std::optional<OpenString> OpenStringOf(int state) {
    if (!(state & kStringOpen))
        return std::nullopt;
    return OpenString{(state & kStringDouble) ? '"' : '\'', (state & kStringTriple) != 0, (state & kStringRaw) != 0,
                      (state & kStringFormatted) != 0, (state & kFieldMask) >> kFieldShift};
}

bool IsWordByte(unsigned char c) {
    return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\f'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsStringPrefix(std::string_view word) {
    if (word.size() > 2)
        return false;
    std::string lower(word);
    for (char& c : lower)
        c = Lower(c);
    for (std::string_view prefix : kStringPrefixes)
        if (prefix == lower)
            return true;
    return false;
}

bool IsKeyword(std::string_view word) {
    for (std::string_view keyword : kKeywords)
        if (keyword == word)
            return true;
    return false;
}

// Styles one line of Python code (its bytes without the line end).
class CodeLine {
public:
    CodeLine(std::string_view line, std::vector<unsigned char>& styles, std::string_view moduleName)
        : line_(line), styles_(styles), moduleName_(moduleName) {}

    // Reads the line from `open` (a string continued from the line before,
    // or none); returns the string still open at its end.
    std::optional<OpenString> Read(std::optional<OpenString> open);
    // Where the comment begins; the line's size when it has none.
    size_t CommentStart() const { return commentStart_; }

private:
    struct StringEnd {
        size_t end;
        bool open;          // goes on in the next line
        bool unterminated;  // ends with its line, unclosed
    };
    // Reads inside the string from `i` to where it closes.
    StringEnd InsideString(size_t i, OpenString& s) const;
    // A string from its start (its prefix, if any) at `start`, its quote at
    // `quote`. Returns the string if it stays open.
    std::optional<OpenString> ReadString(size_t start, size_t quote, std::string_view prefix, size_t& next);
    void Fill(size_t from, size_t to, ScriptLexer::Style style) {
        for (size_t k = from; k < to && k < styles_.size(); ++k)
            styles_[k] = static_cast<unsigned char>(style);
    }
    size_t Word(size_t i) const {
        while (i < line_.size() && IsWordByte(static_cast<unsigned char>(line_[i])))
            ++i;
        return i;
    }

    std::string_view line_;
    std::vector<unsigned char>& styles_;
    std::string_view moduleName_;
    size_t commentStart_ = std::string_view::npos;
};

CodeLine::StringEnd CodeLine::InsideString(size_t i, OpenString& s) const {
    const size_t n = line_.size();
    while (i < n) {
        const char c = line_[i];
        if (c == '\\') {  // hides the next character from the string's end, in raw strings too
            i += 2;
            continue;
        }
        if (s.formatted) {
            if (c == '{') {
                if (s.fields == 0 && i + 1 < n && line_[i + 1] == '{') {
                    i += 2;
                    continue;
                }
                ++s.fields;
                ++i;
                continue;
            }
            if (c == '}' && s.fields > 0) {
                --s.fields;
                ++i;
                continue;
            }
            if (s.fields > 0 && (c == '\'' || c == '"') && c != s.quote) {
                // A string inside a replacement field.
                const size_t close = line_.find(c, i + 1);
                i = close == std::string_view::npos ? n : close + 1;
                continue;
            }
        }
        if (s.fields == 0 && c == s.quote) {
            if (!s.triple)
                return {i + 1, false, false};
            if (i + 2 < n && line_[i + 1] == s.quote && line_[i + 2] == s.quote)
                return {i + 3, false, false};
        }
        ++i;
    }
    // At the end of the line: a triple-quoted string goes on, and so does
    // one whose line ends in a backslash.
    const bool continued = i > n;
    if (s.triple || continued)
        return {n, true, false};
    return {n, false, true};
}

std::optional<OpenString> CodeLine::ReadString(size_t start, size_t quote, std::string_view prefix, size_t& next) {
    OpenString s;
    s.quote = line_[quote];
    for (char c : prefix) {
        s.raw = s.raw || Lower(c) == 'r';
        s.formatted = s.formatted || Lower(c) == 'f' || Lower(c) == 't';
    }
    size_t body = quote + 1;
    if (quote + 2 < line_.size() && line_[quote + 1] == s.quote && line_[quote + 2] == s.quote) {
        s.triple = true;
        body = quote + 3;
    }
    const StringEnd end = InsideString(body, s);
    Fill(start, end.end, end.unterminated ? ScriptLexer::UnclosedString : ScriptLexer::String);
    next = end.end;
    return end.open ? std::optional<OpenString>(s) : std::nullopt;
}

std::optional<OpenString> CodeLine::Read(std::optional<OpenString> open) {
    const size_t n = line_.size();
    size_t i = 0;
    if (open) {
        const StringEnd end = InsideString(0, *open);
        Fill(0, end.end, end.unterminated ? ScriptLexer::UnclosedString : ScriptLexer::String);
        if (end.open)
            return open;
        i = end.end;
    }
    bool definitionNext = false;
    while (i < n) {
        const auto c = static_cast<unsigned char>(line_[i]);
        if (c == '#') {
            commentStart_ = i;
            Fill(i, n, ScriptLexer::Comment);
            return std::nullopt;
        }
        if (IsBlank(c)) {
            Fill(i, i + 1, ScriptLexer::Default);
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') {
            size_t next = i;
            if (auto still = ReadString(i, i, {}, next))
                return still;
            i = next;
            continue;
        }
        if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(static_cast<unsigned char>(line_[i + 1])))) {
            const bool hex = c == '0' && i + 1 < n && Lower(line_[i + 1]) == 'x';
            size_t j = i + 1;
            while (j < n) {
                const char d = line_[j];
                const bool sign = (d == '+' || d == '-') && !hex && Lower(line_[j - 1]) == 'e';
                if (!IsWordByte(static_cast<unsigned char>(d)) && d != '.' && !sign)
                    break;
                ++j;
            }
            Fill(i, j, ScriptLexer::Number);
            i = j;
            continue;
        }
        if (IsWordByte(c)) {
            const size_t j = Word(i);
            const std::string_view word = line_.substr(i, j - i);
            if (j < n && (line_[j] == '\'' || line_[j] == '"') && IsStringPrefix(word)) {
                size_t next = j;
                if (auto still = ReadString(i, j, word, next))
                    return still;
                i = next;
                continue;
            }
            ScriptLexer::Style style = ScriptLexer::Default;
            if (IsKeyword(word)) {
                style = ScriptLexer::Keyword;
                definitionNext = word == "def" || word == "class";
            } else if (definitionNext) {
                style = ScriptLexer::Definition;
                definitionNext = false;
            } else if (!moduleName_.empty() && word == moduleName_) {
                style = ScriptLexer::ModuleName;
            }
            Fill(i, j, style);
            i = j;
            continue;
        }
        if (c == '@' && line_.find_first_not_of(" \t\f") == i) {
            size_t j = i + 1;
            while (j < n && (IsWordByte(static_cast<unsigned char>(line_[j])) || line_[j] == '.'))
                ++j;
            Fill(i, j, ScriptLexer::Decorator);
            i = j;
            continue;
        }
        Fill(i, i + 1, ScriptLexer::Operator);
        ++i;
    }
    return std::nullopt;
}

bool Contains(std::string_view text, std::string_view marker) { return text.find(marker) != std::string_view::npos; }

// Styles one line (its bytes without the line end) that begins in state
// `in`; returns the state it ends in. `styles` gets one style per byte, and
// `endStyle` the style of its line end.
int StyleLine(std::string_view line, int in, std::vector<unsigned char>& styles, unsigned char& endStyle,
              std::string_view moduleName) {
    styles.assign(line.size(), ScriptLexer::Default);
    endStyle = ScriptLexer::Default;
    const bool inCode = (in & kInCode) != 0;
    // Lines before the first bind header are read each on its own.
    CodeLine code(line, styles, moduleName);
    const std::optional<OpenString> open = code.Read(inCode ? OpenStringOf(in) : std::nullopt);
    const size_t codeEnd = open ? line.size() : std::min(code.CommentStart(), line.size());
    const auto whole = [&](ScriptLexer::Style style) {
        styles.assign(line.size(), style);
        endStyle = style;
    };
    // A "//BIND" outside a comment opens a section, also inside a string.
    if (Contains(line.substr(0, codeEnd), kBindMarker)) {
        whole(ScriptLexer::BindHeader);
        return kInCode | (in & kDescriptionSeen);
    }
    if (inCode) {
        if (open) {
            endStyle = ScriptLexer::String;
            return kInCode | (in & kDescriptionSeen) | StateOf(*open);
        }
        return kInCode | (in & kDescriptionSeen);
    }
    int out = in & (kInDescription | kDescriptionSeen);
    if (in & kInDescription) {
        if (Contains(line, kEndLongMarker)) {
            whole(ScriptLexer::Header);
            out &= ~kInDescription;
        } else {
            whole(ScriptLexer::Description);
        }
    } else if (Contains(line, kLongMarker) && !(in & kDescriptionSeen)) {
        whole(ScriptLexer::Header);
        out |= kInDescription | kDescriptionSeen;
    } else if (Contains(line, kShortMarker) || Contains(line, kLongMarker) || Contains(line, kEndLongMarker)) {
        whole(ScriptLexer::Header);
    }
    // Other lines before the first bind are styled as the code being
    // written that they most likely are.
    return out;
}

// The look of one style.
// Colours only: a bold or italic face would make every line taller (a
// line is as high as the tallest style's font).
struct Look {
    QRgb light;
    QRgb dark;
    // A band behind the whole line (0: the editor's base colour).
    QRgb lightBand;
    QRgb darkBand;
};

// Indexed by ScriptLexer::Style; 0 as a colour is the palette's text.
const std::array<Look, ScriptLexer::kStyleCount> kLooks = {{
    // light, dark, light band, dark band
    {0, 0, 0, 0},                              // Default
    {0x6a737d, 0x8b949e, 0, 0},                // Comment
    {0x098658, 0xb5cea8, 0, 0},                // Number
    {0xa31515, 0xce9178, 0, 0},                // String
    {0xd00000, 0xf48771, 0, 0},                // UnclosedString
    {0x0000c0, 0x569cd6, 0, 0},                // Keyword
    {0x795e26, 0xdcdcaa, 0, 0},                // Definition
    {0, 0, 0, 0},                              // Operator
    {0xaf00db, 0xc586c0, 0, 0},                // Decorator
    {0x267f99, 0x4ec9b0, 0, 0},                // ModuleName
    {0x5b2c9f, 0xc5a5f5, 0xf1ecf9, 0x332d45},  // Header
    {0x4d4266, 0xc0b6d6, 0xf1ecf9, 0x332d45},  // Description
    {0x00508a, 0x9cdcfe, 0xdcebf7, 0x1e3a50},  // BindHeader
}};

}  // namespace

ScriptLexer::ScriptLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString ScriptLexer::description(int style) const {
    static const std::array<const char*, kStyleCount> names = {
        "Default",  "Comment",   "Number", "String",      "Unclosed string",  "Keyword",    "Function or class name",
        "Operator", "Decorator", "Module", "Header line", "Long description", "Bind header"};
    return style >= 0 && style < kStyleCount ? QString::fromLatin1(names[static_cast<size_t>(style)]) : QString();
}

void ScriptLexer::ApplyLook(const QPalette& palette, bool greyed) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const bool dark = base.lightness() < 128;
    setDefaultPaper(base);
    setDefaultColor(greyed ? QColor(128, 128, 128) : text);
    for (int style = 0; style < kStyleCount; ++style) {
        const Look& look = kLooks[static_cast<size_t>(style)];
        const QRgb rgb = dark ? look.dark : look.light;
        QColor fore = rgb == 0 ? text : QColor(rgb);
        if (greyed)
            fore = QColor(128, 128, 128);
        setColor(fore, style);
        const QRgb band = dark ? look.darkBand : look.lightBand;
        setPaper(band == 0 ? base : QColor(band), style);
        setEolFill(band != 0, style);
    }
}

void ScriptLexer::SetLookFont(const QFont& font) {
    for (int style = 0; style < kStyleCount; ++style)
        setFont(font, style);
}

void ScriptLexer::styleText(int start, int end) {
    QsciScintilla* edit = editor();
    if (!edit)
        return;
    const auto send = [edit](unsigned int message, unsigned long wParam = 0, long lParam = 0) {
        return edit->SendScintilla(message, wParam, lParam);
    };
    const long length = send(QsciScintillaBase::SCI_GETLENGTH);
    long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
    const long lastLine = send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end));
    const long from = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long to = lastLine + 1 < send(QsciScintillaBase::SCI_GETLINECOUNT)
                        ? send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(lastLine + 1))
                        : length;
    if (to <= from)
        return;
    const auto* text = reinterpret_cast<const char*>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    if (!text)
        return;
    int state = line > 0
                    ? static_cast<int>(send(QsciScintillaBase::SCI_GETLINESTATE, static_cast<unsigned long>(line - 1)))
                    : 0;
    std::vector<unsigned char> all;
    all.reserve(static_cast<size_t>(to - from));
    std::vector<unsigned char> styles;
    const std::string_view module(moduleName_.constData(), static_cast<size_t>(moduleName_.size()));
    for (; line <= lastLine; ++line) {
        const long lineStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long contentEnd = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        const long lineEnd = line + 1 < send(QsciScintillaBase::SCI_GETLINECOUNT)
                                 ? send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                 : length;
        unsigned char endStyle = Default;
        state = StyleLine(std::string_view(text + (lineStart - from), static_cast<size_t>(contentEnd - lineStart)),
                          state, styles, endStyle, module);
        send(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line), state);
        all.insert(all.end(), styles.begin(), styles.end());
        all.insert(all.end(), static_cast<size_t>(lineEnd - contentEnd), endStyle);
    }
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(from));
    edit->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<uintptr_t>(all.size()),
                        reinterpret_cast<const char*>(all.data()));
}

}  // namespace orvexa
