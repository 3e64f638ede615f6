// Height-map terrain: one static mesh with two faces per grid cell.
#include "engine/materials/MaterialList.h"
#include "engine/scene/FacePool.h"
#include "engine/scene/HeightMap.h"
#include "engine/scene/StaticMeshObject.h"

#include <cstdlib>

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
    Faces.Reserve(size_t(Faces.Count()) + cells * 2);
    Vertices.reserve(Vertices.size() + cells * 4);
    HintHugePages(Vertices.data() + Vertices.size(),
                  (Vertices.capacity() - Vertices.size()) * sizeof(Vec3));
    // Every corner carries the same up normal, so the unique search always gives one index.
    const int32_t up = cells > 0 ? AddUniqueNormal(Vec3{0, 1, 0}) : -1;
    const auto addFace = [&](const int32_t(&corners)[3]) {
        auto face = std::make_unique<TQGLFace>();
        face->MaterialIndex = m;
        for (int32_t v : corners) {
            face->AddVectorIndex(v);
            face->AddNormalIndex(up);
        }
        Faces.Add(std::move(face));
    };
    // Integer grid positions up to 2^24 are exact and distinct as floats, so in a mesh that
    // starts empty the unique search can only find an earlier copy of the same grid point: a
    // table of each point's first index gives its answer without the search.
    const int64_t exact = int64_t(1) << 24;
    const bool distinctGrid =
        Vertices.empty() && cell != 0 && std::abs(int64_t(w - 1) * cell - halfW) <= exact &&
        std::abs(halfW) <= exact && std::abs(int64_t(h - 1) * cell - halfH) <= exact &&
        std::abs(halfH) <= exact;
    if (distinctGrid) {
        std::vector<int32_t> first(size_t(w) * size_t(h), -1);
        const auto vertex = [&](int x, int y, bool unique) {
            int32_t& known = first[size_t(y) * size_t(w) + size_t(x)];
            if (unique && known >= 0) return known;
            Vertices.push_back(at(x, y));
            const int32_t index = int32_t(Vertices.size() - 1);
            if (known < 0) known = index;
            return index;
        };
        for (int x = 0; x + 1 < w; ++x)
            for (int y = 0; y + 1 < h; ++y) {
                addFace({vertex(x, y, true), vertex(x, y + 1, true), vertex(x + 1, y, true)});
                addFace({vertex(x, y + 1, false), vertex(x + 1, y + 1, false),
                         vertex(x + 1, y, false)});
            }
        GeometryChanged(); // the unique index is rebuilt from the array when next needed
    } else {
        for (int x = 0; x + 1 < w; ++x)
            for (int y = 0; y + 1 < h; ++y) {
                addFace({AddUniqueVector(at(x, y)), AddUniqueVector(at(x, y + 1)),
                         AddUniqueVector(at(x + 1, y))});
                addFace({AddVector(at(x, y + 1)), AddVector(at(x + 1, y + 1)),
                         AddVector(at(x + 1, y))});
            }
    }
    BuildOctree();
}

} // namespace quarn
