#pragma once

#include <QByteArray>

#include <cstddef>

namespace orvexa::test {

// The bytes of a string literal, the NULs inside it included and the
// terminating one not: the length is the literal's own, never counted by hand.
template <std::size_t N>
QByteArray Bytes(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<qsizetype>(N - 1));
}

}  // namespace orvexa::test
