// Real files from other projects, decoded and compared with what ImageMagick and Pillow give
// for them (SHA-256 of the pixels as RGBA, rows top to bottom).
#include "ImageTestSupport.h"

#include "engine/materials/BmpReader.h"
#include "engine/materials/JpegReader.h"
#include "engine/materials/TGAImage.h"
#include "engine/materials/TgaReader.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

struct Reference {
    std::string file;
    int width, height;
    const char* rgbaSha256;
};

const Reference kReferences[] = {
    {"crackattack_clock_0.tga", 32, 32, // 32-bit, top-left origin, 42-byte ID field
     "81524da05066641fa2792dd1390146e1cd329473658b39624189366ce9af8abb"},
    {"crackattack_sign_x2.tga", 64, 32,
     "16c795895deaa979e9e597420edf346eeb1d38ab1e9c48635fabfca8a9d4debe"},
    {"sdl2tests_icon.bmp", 32, 32, // 4-bit, 3-colour palette
     "ccc8a51569c256f47c57224b04a3ae88f2ff747f60e1bf0cdfdb1dd48b9f5201"},
    {"sdl2tests_axis.bmp", 50, 50, // 32-bit bit fields with alpha, V5 header
     "cd39cc186d13787b77458eee71556003c73b19d76b997ebce71c70de4a909faf"},
    {"sdl2tests_button.bmp", 50, 50, // 8-bit, V4 header, padded rows
     "c8d710b7f8786a6a5589eb737e471449ba5a9e7155612ac4338e04bd28833cc1"},
    {"pygame_pygame_icon.bmp", 32, 32,
     "5e218451393af0f0d5d2bd4ee02effe175256e60f0ad3ecbeddfe4c3896e1431"},
    {"rrootage_title.bmp", 150, 36, // 24-bit, padded rows
     "634010b0d7b16898d26a07d6fc96139366377a5c8898bfbb8f6135439931420b"},
    {"imagemagick_objects.jpg", 256, 171, // grey
     "de032bdf4ab546919faf114b43ef3940bd36e280b343fbc607c9884cec2e77ba"},
    {"imagemagick_rose.jpg", 70, 46, // 2x2 chroma subsampling
     "df2c1b7d9bf0f596ece5e7e85e3b382060b73a8498c22ddb157a91386f21750c"},
    {"imagemagick_thumbnail-sample-plain.jpg", 210, 209, // progressive
     "dcbc08906aea272a118b95233251bf9f6200ed6b0d9e160363710c6448c9f618"},
    {"crackattack_cube_icon.jpg", 48, 48,
     "2e1986f028c50a109647efd4ca38ecdab787c39aa7031a63565e2c8a40536fdc"},
};

class RealImage : public ::testing::TestWithParam<Reference> {};

TEST_P(RealImage, DecodesToTheReferencePixels) {
    const Reference& ref = GetParam();
    const std::string path = test::TestDataPath(ref.file);
    if (path.empty()) GTEST_SKIP() << "test data folder not present";
    const test::Bytes bytes = test::ReadFileBytes(path);
    const std::string ext = ref.file.substr(ref.file.size() - 3);
    Bitmap image;
    if (ext == "bmp") {
        ASSERT_EQ(DecodeBmp(bytes.data(), bytes.size(), image), BmpError::None);
    } else if (ext == "tga") {
        ASSERT_EQ(DecodeTgaTexture(bytes.data(), bytes.size(), image), TgaError::None);
        // The scene readers' decoder gives the same picture.
        TTGAImage tga;
        tga.LoadFromBytes(bytes.data(), bytes.size());
        EXPECT_EQ(test::Sha256Hex(test::RgbaTopDown(tga)), ref.rgbaSha256);
    } else {
        ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), image));
    }
    EXPECT_EQ(image.width, ref.width);
    EXPECT_EQ(image.height, ref.height);
    ASSERT_EQ(image.pixels.size(), image.RowBytes() * image.height);
    EXPECT_EQ(test::Sha256Hex(test::RgbaTopDown(image)), ref.rgbaSha256);
}

INSTANTIATE_TEST_SUITE_P(Files, RealImage, ::testing::ValuesIn(kReferences),
                         [](const ::testing::TestParamInfo<Reference>& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace
} // namespace quarn
