#include "ImageTestSupport.h"

#include "engine/materials/TgaReader.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

using test::Bytes;
using test::Concat;
using test::MakeTgaHeader;

TgaError Decode(const Bytes& file, Bitmap& out) {
    return DecodeTgaTexture(file.data(), file.size(), out);
}

TEST(TgaTexture, DepthChoosesRgbOrRgbaAndTheIdFieldIsSkipped) {
    Bitmap image;
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(2, 2, 1, 24, 0, 5), {1, 2, 3, 4, 5, 6}), image),
              TgaError::None);
    EXPECT_EQ(image.format, BitmapFormat::Rgb24);
    EXPECT_EQ(image.pixels, (Bytes{3, 2, 1, 6, 5, 4}));
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(2, 1, 1, 32), {1, 2, 3, 77}), image), TgaError::None);
    EXPECT_EQ(image.format, BitmapFormat::Rgba32);
    EXPECT_EQ(image.pixels, (Bytes{3, 2, 1, 77}));
}

TEST(TgaTexture, TopLeftOriginIsFlippedToBottomUp) {
    Bitmap image;
    const Bytes rows = {1, 1, 1, 2, 2, 2}; // 1 x 2, in stored order
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(2, 1, 2, 24), rows), image), TgaError::None);
    EXPECT_EQ(image.pixels, rows);
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(2, 1, 2, 24, 0x20), rows), image), TgaError::None);
    EXPECT_EQ(image.pixels, (Bytes{2, 2, 2, 1, 1, 1}));
}

TEST(TgaTexture, RunLengthPacketsExpandAndAreCutOffAtTheImageEnd) {
    Bitmap image;
    const Bytes data = {0x82, 30, 20, 10, 0x01, 3, 2, 1, 6, 5, 4}; // run of 3, then 2 raw
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(10, 5, 1, 24), data), image), TgaError::None);
    EXPECT_EQ(image.pixels, (Bytes{10, 20, 30, 10, 20, 30, 10, 20, 30, 1, 2, 3, 4, 5, 6}));
    // Packets of 128 into a 2-pixel image: a run, then a raw packet with only 2 pixels present.
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(10, 2, 1, 32), {0xFF, 1, 2, 3, 4}), image),
              TgaError::None);
    EXPECT_EQ(image.pixels, (Bytes{3, 2, 1, 4, 3, 2, 1, 4}));
    ASSERT_EQ(Decode(Concat(MakeTgaHeader(10, 2, 1, 32), {0x7F, 9, 8, 7, 6, 5, 4, 3, 2}), image),
              TgaError::None);
    EXPECT_EQ(image.pixels, (Bytes{7, 8, 9, 6, 3, 4, 5, 2}));
}

TEST(TgaTexture, MissingOrAbsurdPixelDataFails) {
    Bitmap image;
    Bytes longId = MakeTgaHeader(2, 1, 1, 24);
    longId[0] = 200;
    for (const Bytes& file : {
             Concat(MakeTgaHeader(2, 2, 2, 24), Bytes(11, 0)),
             Concat(MakeTgaHeader(10, 4, 1, 24), {0x81, 1, 2, 3}),    // ends between packets
             Concat(MakeTgaHeader(10, 4, 1, 24), {0x03, 1, 2, 3, 4}), // ends inside a packet
             longId,
             Concat(MakeTgaHeader(10, 8192, 8192, 32), {0xFF, 0, 0, 0, 0}), // no allocation
             Concat(MakeTgaHeader(2, 0, 5, 24), {}),
         })
        EXPECT_EQ(Decode(file, image), TgaError::PixelData);
    EXPECT_EQ(Decode(Bytes(17, 0), image), TgaError::Header);
    EXPECT_EQ(image.width, 0) << "a failed decode leaves the buffer alone";
}

} // namespace
} // namespace quarn
