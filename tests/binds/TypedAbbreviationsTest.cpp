// The typed characters of TEXT binds: what a row of key presses and clicks
// leaves, and which abbreviation it ends with.
#include "binds/TypedAbbreviations.h"

#include <gtest/gtest.h>

using namespace orvexa;
using Kind = platform::Typing::Kind;

namespace {

// A row of steps: a character is typed as itself; '<' is BackSpace, '>' a
// key that types nothing (an arrow), '~' a modifier or a dead key, '*' a
// click, '|' the focus moving to another window, '^' Control held with the
// next character.
std::vector<platform::Typing> Steps(const QString& row) {
    std::vector<platform::Typing> steps;
    std::uint64_t focus = 1;
    bool control = false;
    for (const char32_t c : row.toUcs4()) {
        platform::Typing typing;
        typing.focus = focus;
        switch (c) {
        case U'|':
            ++focus;
            continue;
        case U'^':
            control = true;
            continue;
        case U'~':
            typing.kind = Kind::Pending;
            break;
        case U'*':
            typing.kind = Kind::Click;
            typing.focus = 0;
            break;
        case U'<':
            typing.text = U"\b";
            break;
        case U'>':
            break;
        default:
            typing.text = std::u32string(1, c);
        }
        typing.modifiers.control = std::exchange(control, false);
        steps.push_back(typing);
    }
    return steps;
}

}  // namespace

TEST(TypedAbbreviations, ARowOfKeysEndsWithTheAbbreviationsItShould) {
    const struct {
        QStringList abbreviations;
        QString row;
        QString fired;  // joined by "/"
    } rows[] = {
        {{"sig"}, "sig", "sig"},
        {{"sig"}, "xxsig", "sig"},
        {{"sig"}, "sig sig", "sig/sig"},
        {{"aa"}, "aaa", "aa"},  // found, forgotten: the third starts anew
        {{"sig"}, "six<g", "sig"},
        {{"sig"}, "s~i~g", "sig"},
        {{"g\u00E9@"}, "g~\u00E9@", "g\u00E9@"},
        {{"sig"}, "si*g", ""},
        {{"sig"}, "si|g", ""},
        {{"sig"}, "si>g", ""},
        {{"sig"}, "si\rg", ""},
        {{"sig"}, "si^g", ""},  // Control+G is a shortcut, no G
        {{"sig"}, "si^xg", ""},
        {{"sig"}, "si^<g", ""},  // Control+BackSpace takes a word, not a character
        {{"sig"}, "<<sig", "sig"},
        {{"btw", "tw"}, "btw tw", "btw/tw"},
        {{"tw", "btw"}, "btw", "btw"},
        {{"", "x"}, "x", "x"},
        {{"😀!"}, "a😀!", "😀!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row.toStdString());
        TypedAbbreviations typed(row.abbreviations);
        QStringList fired;
        for (const platform::Typing& step : Steps(row.row)) {
            if (const QString found = typed.Take(step); !found.isEmpty())
                fired.append(found);
            EXPECT_LE(typed.Kept(), typed.Longest());
        }
        EXPECT_EQ(fired.join(u'/').toStdString(), row.fired.toStdString());
    }
}

TEST(TypedAbbreviations, AnAbbreviationIsErasedByOneBackSpaceForEachCharacter) {
    EXPECT_EQ(CharacterCount(QStringLiteral("sig")), 3);
    EXPECT_EQ(CharacterCount(QStringLiteral("g\u00E9@")), 3);
    EXPECT_EQ(CharacterCount(QStringLiteral("😀!")), 2);
}
