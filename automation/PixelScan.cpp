#include "automation/PixelScan.h"

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvexa {

namespace {

// The colours within `variation` of one colour, as the lowest and highest
// value of each byte; the top byte takes any value.
struct ColorRange {
    std::uint32_t low = 0;
    std::uint32_t high = 0xFFFFFFFF;
};

ColorRange RangeAround(std::uint32_t rgb, int variation) {
    ColorRange range{0, 0xFF000000u};
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>(rgb >> shift & 0xFF);
        range.low |= static_cast<std::uint32_t>(std::max(channel - variation, 0)) << shift;
        range.high |= static_cast<std::uint32_t>(std::min(channel + variation, 255)) << shift;
    }
    return range;
}

bool InRange(std::uint32_t pixel, const ColorRange& range) {
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t value = pixel >> shift & 0xFF;
        if (value < (range.low >> shift & 0xFF) || value > (range.high >> shift & 0xFF))
            return false;
    }
    return true;
}

// The index of the first of `count` pixels that lies in the range, or -1.
// Four pixels at a time where the processor has SSE2 (every x86-64): a
// byte lies in [low, high] when both saturating differences low - byte and
// byte - high are 0.
int FindInRow(const std::uint32_t* pixels, int count, const ColorRange& range) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi32(static_cast<int>(range.low));
    const __m128i high = _mm_set1_epi32(static_cast<int>(range.high));
    const __m128i zero = _mm_setzero_si128();
    const auto matches = [&](int at) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + at));
        const __m128i outside = _mm_or_si128(_mm_subs_epu8(low, p), _mm_subs_epu8(p, high));
        return _mm_cmpeq_epi32(outside, zero);
    };
    for (; i + 16 <= count; i += 16) {
        const __m128i a = matches(i);
        const __m128i b = matches(i + 4);
        const __m128i c = matches(i + 8);
        const __m128i d = matches(i + 12);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0)
            continue;
        const __m128i quarters[] = {a, b, c, d};
        for (int q = 0; q < 4; ++q) {
            if (const int mask = _mm_movemask_ps(_mm_castsi128_ps(quarters[q])))
                return i + q * 4 + std::countr_zero(static_cast<unsigned>(mask));
        }
    }
    for (; i + 4 <= count; i += 4) {
        if (const int mask = _mm_movemask_ps(_mm_castsi128_ps(matches(i))))
            return i + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    for (; i < count; ++i) {
        if (InRange(pixels[i], range))
            return i;
    }
    return -1;
}

// How many of `count` pixels lie in the range, counting stopped past `limit`.
int CountInRow(const std::uint32_t* pixels, int count, const ColorRange& range, int limit) {
    int found = 0;
    for (int at = 0; at < count && found <= limit; ++at) {
        const int next = FindInRow(pixels + at, count - at, range);
        if (next < 0)
            break;
        ++found;
        at += next;
    }
    return found;
}

// One pixel of the image to compare: where it lies from the image's
// top-left corner in the grid's pixels and in its own, and what it
// accepts.
struct ImagePixel {
    std::ptrdiff_t offset = 0;
    int x = 0;
    int y = 0;
    ColorRange range;
};

// The opaque pixels of the image, those of colours rare in the image first:
// a pixel of its background colour tells little, an uncommon one mostly
// fails at once where the image is not.
std::vector<ImagePixel> ComparisonOrder(const PixelGrid& image, int gridStride, int variation) {
    std::unordered_map<std::uint32_t, int> frequency;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.Row(y)[x] >> 24 != 0)
                ++frequency[image.Row(y)[x] & 0xFFFFFF];
        }
    }
    struct Ranked {
        int frequency;
        ImagePixel pixel;
    };
    std::vector<Ranked> ranked;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t argb = image.Row(y)[x];
            if (argb >> 24 == 0)
                continue;
            ranked.push_back({frequency[argb & 0xFFFFFF],
                              {static_cast<std::ptrdiff_t>(y) * gridStride + x, x, y, RangeAround(argb, variation)}});
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Ranked& a, const Ranked& b) { return a.frequency < b.frequency; });
    std::vector<ImagePixel> order;
    order.reserve(ranked.size());
    for (const Ranked& r : ranked)
        order.push_back(r.pixel);
    return order;
}

// Of the first few pixels of the order (each of another colour), the one
// whose colour the grid holds least often, judged from every eighth row of
// the places it can lie in: the one the scan looks for first. Moved to
// the front of the order.
void PutRarestOnGridFirst(std::vector<ImagePixel>& order, const PixelGrid& grid, const PixelGrid& image) {
    constexpr int kCandidates = 6;
    constexpr int kRowStep = 8;
    const int columns = grid.width - image.width + 1;
    const int rows = grid.height - image.height + 1;
    std::size_t best = 0;
    int bestCount = -1;
    std::vector<ColorRange> tried;
    for (std::size_t i = 0; i < order.size() && tried.size() < kCandidates; ++i) {
        const ColorRange range = order[i].range;
        if (std::any_of(tried.begin(), tried.end(),
                        [&](const ColorRange& r) { return r.low == range.low && r.high == range.high; }))
            continue;
        tried.push_back(range);
        int count = 0;
        for (int y = 0; y < rows && (bestCount < 0 || count < bestCount); y += kRowStep)
            count += CountInRow(grid.Row(y + order[i].y) + order[i].x, columns, range,
                                bestCount < 0 ? columns : bestCount - count);
        if (bestCount < 0 || count < bestCount) {
            bestCount = count;
            best = i;
        }
        if (bestCount == 0)
            break;
    }
    std::rotate(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(best),
                order.begin() + static_cast<std::ptrdiff_t>(best) + 1);
}

}  // namespace

std::optional<GridPoint> FindColor(const PixelGrid& grid, std::uint32_t rgb, int variation) {
    const ColorRange range = RangeAround(rgb, variation);
    for (int y = 0; y < grid.height; ++y) {
        const int x = FindInRow(grid.Row(y), grid.width, range);
        if (x >= 0)
            return GridPoint{x, y};
    }
    return std::nullopt;
}

std::optional<GridPoint> FindImage(const PixelGrid& grid, const PixelGrid& image, int variation) {
    if (image.width <= 0 || image.height <= 0 || image.width > grid.width || image.height > grid.height)
        return std::nullopt;
    std::vector<ImagePixel> order = ComparisonOrder(image, grid.stride, variation);
    if (order.empty())
        return GridPoint{0, 0};
    PutRarestOnGridFirst(order, grid, image);

    // Each place where the first pixel of the order matches is a candidate;
    // the candidates come in the order of the image's top-left corners.
    const ImagePixel anchor = order.front();
    const int columns = grid.width - image.width + 1;
    const int rows = grid.height - image.height + 1;
    for (int y = 0; y < rows; ++y) {
        const std::uint32_t* corners = grid.Row(y);
        const std::uint32_t* anchors = corners + anchor.offset;
        for (int x = 0; x < columns; ++x) {
            const int next = FindInRow(anchors + x, columns - x, anchor.range);
            if (next < 0)
                break;
            x += next;
            const std::uint32_t* corner = corners + x;
            const bool all = std::all_of(order.begin() + 1, order.end(), [corner](const ImagePixel& pixel) {
                return InRange(corner[pixel.offset], pixel.range);
            });
            if (all)
                return GridPoint{x, y};
        }
    }
    return std::nullopt;
}

}  // namespace orvexa
