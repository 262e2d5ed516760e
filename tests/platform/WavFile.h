#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace orvexa::test {

// Writes a mono 16-bit PCM WAV file.
inline bool WriteWav(const QString& name, const std::vector<std::int16_t>& samples, std::uint32_t rate = 44100) {
    QByteArray bytes;
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto put16 = [&](std::uint16_t v) {
        bytes.append(static_cast<char>(v & 0xFF));
        bytes.append(static_cast<char>(v >> 8));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    bytes.append("RIFF");
    put32(36 + dataBytes);
    bytes.append("WAVEfmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    bytes.append("data");
    put32(dataBytes);
    for (const std::int16_t s : samples)
        put16(static_cast<std::uint16_t>(s));
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A recognisable sound without a single silent sample.
inline std::vector<std::int16_t> Pattern(std::size_t count, int seed) {
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(100 + (static_cast<int>(i) * seed) % 20000);
    return samples;
}

// The samples the disk audio driver wrote.
inline std::vector<std::int16_t> ReadSamples(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size() / 2));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return samples;
}

// The output with its leading and trailing silence cut off; `clean` says
// whether the rest held no silence in between.
struct Sounded {
    std::vector<std::int16_t> samples;
    bool clean = true;
};
inline Sounded WithoutSilence(const std::vector<std::int16_t>& output) {
    std::size_t first = 0;
    while (first < output.size() && output[first] == 0)
        ++first;
    std::size_t last = output.size();
    while (last > first && output[last - 1] == 0)
        --last;
    Sounded result;
    result.samples.assign(output.begin() + static_cast<std::ptrdiff_t>(first),
                          output.begin() + static_cast<std::ptrdiff_t>(last));
    for (const std::int16_t s : result.samples)
        if (s == 0)
            result.clean = false;
    return result;
}

}  // namespace orvexa::test
