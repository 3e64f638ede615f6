#include "ImageTestSupport.h"

#include "engine/materials/BmpReader.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

using test::Bytes;

// 3 x 2, top row red, green, blue; bottom row white, black, (10, 20, 30).
const Bytes kTopFirst = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 10, 20, 30};
const Bytes kBottomUp = {255, 255, 255, 0, 0, 0, 10, 20, 30, 255, 0, 0, 0, 255, 0, 0, 0, 255};

void PutU32(Bytes& file, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

BmpError Decode(const Bytes& file, Bitmap& out) {
    return DecodeBmp(file.data(), file.size(), out);
}

TEST(BmpReader, PaddingOffsetAndTopDownRowsAreHonoured) {
    for (const Bytes& file :
         {test::MakeBmp24(3, 2, kTopFirst), test::MakeBmp24(3, 2, kTopFirst, false, 10),
          test::MakeBmp24(3, 2, kTopFirst, true)}) {
        Bitmap image;
        ASSERT_EQ(Decode(file, image), BmpError::None);
        EXPECT_EQ(image.format, BitmapFormat::Rgb24);
        EXPECT_EQ(image.pixels, kBottomUp); // bottom row first, red first, no padding
    }
}

TEST(BmpReader, TruncatedOrAbsurdFilesFailWithTheMissingPart) {
    const Bytes file = test::MakeBmp24(3, 2, kTopFirst);
    Bitmap image;
    for (size_t cut = 0; cut < file.size() - 3; ++cut) // the last row's padding may be missing
        EXPECT_EQ(Decode(Bytes(file.begin(), file.begin() + cut), image),
                  cut < 54 ? BmpError::Header : BmpError::PixelData)
            << cut;
    EXPECT_EQ(image.width, 0) << "a failed decode leaves the buffer alone";
    struct Patch {
        size_t at;
        uint32_t value;
        BmpError expected;
    };
    for (const Patch& p : {Patch{18, 0x7FFFFFFF, BmpError::PixelData}, // width
                           Patch{22, 0x80000000, BmpError::PixelData}, // most negative height
                           Patch{10, 0xFFFFFFF0, BmpError::PixelData}, // pixel offset
                           Patch{18, 0, BmpError::Unsupported},        // no width
                           Patch{30, 1, BmpError::Unsupported},        // run-length coded
                           Patch{14, 12, BmpError::Unsupported}}) {    // OS/2 header
        Bytes patched = file;
        PutU32(patched, p.at, p.value);
        EXPECT_EQ(Decode(patched, image), p.expected) << p.at;
    }
}

} // namespace
} // namespace quarn
