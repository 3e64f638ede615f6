#include "ImageTestSupport.h"

#include "engine/materials/ImageSource.h"
#include "platform/resources/LibraryResources.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quarn {
namespace {

using test::Bytes;
using test::MakeTgaHeader;

TEST(ImageSource, KindComesFromTheLastFourCharactersInAnyCase) {
    for (const char* name : {"wall.bmp", "WALL.BMP", "v1.2/Wall.Bmp", ".bmp"})
        EXPECT_EQ(ImageKindFromFileName(name), ImageKind::Bmp) << name;
    EXPECT_EQ(ImageKindFromFileName("sky.JPG"), ImageKind::Jpeg);
    EXPECT_EQ(ImageKindFromFileName("a.b.tga"), ImageKind::Tga);
    for (const char* name : {"photo.jpeg", "bmp", "", "wall.bmp "})
        EXPECT_EQ(ImageKindFromFileName(name), ImageKind::Unknown) << name;
    EXPECT_EQ(ResourceNameFromFileName("wall.bmp"), "wall");
    EXPECT_EQ(ResourceNameFromFileName("a.b.tga"), "a");
}

TEST(ImageSource, EmbeddedResourcesAreFoundByNameAndTypeAndDecode) {
    const LibraryResource* bmp = FindResource("quarn_checker", "BMP");
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(FindResource("QUARN_Checker", "bmp"), bmp);
    EXPECT_EQ(FindResource("quarn_checker", "GIF"), nullptr);
    EXPECT_EQ(FindResource("quarn", "BMP"), nullptr);
    Bitmap image;
    LoadFailure failure;
    // Both hold, top row first: red, green, blue / white, black, (50, 100, 150).
    ASSERT_TRUE(ReadImage(ImageKind::Bmp, "quarn_checker.bmp", true, image, failure));
    EXPECT_EQ(test::RgbaTopDown(image),
              (Bytes{255, 0,   0,   255, 0, 255, 0, 255, 0,  0,   255, 255,
                     255, 255, 255, 255, 0, 0,   0, 255, 50, 100, 150, 255}));
    ASSERT_TRUE(ReadImage(ImageKind::Tga, "quarn_checker.tga", true, image, failure));
    EXPECT_EQ(image.format, BitmapFormat::Rgba32);
    EXPECT_EQ(test::RgbaTopDown(image).back(), 128) << "alpha kept";
    ASSERT_TRUE(ReadImage(ImageKind::Jpeg, "quarn_checker.jpg", true, image, failure));
    ASSERT_EQ(image.width * image.height, 16 * 8); // left half red, right half blue
    const Bytes rgba = test::RgbaTopDown(image);
    EXPECT_GT(rgba[0], 240);
    EXPECT_LT(rgba[2], 16);
    EXPECT_LT(rgba[rgba.size() - 4], 16);
    EXPECT_GT(rgba[rgba.size() - 2], 240);
}

LoadFailure FailureOf(ImageKind kind, const std::string& fileName, bool fromResource = false) {
    Bitmap image;
    LoadFailure failure;
    EXPECT_FALSE(ReadImage(kind, fileName, fromResource, image, failure)) << fileName;
    return failure;
}

#define EXPECT_FAILURE(failure, caption_, text_)                                                   \
    do {                                                                                           \
        const LoadFailure f = (failure);                                                           \
        EXPECT_EQ(f.caption, caption_);                                                            \
        EXPECT_EQ(f.text, text_);                                                                  \
    } while (0)

TEST(ImageSource, ResourceFailuresGiveTheirLoadersMessages) {
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, "wall.bmp", true), "BMP Texture",
                   "File not found in resource - wall.bmp");
    EXPECT_FAILURE(FailureOf(ImageKind::Jpeg, "sky.jpg", true), "JPG Texture",
                   "File not found in resource - sky.jpg");
    EXPECT_FAILURE(FailureOf(ImageKind::Tga, "a.b.tga", true), "TGA Texture",
                   "File not found in resource - a.b.tga");
    EXPECT_TRUE(FailureOf(ImageKind::Unknown, "quarn_checker.png", true).text.empty());
}

TEST(ImageSource, FileFailuresGiveTheExactMessages) {
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, "/nonexistent/w.bmp"), "BMP Unit",
                   "Error opening /nonexistent/w.bmp");
    const std::string folder = ::testing::TempDir() + "folder.bmp"; // a folder opens as no file
    std::filesystem::create_directories(folder);
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, folder), "BMP Unit", "Error opening " + folder);
    std::filesystem::remove(folder);
    const Bytes bmp = test::MakeBmp24(2, 2, Bytes(12, 9));
    Bytes eightBit(bmp.begin(), bmp.begin() + 54);
    eightBit[28] = 8;
    Bytes rle = bmp;
    rle[30] = 1;
    const std::string rlePath = test::WriteTemporaryFile("rle.bmp", rle);
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, test::WriteTemporaryFile(
                                                 "short.bmp", Bytes(bmp.begin(), bmp.end() - 8))),
                   "BMP Unit", "Error reading bitmap data");
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, test::WriteTemporaryFile("pal.bmp", eightBit)),
                   "BMP Unit", "Error reading palette");
    EXPECT_FAILURE(FailureOf(ImageKind::Bmp, rlePath), "BMP Unit",
                   "Unsupported bitmap format - " + rlePath);

    EXPECT_FAILURE(FailureOf(ImageKind::Tga, "/nonexistent/t.tga"), "TGA Texture",
                   "File not found  - /nonexistent/t.tga");
    const std::pair<Bytes, const char*> tgaCases[] = {
        {MakeTgaHeader(1, 1, 1, 8, 0, 0, 1), ". Only 24 and 32bit TGA supported."}, // type first
        {MakeTgaHeader(2, 1, 1, 24, 0, 0, 1), ". Colormapped TGA files not supported."},
        {MakeTgaHeader(2, 1, 1, 16), ". Only 24 and 32 bit TGA files supported."},
        {MakeTgaHeader(2, 4, 4, 24), nullptr}};
    for (const auto& [file, tail] : tgaCases) {
        const std::string path = test::WriteTemporaryFile("bad.tga", file);
        const std::string quoted = "\"" + path + "\"";
        EXPECT_FAILURE(FailureOf(ImageKind::Tga, path), "TGA File Error",
                       tail ? "Couldn't load " + quoted + tail
                            : "Couldn't read file " + quoted + ".");
    }
    const std::string jpg = test::WriteTemporaryFile("garbage.jpg", Bytes(64, 1));
    EXPECT_FAILURE(FailureOf(ImageKind::Jpeg, jpg), "BMP Unit",
                   "Couldn't load JPG - \"" + jpg + "\"");
}

} // namespace
} // namespace quarn
