// Height-map terrain: one static mesh with two faces per grid cell.
#include "engine/materials/MaterialList.h"
#include "engine/scene/HeightMap.h"
#include "engine/scene/StaticMeshObject.h"

namespace quarn {

void TQGLStaticMeshObject::BuildTerrain(const std::string& file, int32_t cellSize,
                                        int32_t heightScale) {
    HeightMap map = LoadHeightMap(file);
    BuildTerrainFromHeights(map.red, map.width, map.height, cellSize, heightScale);
}

void TQGLStaticMeshObject::BuildTerrainFromHeights(const std::vector<uint8_t>& red, int w, int h,
                                                   int32_t cell, int32_t heightScale) {
    if (w <= 0 || h <= 0 || red.size() < size_t(w) * size_t(h))
        throw EngineError("Height map has no pixels");
    // Grid positions, computed in 64 bits so large maps and cells cannot overflow.
    const int64_t halfW = (int64_t(w) * cell) / 2, halfH = (int64_t(h) * cell) / 2;
    const auto at = [&](int x, int y) {
        const int r = red[size_t(y) * size_t(w) + size_t(x)];
        return Vec3{float(int64_t(x) * cell - halfW), float((r - 128) * int64_t(heightScale)),
                    float(int64_t(y) * cell - halfH)};
    };
    auto material = std::make_unique<TQGLMaterial>();
    material->name = "Terrain:" + std::to_string(Materials->Count());
    material->ambient = {0.2f, 0.2f, 0.2f};
    material->diffuse = {0.8f, 0.8f, 0.8f};
    const int32_t m = Materials->Count();
    Materials->AddMaterial(std::move(material));

    const size_t cells = size_t(w - 1 > 0 ? w - 1 : 0) * size_t(h - 1 > 0 ? h - 1 : 0);
    Vertices.reserve(Vertices.size() + cells * 4);
    const Vec3 up{0, 1, 0};
    for (int x = 0; x + 1 < w; ++x) {
        for (int y = 0; y + 1 < h; ++y) {
            auto first = std::make_unique<TQGLFace>();
            first->MaterialIndex = m;
            for (const Vec3& p : {at(x, y), at(x, y + 1), at(x + 1, y)}) {
                first->AddVectorIndex(AddUniqueVector(p));
                first->AddNormalIndex(AddUniqueNormal(up));
            }
            Faces.Add(std::move(first));
            auto second = std::make_unique<TQGLFace>();
            second->MaterialIndex = m;
            for (const Vec3& p : {at(x, y + 1), at(x + 1, y + 1), at(x + 1, y)}) {
                second->AddVectorIndex(AddVector(p));
                second->AddNormalIndex(AddUniqueNormal(up));
            }
            Faces.Add(std::move(second));
        }
    }
    BuildOctree();
}

} // namespace quarn
