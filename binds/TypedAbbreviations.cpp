#include "binds/TypedAbbreviations.h"

#include <algorithm>

namespace orvexa {
namespace {

std::u32string Ucs4(const QString& text) {
    std::u32string characters;
    for (const char32_t c : text.toUcs4())
        characters += c;
    return characters;
}

bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

TypedAbbreviations::TypedAbbreviations(const QStringList& abbreviations) {
    for (const QString& abbreviation : abbreviations)
        if (!abbreviation.isEmpty())
            abbreviations_.push_back(Ucs4(abbreviation));
    std::stable_sort(abbreviations_.begin(), abbreviations_.end(),
                     [](const std::u32string& a, const std::u32string& b) { return a.size() > b.size(); });
    longest_ = abbreviations_.empty() ? 0 : abbreviations_.front().size();
}

QString TypedAbbreviations::Take(const platform::Typing& typing) {
    using Kind = platform::Typing::Kind;
    if (typing.kind == Kind::Pending)
        return {};
    if (typing.kind == Kind::Click || typing.focus != focus_) {
        Forget();
        focus_ = typing.focus;
        if (typing.kind == Kind::Click)
            return {};
    }
    const platform::KeyModifiers& held = typing.modifiers;
    if (typing.text == U"\b" && !held.control && !held.alt && !held.super) {
        if (!typed_.empty())
            typed_.pop_back();
        return {};
    }
    if (typing.text.empty() || held.control || held.alt || held.super ||
        std::any_of(typing.text.begin(), typing.text.end(), IsControlCharacter)) {
        Forget();
        return {};
    }
    typed_ += typing.text;
    if (typed_.size() > longest_)
        typed_.erase(0, typed_.size() - longest_);
    for (const std::u32string& abbreviation : abbreviations_) {
        if (typed_.size() >= abbreviation.size() &&
            typed_.compare(typed_.size() - abbreviation.size(), abbreviation.size(), abbreviation) == 0) {
            Forget();
            return QString::fromStdU32String(abbreviation);
        }
    }
    return {};
}

qsizetype CharacterCount(const QString& text) { return text.toUcs4().size(); }

}  // namespace orvexa
