#include "ImageTestSupport.h"

#include "engine/materials/TGAImage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quarn {
namespace {

using test::Bytes;
using test::Concat;
using test::MakeTgaHeader;

TTGAImage Sample(BitmapFormat format) {
    TTGAImage image;
    image.format = format;
    image.width = 3;
    image.height = 2;
    for (size_t i = 0; i < image.RowBytes() * 2; ++i)
        image.pixels.push_back(uint8_t(i * 7));
    return image;
}

std::string LoadError(const Bytes& file) {
    try {
        TTGAImage().LoadFromBytes(file.data(), file.size());
    } catch (const ETGAException& e) {
        return e.what();
    }
    return "no error";
}

TEST(TTGAImage, SavesBottomUpType2AndLoadsItBack) {
    for (BitmapFormat format : {BitmapFormat::Bgr24, BitmapFormat::Bgrx32}) {
        const TTGAImage original = Sample(format);
        std::stringstream stream;
        original.SaveToStream(stream);
        const std::string file = stream.str();
        const uint8_t depth = format == BitmapFormat::Bgr24 ? 24 : 32;
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 18),
                  (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, depth, 0}));
        EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 18 + original.RowBytes()),
                  Bytes(original.ScanLine(1), original.ScanLine(1) + original.RowBytes()))
            << "the bottom scan line comes first";
        TTGAImage loaded;
        loaded.LoadFromStream(stream);
        EXPECT_EQ(loaded.format, format);
        EXPECT_EQ(loaded.width, 3);
        EXPECT_EQ(loaded.pixels, original.pixels);
    }
}

TEST(TTGAImage, RunLengthStreamIsReadToItsEndAndNoFurther) {
    const Bytes file = Concat(MakeTgaHeader(10, 3, 1, 32), {0x81, 1, 2, 3, 4, 0, 5, 6, 7, 8});
    std::istringstream stream(std::string(file.begin(), file.end()) + "next");
    TTGAImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(image.pixels, (Bytes{1, 2, 3, 4, 1, 2, 3, 4, 5, 6, 7, 8}));
    std::string rest;
    stream >> rest;
    EXPECT_EQ(rest, "next");
}

TEST(TTGAImage, FailuresRaiseTheirTextsAndKeepThePreviousImage) {
    EXPECT_EQ(LoadError(MakeTgaHeader(1, 1, 1, 24, 0, 0, 1)), "ColorMapped TGA unsupported");
    EXPECT_EQ(LoadError(MakeTgaHeader(2, 1, 1, 16)), "Unsupported TGA ImageType");
    EXPECT_EQ(LoadError(MakeTgaHeader(3, 1, 1, 24)), "Unsupported TGA ImageType 3");
    EXPECT_EQ(LoadError(MakeTgaHeader(2, 2, 2, 32)), "Unexpected end of TGA data");
    EXPECT_EQ(LoadError(Concat(MakeTgaHeader(10, 300, 1, 24), {0xFF, 1, 2, 3})),
              "Unexpected end of TGA data");
    EXPECT_EQ(LoadError(MakeTgaHeader(2, 65535, 65535, 32)), "TGA image too large");
    TTGAImage image = Sample(BitmapFormat::Bgrx32);
    const Bytes broken = Concat(MakeTgaHeader(2, 5, 5, 24), {1, 2, 3});
    EXPECT_THROW(image.LoadFromBytes(broken.data(), broken.size()), ETGAException);
    EXPECT_EQ(image.pixels, Sample(BitmapFormat::Bgrx32).pixels);
    const Bytes empty = MakeTgaHeader(0, 40, 30, 24); // type 0: no image
    image.LoadFromBytes(empty.data(), empty.size());
    EXPECT_EQ(image.width + image.height, 0);
}

} // namespace
} // namespace quarn
