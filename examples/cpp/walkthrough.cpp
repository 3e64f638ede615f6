// walkthrough: a first-person walk over a terrain in fog under a sky box.
//
//   walkthrough                          W/A/S/D walk, the mouse looks around, Escape quits
//   walkthrough --frames N --output F    renders N frames, saves the last one as a BMP, exits
//
// The terrain and the six sky pictures are generated as BMP files first, in a temporary folder
// removed at the end, so the example needs no data files and leaves nothing behind; a real host
// would load its own pictures the same way.
#include "quarn/QuarnGL.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

int framesLeft = -1; // -1: run until Escape
std::string output = "walkthrough.bmp";
std::filesystem::path pictures; // the generated pictures' temporary folder

// Writes a 24-bit BMP of w x h pixels; colour(x, y) gives red, green, blue for the pixel at
// column x, row y counted from the top.
bool WriteBmp(const std::string& path, int w, int h,
              const std::function<void(int, int, unsigned char*)>& colour) {
    const int row = (w * 3 + 3) & ~3;
    std::vector<unsigned char> file(54 + size_t(row) * size_t(h));
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + size_t(i)] = static_cast<unsigned char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < h; ++y) {
        unsigned char* line = &file[54 + size_t(h - 1 - y) * size_t(row)]; // bottom row first
        for (int x = 0; x < w; ++x) {
            unsigned char rgb[3];
            colour(x, y, rgb);
            line[x * 3] = rgb[2];
            line[x * 3 + 1] = rgb[1];
            line[x * 3 + 2] = rgb[0];
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return bool(out);
}

// Rolling hills: the terrain builder reads the red channel, 128 being height zero.
void HillPixel(int x, int y, unsigned char* rgb) {
    const double h = 128 + 20 * std::sin(x * 0.15) * std::cos(y * 0.11) + 10 * std::sin(y * 0.3);
    rgb[0] = static_cast<unsigned char>(h);
    rgb[1] = rgb[2] = 0;
}

void QUARN_CALL OnKeyHeld(int32_t* key) {
    switch (*key) { // registered keys only; units per frame
    case QGL_VK_W:
        qglMoveCamera(0.6f);
        break;
    case QGL_VK_S:
        qglMoveCamera(-0.6f);
        break;
    case QGL_VK_A:
        qglStrafeCamera(-0.6f);
        break;
    case QGL_VK_D:
        qglStrafeCamera(0.6f);
        break;
    default:
        break;
    }
}

// The mouse turns the camera; it puts the cursor back at the window centre each time.
void QUARN_CALL OnMouseMove(float x, float y, float, float) {
    qglMouseLookCamera(int32_t(x), int32_t(y));
}

void QUARN_CALL OnSceneInit() {
    // The terrain: a 96 x 96 height map, 4 units a pixel, the red channel's offset from 128
    // times 1 as height.
    const std::string heights = (pictures / "heights.bmp").string();
    if (WriteBmp(heights, 96, 96, HillPixel))
        qglAddStaticObjectTerrain(heights.c_str(), "", "", 4, 1, 0, 0, 0, 0);

    // The sky box: six pictures (two sides, ..., top and bottom), here a blue gradient.
    std::vector<std::string> sky;
    for (int i = 1; i <= 6; ++i) {
        sky.push_back((pictures / ("sky" + std::to_string(i) + ".bmp")).string());
        WriteBmp(sky.back(), 32, 32, [i](int, int y, unsigned char* rgb) {
            const int t = i == 5 ? 0 : (i == 6 ? 31 : y); // top all sky, bottom all haze
            rgb[0] = static_cast<unsigned char>(90 + t * 4);
            rgb[1] = static_cast<unsigned char>(140 + t * 3);
            rgb[2] = 230;
        });
    }
    qglInitEnvironmentSkybox(sky[0].c_str(), sky[1].c_str(), sky[2].c_str(), sky[3].c_str(),
                             sky[4].c_str(), sky[5].c_str());
    qglSetEnvironmentSkyboxVisibleFlag(1);

    // Fog the colour of the horizon, thickening with distance (GL_EXP2).
    qglSetEnvironmentFogColor(0.7f, 0.78f, 0.9f, 1.0f);
    qglSetEnvironmentFogClearColor(0.7f, 0.78f, 0.9f, 1.0f);
    qglSetEnvironmentFogMode(QGL_FOG_EXP2);
    qglSetEnvironmentFogDensity(0.006f);
    qglSetEnvironmentFogVisibleFlag(1);

    // First-person controls: W/A/S/D held down, the mouse to look (on screen only).
    for (int32_t key : {QGL_VK_W, QGL_VK_A, QGL_VK_S, QGL_VK_D})
        qglRegisterSceneKey(key);
    qglSetSceneKeyCallbacks(OnKeyHeld, nullptr);
    if (framesLeft < 0) qglSetSceneMouseCallbacks(OnMouseMove, nullptr, nullptr);
    qglSetCameraPosition(0.0f, 40.0f, 0.0f);
    qglSetCameraDirection(1.0f, -0.2f, 1.0f);
    qglSetSceneTitle("walkthrough");
}

void QUARN_CALL OnAfterRender() {
    if (framesLeft > 0 && --framesLeft == 0) {
        qglCopySceneScreenToBitmapFile(output.c_str());
        qglDestroySceneWindow();
    }
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--frames") == 0) framesLeft = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--output") == 0) output = argv[i + 1];
    }
    std::error_code error;
    pictures = std::filesystem::temp_directory_path(error) /
               ("walkthrough-" + std::to_string(std::random_device{}()) + "-" +
                std::to_string(std::time(nullptr)));
    if (error || !std::filesystem::create_directories(pictures, error)) {
        std::fprintf(stderr, "walkthrough: cannot create a temporary folder\n");
        return 1;
    }
    const bool failed =
        qglCreateSceneWindow(800, 600, 32, 0, OnSceneInit, nullptr, OnAfterRender) < 0 ||
        qglGetLastError();
    std::filesystem::remove_all(pictures, error);
    if (failed) {
        std::fprintf(stderr, "walkthrough: %s\n",
                     qglGetLastError() ? qglGetLastError() : "no window");
        return 1;
    }
    return 0;
}
