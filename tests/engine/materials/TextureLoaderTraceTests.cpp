// The GL side of the loaders against the recording GL table: what reaches GL after a decode,
// in which order, and that failures reach the message channel without touching GL.
#include "engine/materials/TextureLoader.h"
#include "platform/gl/GLRecorder.h"
#include "platform/MessageChannel.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

using gl::GLRecorder;

std::vector<std::string> g_messages;

class TextureLoaderTrace : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        GLRecorder::SetIntegers(GL_UNPACK_ALIGNMENT, {4});
        g_messages.clear();
        SetHostMessageCallback([](const char* caption, const char* text) {
            g_messages.push_back(std::string(caption) + ": " + text);
        });
    }
    void TearDown() override {
        SetHostMessageCallback(nullptr);
        GLRecorder::Uninstall();
    }
    static std::vector<std::string> Only(const std::string& name) {
        std::vector<std::string> lines;
        for (const auto& call : GLRecorder::Calls())
            if (call.name == name) lines.push_back(call.ToString());
        return lines;
    }
};

std::string Call(const char* name, std::vector<double> args) {
    return gl::RecordedCall{name, std::move(args)}.ToString();
}

TEST_F(TextureLoaderTrace, CreateTextureFiltersThenBuildsMipmapsFromUnpaddedRows) {
    const unsigned char pixels[3 * 3 * 2] = {};
    const GLuint name = CreateTexture(3, 2, GL_RGB, pixels, GL_LINEAR, GL_NEAREST, GL_TEXTURE_2D);
    EXPECT_EQ(
        GLRecorder::Lines(),
        (std::vector<std::string>{
            Call("glGenTextures", {1, 1}), Call("glBindTexture", {GL_TEXTURE_2D, double(name)}),
            Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
            Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}),
            Call("glGetIntegerv", {GL_UNPACK_ALIGNMENT, 1}),
            Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
            Call("gluBuild2DMipmaps", {GL_TEXTURE_2D, GL_RGB8, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, 1}),
            Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 4})}));
}

TEST_F(TextureLoaderTrace, CubeMapFacesGoInTheirOrderAndTgaIsRefused) {
    GLuint handle = 0;
    const std::string b = "quarn_checker.bmp", t = "quarn_checker.tga";
    ASSERT_TRUE(
        LoadCubeTexture(b, b, b, b, b, b, handle, true, GL_LINEAR, GL_LINEAR, GL_TEXTURE_CUBE_MAP));
    std::vector<double> faces;
    for (const auto& call : GLRecorder::Calls())
        if (call.name == "gluBuild2DMipmaps") faces.push_back(call.args[0]);
    EXPECT_EQ(faces, (std::vector<double>{
                         GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                         GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                         GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z}));
    EXPECT_EQ(Only("glBindTexture"), std::vector<std::string>{Call(
                                         "glBindTexture", {GL_TEXTURE_CUBE_MAP, double(handle)})});
    GLRecorder::Clear();
    EXPECT_FALSE(
        LoadCubeTexture(t, t, t, t, t, t, handle, true, GL_LINEAR, GL_LINEAR, GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(LoadCubeTexture(b, b, "missing.bmp", b, b, b, handle, true, GL_LINEAR, GL_LINEAR,
                                 GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(g_messages,
              std::vector<std::string>{"BMP Texture: File not found in resource - missing.bmp"});
    EXPECT_TRUE(GLRecorder::Calls().empty()) << "no face is uploaded before all are read";
}

} // namespace
} // namespace quarn
