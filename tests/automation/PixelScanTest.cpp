// The scans of PixelSearch and ImageSearch on grids made in memory: the
// edges of the variation, the order of the search, transparent pixels, the
// last possible place, and random grids against a plain scan of every place.
#include "automation/PixelScan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

using namespace orvexa;

namespace {

struct Grid {
    Grid(int w, int h, std::uint32_t fill = 0, int extraStride = 0)
        : width(w), height(h), stride(w + extraStride), pixels(static_cast<std::size_t>(stride) * h, fill) {}
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    PixelGrid view() const { return {pixels.data(), width, height, stride}; }
    int width;
    int height;
    int stride;
    std::vector<std::uint32_t> pixels;
};

std::uint32_t Rgb(int r, int g, int b) { return static_cast<std::uint32_t>(r << 16 | g << 8 | b); }
std::uint32_t Opaque(std::uint32_t rgb) { return 0xFF000000u | rgb; }

bool Near(std::uint32_t a, std::uint32_t b, int variation) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > variation)
            return false;
    }
    return true;
}

// Every place, every pixel: what the scans must agree with.
std::optional<GridPoint> PlainFindImage(const Grid& grid, const Grid& image, int variation) {
    for (int y = 0; y + image.height <= grid.height; ++y) {
        for (int x = 0; x + image.width <= grid.width; ++x) {
            bool all = true;
            for (int iy = 0; iy < image.height && all; ++iy) {
                for (int ix = 0; ix < image.width && all; ++ix) {
                    const std::uint32_t wanted = image.pixels[static_cast<std::size_t>(iy) * image.stride + ix];
                    all = wanted >> 24 == 0 ||
                          Near(grid.pixels[static_cast<std::size_t>(y + iy) * grid.stride + x + ix], wanted, variation);
                }
            }
            if (all)
                return GridPoint{x, y};
        }
    }
    return std::nullopt;
}

}  // namespace

TEST(FindColor, EachChannelMatchesUpToTheVariationAndNotOneBeyond) {
    const std::uint32_t wanted = Rgb(100, 150, 200);
    for (int shift : {0, 8, 16}) {
        for (int variation : {0, 1, 7}) {
            SCOPED_TRACE(testing::Message() << "shift " << shift << " variation " << variation);
            Grid grid(37, 3, Rgb(0, 0, 0));
            // Beyond on both sides first, then just inside on the higher side.
            grid.at(5, 1) = wanted + (static_cast<std::uint32_t>(variation + 1) << shift);
            grid.at(6, 1) = wanted - (static_cast<std::uint32_t>(variation + 1) << shift);
            grid.at(30, 1) = wanted + (static_cast<std::uint32_t>(variation) << shift);
            grid.at(31, 1) = wanted - (static_cast<std::uint32_t>(variation) << shift);
            EXPECT_EQ(FindColor(grid.view(), wanted, variation), (GridPoint{30, 1}));
        }
    }
}

TEST(FindColor, VariationEdgesAndTheTopByte) {
    Grid grid(5, 2, Rgb(255, 255, 255));
    grid.at(4, 1) = Rgb(0, 0, 0);
    EXPECT_EQ(FindColor(grid.view(), Rgb(0, 0, 0), 0), (GridPoint{4, 1}));
    EXPECT_EQ(FindColor(grid.view(), Rgb(0, 0, 0), 254), (GridPoint{4, 1}));
    EXPECT_EQ(FindColor(grid.view(), Rgb(0, 0, 0), 255), (GridPoint{0, 0})) << "255 accepts every colour";
    EXPECT_EQ(FindColor(grid.view(), Rgb(1, 2, 3), 0), std::nullopt);
    // Whatever the top byte of a pixel or of the colour holds.
    grid.at(2, 0) = 0xAB000000u | Rgb(1, 2, 3);
    EXPECT_EQ(FindColor(grid.view(), 0xCD000000u | Rgb(1, 2, 3), 0), (GridPoint{2, 0}));
}

TEST(FindColor, RowsFromTheTopEachFromTheLeftTheLastPixelAndPadding) {
    for (int width : {1, 3, 4, 15, 16, 17, 33, 1920}) {
        SCOPED_TRACE(width);
        Grid grid(width, 4, Rgb(9, 9, 9), 3);
        // Padding past the row's end is never looked at.
        for (int y = 0; y < 4; ++y)
            for (int x = width; x < grid.stride; ++x)
                grid.at(x, y) = Rgb(1, 1, 1);
        EXPECT_EQ(FindColor(grid.view(), Rgb(1, 1, 1), 0), std::nullopt);
        grid.at(width - 1, 3) = Rgb(1, 1, 1);
        EXPECT_EQ(FindColor(grid.view(), Rgb(1, 1, 1), 0), (GridPoint{width - 1, 3}));
        grid.at(0, 3) = Rgb(1, 1, 1);
        grid.at(width - 1, 2) = Rgb(1, 1, 1);
        EXPECT_EQ(FindColor(grid.view(), Rgb(1, 1, 1), 0), (GridPoint{width - 1, 2}));
    }
    EXPECT_EQ(FindColor(Grid(0, 0).view(), 0, 255), std::nullopt);
}

TEST(FindImage, FoundAtItsPlaceTheLastPossibleOneAndNotWhenLarger) {
    Grid image(3, 2);
    const std::uint32_t colours[] = {Rgb(10, 0, 0), Rgb(20, 0, 0), Rgb(30, 0, 0),
                                     Rgb(40, 0, 0), Rgb(50, 0, 0), Rgb(60, 0, 0)};
    for (int i = 0; i < 6; ++i)
        image.pixels[static_cast<std::size_t>(i)] = Opaque(colours[i]);
    Grid grid(40, 9, Rgb(10, 0, 0));
    const auto paint = [&](int x, int y) {
        for (int i = 0; i < 6; ++i)
            grid.at(x + i % 3, y + i / 3) = colours[i];
    };
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), std::nullopt);
    paint(37, 7);  // the bottom-right corner: the last place it fits
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), (GridPoint{37, 7}));
    paint(5, 7);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), (GridPoint{5, 7}));
    // One pixel off by two: found with variation 2, not 1.
    grid.at(6, 8) = Rgb(52, 0, 0);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 1), (GridPoint{37, 7}));
    EXPECT_EQ(FindImage(grid.view(), image.view(), 2), (GridPoint{5, 7}));
    // Larger than the grid, either way.
    EXPECT_EQ(FindImage(Grid(2, 9).view(), image.view(), 255), std::nullopt);
    EXPECT_EQ(FindImage(Grid(40, 1).view(), image.view(), 255), std::nullopt);
    EXPECT_EQ(FindImage(Grid(3, 2).view(), image.view(), 255), (GridPoint{0, 0}));
}

TEST(FindImage, TransparentPixelsMatchAnythingOthersByColourAlone) {
    Grid image(3, 3, 0x00123456);                      // transparent, whatever their colour
    image.at(1, 1) = 0x01000000u | Rgb(200, 100, 50);  // nearly transparent: still compared
    Grid grid(20, 20, Rgb(0, 0, 0));
    grid.at(19, 19) = Rgb(200, 100, 50);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), std::nullopt) << "its centre cannot reach the corner";
    grid.at(10, 4) = Rgb(200, 100, 50);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), (GridPoint{9, 3}));
    // A wholly transparent image is everywhere: first at the top-left.
    EXPECT_EQ(FindImage(grid.view(), Grid(4, 4, 0x00FFFFFF).view(), 0), (GridPoint{0, 0}));
}

TEST(FindImage, AnImageOnItsOwnBackgroundColourIsFoundAtItsPlace) {
    // A white icon with a dark mark on a white screen: most places match
    // the icon's commonest pixels.
    Grid image(8, 8, Opaque(Rgb(255, 255, 255)));
    image.at(6, 7) = Opaque(Rgb(0, 0, 0));
    image.at(7, 7) = Opaque(Rgb(0, 0, 1));
    Grid grid(300, 200, Rgb(255, 255, 255));
    grid.at(100, 50) = Rgb(0, 0, 0);  // half of the mark
    grid.at(250, 150) = Rgb(0, 0, 0);
    grid.at(251, 150) = Rgb(0, 0, 1);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 0), (GridPoint{244, 143}));
    grid.at(251, 150) = Rgb(0, 0, 3);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 1), std::nullopt);
    EXPECT_EQ(FindImage(grid.view(), image.view(), 2), (GridPoint{244, 143}));
}

TEST(FindImage, AgreesWithAPlainScanOnRandomGrids) {
    std::mt19937 random(15);
    for (int round = 0; round < 400; ++round) {
        // Few colours, so that matches and near misses are common.
        std::uniform_int_distribution<int> colour(0, 3);
        const auto pick = [&] { return Rgb(colour(random) * 3, colour(random), 7); };
        Grid grid(1 + static_cast<int>(random() % 40), 1 + static_cast<int>(random() % 12), 0,
                  static_cast<int>(random() % 3));
        for (auto& p : grid.pixels)
            p = pick();
        Grid image(1 + static_cast<int>(random() % 4), 1 + static_cast<int>(random() % 3));
        for (auto& p : image.pixels)
            p = (random() % 5 == 0 ? 0u : 0xFF000000u) | pick();
        // Sometimes a copy of a part of the grid, so that there is a match.
        if (round % 2 == 0 && image.width <= grid.width && image.height <= grid.height) {
            const int x = static_cast<int>(random() % static_cast<unsigned>(grid.width - image.width + 1));
            const int y = static_cast<int>(random() % static_cast<unsigned>(grid.height - image.height + 1));
            for (int iy = 0; iy < image.height; ++iy)
                for (int ix = 0; ix < image.width; ++ix)
                    image.at(ix, iy) = (image.at(ix, iy) & 0xFF000000u) | grid.at(x + ix, y + iy);
        }
        const int variation = static_cast<int>(random() % 4);
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(FindImage(grid.view(), image.view(), variation), PlainFindImage(grid, image, variation));
        // A one-pixel image is a colour search.
        Grid one(1, 1, image.pixels[0] | 0xFF000000u);
        ASSERT_EQ(FindColor(grid.view(), one.pixels[0], variation), PlainFindImage(grid, one, variation));
    }
}
