#include "ImageTestSupport.h"

#include "engine/materials/JpegReader.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

TEST(JpegReader, TruncatedGarbageOrOversizedFilesFailWithAReason) {
    const std::string path = test::TestDataPath("imagemagick_rose.jpg"); // 70 x 46
    if (path.empty()) GTEST_SKIP() << "test data folder not present";
    const test::Bytes file = test::ReadFileBytes(path);
    Bitmap image;
    std::string reason;
    for (size_t keep : {size_t(0), size_t(2), size_t(100), file.size() / 2, file.size() - 2}) {
        reason.clear();
        EXPECT_FALSE(DecodeJpeg(file.data(), keep, image, kMaxImagePixels, &reason)) << keep;
        EXPECT_FALSE(reason.empty());
    }
    const test::Bytes garbage(500, 0x5A);
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), image, kMaxImagePixels, &reason));
    EXPECT_FALSE(DecodeJpeg(file.data(), file.size(), image, 70 * 46 - 1, &reason));
    EXPECT_EQ(reason, "JPEG image too large");
    EXPECT_EQ(image.width, 0) << "failures leave the buffer alone";
    ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), image, 70 * 46));
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        ASSERT_EQ(image.pixels[i], 255);
}

} // namespace
} // namespace quarn
