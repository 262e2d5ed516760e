// Image files given to ImageSearch: read by the search's own loader, then
// looked for in a screen made of the image itself, where the search must
// find it at the top-left corner.
#include "automation/PixelScan.h"
#include "automation/ScreenSearch.h"
#include "core/Exception.h"
#include "fuzz/FuzzSupport.h"

#include <QImageReader>

using namespace orvexa;

namespace {

// Images of a few megapixels read slowly; the fuzzer learns nothing from
// their size.
constexpr int kAllocationLimitMb = 16;
constexpr int kLargestSearched = 256;

PixelGrid GridOf(const QImage& image) {
    return {reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(), image.height(),
            static_cast<int>(image.bytesPerLine() / 4)};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString file = fuzz::InputFile("input", data, size);
    QImage image;
    try {
        image = LoadSearchImage(file);
    } catch (const Exception&) {
        return 0;
    }
    if (image.isNull() || image.format() != QImage::Format_ARGB32)
        fuzz::Fail("a loaded image is not in the search's pixel format");
    if (image.width() > kLargestSearched || image.height() > kLargestSearched)
        return 0;
    const PixelGrid grid = GridOf(image);
    if (FindImage(grid, grid, 0) != GridPoint{0, 0})
        fuzz::Fail("an image is not found in itself at the top-left corner");
    return 0;
}
