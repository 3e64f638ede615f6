#include "engine/assets/Convert3DS.h"

#include "common/EngineError.h"

namespace quarn {

namespace {

int LowestBit(uint32_t group) {
    int bit = 0;
    while (!(group & 1u)) {
        group >>= 1;
        ++bit;
    }
    return bit;
}

// Per source vertex: the converted vertex serving each smoothing-group bit. Most vertices
// serve one or two groups, so each keeps a short chain of (bit, vertex) entries instead of a
// full table of 32.
class SmoothingTable {
  public:
    explicit SmoothingTable(size_t vertices) : head_(vertices, -1) { entries_.reserve(vertices); }
    // The converted vertex registered for the bit, or -1.
    int32_t Find(size_t vertex, int bit) const {
        for (int32_t e = head_[vertex]; e >= 0; e = entries_[size_t(e)].next)
            if (entries_[size_t(e)].bit == bit) return entries_[size_t(e)].converted;
        return -1;
    }
    void Register(size_t vertex, int bit, int32_t converted) {
        entries_.push_back(Entry{converted, head_[vertex], bit});
        head_[vertex] = static_cast<int32_t>(entries_.size()) - 1;
    }

  private:
    struct Entry {
        int32_t converted;
        int32_t next;
        int bit;
    };
    std::vector<int32_t> head_;
    std::vector<Entry> entries_;
};

} // namespace

std::string MixedSmoothingMessage(const std::string& meshName) {
    return "Wrong smoothing group assignments!\nMesh \"" + meshName +
           "\" contains vertices assigned to more than one smoothing group.";
}

bool HasUngroupedFaces(const TMesh3DS& mesh) {
    std::vector<uint8_t> grouped(mesh.faces.size(), 0);
    for (const TFaceGroup3DS& g : mesh.groups)
        for (uint16_t f : g.faces)
            if (f < grouped.size()) grouped[f] = 1;
    for (uint8_t g : grouped)
        if (!g) return true;
    return false;
}

bool ConvertMesh3DS(const TMesh3DS& mesh, int32_t meshRelease, const MaterialLookup3DS& lookup,
                    int32_t ungroupedMaterial, ConvertedMesh3DS& out,
                    std::vector<std::string>& messages) {
    const size_t vertexCount = mesh.vertices.size();
    if (vertexCount < 3) return false;
    const bool hasTexCoords = !mesh.texCoords.empty();
    const bool hasSmoothing = !mesh.smoothing.empty();
    // Converted vertices start as copies of the source vertices, after what out holds.
    const size_t first = out.positions.size();
    const auto base = static_cast<int32_t>(first);
    out.positions.insert(out.positions.end(), mesh.vertices.begin(), mesh.vertices.end());
    out.normals.resize(first + vertexCount, Vec3{});
    out.texCoords.resize(first + vertexCount, Vec3{});
    if (hasTexCoords)
        for (size_t v = 0; v < vertexCount; ++v)
            out.texCoords[first + v] = Vec3{mesh.texCoords[v][0], mesh.texCoords[v][1], 0};

    // A new converted vertex: the source's position and coordinates, the given normal.
    const auto split = [&](size_t source, const Vec3& normal) {
        out.positions.push_back(mesh.vertices[source]);
        out.normals.push_back(normal);
        out.texCoords.push_back(out.texCoords[first + source]);
        return static_cast<int32_t>(out.positions.size() - 1);
    };

    SmoothingTable table(hasSmoothing ? vertexCount : 0);
    std::vector<uint8_t> used(vertexCount, 0);
    std::vector<int32_t> corners(mesh.faces.size() * 3);
    bool mixed = false;
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& face = mesh.faces[f];
        const Vec3 e1 = VectorSubtract(mesh.vertices[face[0]], mesh.vertices[face[1]]);
        const Vec3 e2 = VectorSubtract(mesh.vertices[face[2]], mesh.vertices[face[1]]);
        const Vec3 normal = meshRelease >= 2 ? VectorCross(e2, e1) : VectorCross(e1, e2);
        const uint32_t group = hasSmoothing ? mesh.smoothing[f] : 0;
        if (group & (group - 1)) mixed = true;
        for (int k = 0; k < 3; ++k) {
            const size_t v = face[size_t(k)];
            int32_t& corner = corners[f * 3 + size_t(k)];
            if (!used[v]) {
                out.normals[first + v] = normal;
                used[v] = 1;
                corner = base + static_cast<int32_t>(v);
                if (group) table.Register(v, LowestBit(group), corner);
            } else if (group) {
                const int bit = LowestBit(group);
                int32_t slot = table.Find(v, bit);
                if (slot >= 0) {
                    out.normals[size_t(slot)] = VectorAdd(out.normals[size_t(slot)], normal);
                } else {
                    // The face's own normal: a vertex first met by this face would stay
                    // unlit otherwise.
                    slot = split(v, normal);
                    table.Register(v, bit, slot);
                }
                corner = slot;
            } else {
                corner = split(v, normal); // no group: flat
            }
        }
    }
    for (size_t n = first; n < out.normals.size(); ++n)
        out.normals[n] = VectorNormalize(out.normals[n]);

    std::vector<uint8_t> grouped(mesh.faces.size(), 0);
    for (const TFaceGroup3DS& g : mesh.groups) {
        ConvertedFaceGroup3DS group;
        group.material = lookup(g.material);
        if (group.material < 0) {
            messages.push_back("Material '" + g.material + "' not found. Using default material.");
            group.material = 0;
        }
        group.indices.reserve(g.faces.size() * 3);
        for (uint16_t f : g.faces) {
            grouped[f] = 1;
            for (int k = 0; k < 3; ++k)
                group.indices.push_back(corners[size_t(f) * 3 + size_t(k)]);
        }
        out.groups.push_back(std::move(group));
    }
    ConvertedFaceGroup3DS rest;
    rest.material = ungroupedMaterial;
    for (size_t f = 0; f < mesh.faces.size(); ++f)
        if (!grouped[f])
            for (int k = 0; k < 3; ++k)
                rest.indices.push_back(corners[f * 3 + size_t(k)]);
    if (!rest.indices.empty()) out.groups.push_back(std::move(rest));
    if (mixed) {
        out.mixedSmoothingGroups = true;
        messages.push_back(MixedSmoothingMessage(mesh.name));
    }
    return true;
}

} // namespace quarn
