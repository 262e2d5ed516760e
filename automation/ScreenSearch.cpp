#include "automation/ScreenSearch.h"

#include "automation/PixelScan.h"
#include "core/Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cctype>

namespace orvexa {

namespace {

// Request coordinates are 16-bit on the wire; no screen is larger.
constexpr long long kLargestSide = 65536;

PixelGrid GridOf(const platform::ScreenPixels& pixels) {
    return {pixels.pixels.data(), pixels.rect.width, pixels.rect.height, pixels.stride};
}

std::optional<platform::ScreenPoint> OnScreen(const std::optional<GridPoint>& found,
                                              const platform::ScreenPixels& pixels) {
    if (!found)
        return std::nullopt;
    return platform::ScreenPoint{pixels.rect.x + found->x, pixels.rect.y + found->y};
}

}  // namespace

platform::ScreenRect RectBetween(int x1, int y1, int x2, int y2) {
    const auto [left, right] = std::minmax(x1, x2);
    const auto [top, bottom] = std::minmax(y1, y2);
    const auto side = [](int from, int to) {
        return static_cast<int>(std::min<long long>(static_cast<long long>(to) - from + 1, kLargestSide));
    };
    return {left, top, side(left, right), side(top, bottom)};
}

std::optional<std::uint32_t> ParseRGBText(const QByteArray& text) {
    if (text.size() != 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    return ok ? std::optional<std::uint32_t>(value) : std::nullopt;
}

std::optional<platform::ScreenPoint> PixelSearch(platform::Screen& screen, const platform::ScreenRect& rect,
                                                 std::uint32_t rgb, int variation) {
    if (rect.Empty())
        return std::nullopt;
    const platform::ScreenPixels pixels = screen.Grab(rect);
    return OnScreen(FindColor(GridOf(pixels), rgb, variation), pixels);
}

namespace {

// Why a PNG file cannot be read, told before the PNG reader sees it: a chunk
// whose length runs past the end of the file makes the reader allocate and
// fill that length (2 GB for a 300-byte file) before it finds the data
// missing. Empty for a file that is no PNG file, and for one whose chunks
// all fit.
QString PngDamage(const QString& file) {
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    constexpr qint64 kSignatureSize = 8;
    constexpr qint64 kChunkFrame = 12;  // length, type, CRC
    QFile png(file);
    if (!png.open(QIODevice::ReadOnly) || png.read(kSignatureSize) != QByteArray(kSignature, kSignatureSize))
        return QString();
    const qint64 size = png.size();
    for (qint64 at = kSignatureSize; at + 8 <= size;) {
        png.seek(at);
        const QByteArray header = png.read(8);
        if (header.size() < 8)
            break;
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        if (static_cast<qint64>(length) > size - at - kChunkFrame)
            return QStringLiteral("a part of the PNG file runs past its end");
        if (header.mid(4, 4) == "IEND")
            break;
        at += kChunkFrame + static_cast<qint64>(length);
    }
    return QString();
}

}  // namespace

QImage LoadSearchImage(const QString& file) {
    // A FIFO or a device would keep the reader waiting for data forever.
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        throw Exception(QStringLiteral("Cannot read the image %1: it is not a regular file").arg(file));
    if (const QString damage = PngDamage(file); !damage.isEmpty())
        throw Exception(QStringLiteral("Cannot read the image %1: %2").arg(file, damage));
    QImageReader reader(file);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception(QStringLiteral("Cannot read the image %1: %2").arg(file, reader.errorString()));
    return image.convertToFormat(QImage::Format_ARGB32);
}

std::optional<platform::ScreenPoint> ImageSearch(platform::Screen& screen, const platform::ScreenRect& rect,
                                                 const QImage& image, int variation) {
    if (rect.Empty() || image.width() > rect.width || image.height() > rect.height)
        return std::nullopt;
    const QImage argb = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    const PixelGrid wanted{reinterpret_cast<const std::uint32_t*>(argb.constBits()), argb.width(), argb.height(),
                           static_cast<int>(argb.bytesPerLine() / 4)};
    const platform::ScreenPixels pixels = screen.Grab(rect);
    return OnScreen(FindImage(GridOf(pixels), wanted, variation), pixels);
}

}  // namespace orvexa
