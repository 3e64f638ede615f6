#include "engine/assets/File3DS.h"

#include "engine/assets/NQStream.h"

#include <cmath>
#include <cstring>

namespace quarn {

namespace {

// A view of one chunk's data, [pos, end), with checked little-endian reads.
class ChunkReader {
  public:
    ChunkReader(const std::string& file, const uint8_t* data, size_t begin, size_t end)
        : file_(file), data_(data), pos_(begin), end_(end) {}

    bool AtEnd() const { return pos_ >= end_; }
    size_t Remaining() const { return end_ - pos_; }
    size_t Position() const { return pos_; }

    [[noreturn]] void Fail(const std::string& what) const {
        throw E3DSError(Format("%s: %s (at byte %zu)", file_.c_str(), what.c_str(), pos_));
    }
    void Need(size_t n, const char* what) const {
        if (n > Remaining())
            Fail(Format("%s needs %zu bytes but its chunk has %zu left", what, n, Remaining()));
    }
    uint8_t Byte() {
        Need(1, "a byte");
        return data_[pos_++];
    }
    uint16_t Word() {
        Need(2, "a 16-bit value");
        const uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t Cardinal() {
        Need(4, "a 32-bit value");
        const uint8_t* p = data_ + pos_;
        pos_ += 4;
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
               (uint32_t(p[3]) << 24);
    }
    float Single() {
        const uint32_t bits = Cardinal();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // A zero-terminated name that must end inside the chunk.
    std::string Name(const char* what) {
        const void* zero = std::memchr(data_ + pos_, 0, Remaining());
        if (!zero) Fail(Format("%s has no terminator inside its chunk", what));
        const size_t n = size_t(static_cast<const uint8_t*>(zero) - (data_ + pos_));
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n + 1;
        return s;
    }
    // The next sub-chunk header; its data is [dataBegin, chunkEnd) and must lie inside this one.
    bool NextChunk(uint16_t& id, size_t& dataBegin, size_t& chunkEnd) {
        if (Remaining() < 6) {
            pos_ = end_; // trailing bytes too short for a chunk header are padding
            return false;
        }
        const size_t start = pos_;
        id = Word();
        const uint32_t length = Cardinal();
        if (length < 6)
            Fail(Format("chunk 0x%04X has length %u, below its 6-byte header", id, length));
        if (length > end_ - start)
            Fail(Format("chunk 0x%04X claims %u bytes but its parent has %zu left", id, length,
                        end_ - start));
        dataBegin = pos_;
        chunkEnd = start + length;
        pos_ = chunkEnd;
        return true;
    }
    ChunkReader Sub(size_t begin, size_t end) const {
        return ChunkReader(file_, data_, begin, end);
    }

  private:
    const std::string& file_;
    const uint8_t* data_;
    size_t pos_, end_;
};

Vec3 ReadColour(ChunkReader chunk, const Vec3& previous) {
    uint16_t id;
    size_t b, e;
    Vec3 colour = previous;
    while (chunk.NextChunk(id, b, e)) {
        ChunkReader c = chunk.Sub(b, e);
        if (id == kChunkColourF || id == kChunkLinColourF) {
            colour.x = c.Single();
            colour.y = c.Single();
            colour.z = c.Single();
        } else if (id == kChunkColour24 || id == kChunkLinColour24) {
            colour.x = c.Byte() / 255.0f;
            colour.y = c.Byte() / 255.0f;
            colour.z = c.Byte() / 255.0f;
        }
    }
    return colour;
}

float ReadPercent(ChunkReader chunk, float previous) {
    uint16_t id;
    size_t b, e;
    float value = previous;
    while (chunk.NextChunk(id, b, e)) {
        ChunkReader c = chunk.Sub(b, e);
        if (id == kChunkPercentI)
            value = static_cast<int16_t>(c.Word());
        else if (id == kChunkPercentF)
            value = c.Single();
    }
    return value;
}

std::string ReadMapFile(ChunkReader chunk) {
    uint16_t id;
    size_t b, e;
    std::string file;
    while (chunk.NextChunk(id, b, e))
        if (id == kChunkMapFile) file = chunk.Sub(b, e).Name("map file name");
    return file;
}

TMaterial3DS ReadMaterial(ChunkReader chunk) {
    TMaterial3DS m;
    uint16_t id;
    size_t b, e;
    while (chunk.NextChunk(id, b, e)) {
        ChunkReader c = chunk.Sub(b, e);
        switch (id) {
        case kChunkMatName:
            m.name = c.Name("material name");
            break;
        case kChunkMatAmbient:
            m.ambient = ReadColour(c, m.ambient);
            break;
        case kChunkMatDiffuse:
            m.diffuse = ReadColour(c, m.diffuse);
            break;
        case kChunkMatSpecular:
            m.specular = ReadColour(c, m.specular);
            break;
        case kChunkMatShininess:
            m.shininess = ReadPercent(c, m.shininess);
            break;
        case kChunkMatTransparency:
            m.transparency = ReadPercent(c, m.transparency);
            break;
        case kChunkMatSelfIllum:
            m.selfIllumination = ReadPercent(c, m.selfIllumination);
            break;
        case kChunkMatTexture:
            m.textureMap = ReadMapFile(c);
            break;
        case kChunkMatTexture2:
            m.secondMap = ReadMapFile(c);
            break;
        default:
            break;
        }
    }
    return m;
}

void ReadFaces(ChunkReader c, TMesh3DS& mesh) {
    const uint16_t n = c.Word();
    c.Need(size_t(n) * 8, "the face list");
    mesh.faces.resize(n);
    for (uint16_t i = 0; i < n; ++i) {
        for (uint16_t& corner : mesh.faces[i]) {
            corner = c.Word();
            if (corner >= mesh.vertices.size())
                c.Fail(Format("face %u of mesh %s uses vertex %u of %zu", i, mesh.name.c_str(),
                              corner, mesh.vertices.size()));
        }
        c.Word(); // edge flags
    }
    uint16_t id;
    size_t b, e;
    while (c.NextChunk(id, b, e)) {
        ChunkReader sub = c.Sub(b, e);
        if (id == kChunkFaceMaterial) {
            TFaceGroup3DS group;
            group.material = sub.Name("face material name");
            const uint16_t count = sub.Word();
            sub.Need(size_t(count) * 2, "the face material list");
            group.faces.resize(count);
            for (uint16_t& f : group.faces) {
                f = sub.Word();
                if (f >= n)
                    sub.Fail(Format("material group %s of mesh %s names face %u of %u",
                                    group.material.c_str(), mesh.name.c_str(), f, n));
            }
            mesh.groups.push_back(std::move(group));
        } else if (id == kChunkSmoothing) {
            sub.Need(size_t(n) * 4, "the smoothing groups");
            mesh.smoothing.resize(n);
            for (uint32_t& s : mesh.smoothing)
                s = sub.Cardinal();
        }
    }
}

void ReadTriMesh(ChunkReader chunk, TMesh3DS& mesh) {
    uint16_t id;
    size_t b, e;
    // Faces refer to points, so the points are read first wherever they stand.
    ChunkReader scan = chunk;
    while (scan.NextChunk(id, b, e)) {
        ChunkReader c = chunk.Sub(b, e);
        if (id == kChunkPoints) {
            const uint16_t n = c.Word();
            c.Need(size_t(n) * 12, "the point list");
            mesh.vertices.resize(n);
            for (Vec3& v : mesh.vertices) {
                v.x = c.Single();
                v.y = c.Single();
                v.z = c.Single();
                // A non-finite point would poison the octree's bounds and the physics tree.
                if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                    c.Fail(Format("mesh %s has a non-finite vertex", mesh.name.c_str()));
            }
        } else if (id == kChunkTexVerts) {
            const uint16_t n = c.Word();
            c.Need(size_t(n) * 8, "the texture-coordinate list");
            mesh.texCoords.resize(n);
            for (auto& t : mesh.texCoords) {
                t[0] = c.Single();
                t[1] = c.Single();
            }
        }
    }
    while (chunk.NextChunk(id, b, e))
        if (id == kChunkFaces) ReadFaces(chunk.Sub(b, e), mesh);
    // One coordinate pair per vertex: missing pairs are zero, extra ones dropped.
    if (!mesh.texCoords.empty()) mesh.texCoords.resize(mesh.vertices.size());
}

} // namespace

void TFile3DS::LoadFromFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(name);
    } catch (const EngineError& e) {
        throw E3DSError(e.what());
    }
    LoadFromBytes(name, bytes.data(), bytes.size());
}

void TFile3DS::LoadFromBytes(const std::string& name, const uint8_t* data, size_t size) {
    TFile3DS file;
    file.fileName = name;
    ChunkReader top(file.fileName, data, 0, size);
    uint16_t id;
    size_t b, e;
    if (!top.NextChunk(id, b, e)) top.Fail("not a 3DS file: too short for a chunk");
    if (id != kChunkMain && id != kChunkMainAlt)
        top.Fail(Format("not a 3DS file: root chunk 0x%04X", id));
    ChunkReader root = top.Sub(b, e);
    int32_t meshVersion = 0;
    while (root.NextChunk(id, b, e)) {
        if (id != kChunkEditor) continue;
        ChunkReader editor = root.Sub(b, e);
        while (editor.NextChunk(id, b, e)) {
            ChunkReader c = editor.Sub(b, e);
            if (id == kChunkMeshVersion) {
                meshVersion = static_cast<int32_t>(c.Cardinal());
            } else if (id == kChunkMaterial) {
                file.materials.push_back(ReadMaterial(c));
            } else if (id == kChunkObject) {
                TMesh3DS mesh;
                mesh.name = c.Name("object name");
                bool isMesh = false;
                while (c.NextChunk(id, b, e)) {
                    if (id != kChunkTriMesh) continue;
                    ReadTriMesh(c.Sub(b, e), mesh);
                    isMesh = true;
                }
                if (isMesh) file.meshes.push_back(std::move(mesh));
            }
        }
    }
    file.meshRelease = (meshVersion >= 1 && meshVersion <= 3) ? meshVersion - 1 : 3;
    *this = std::move(file);
}

namespace {

// Writes a chunk whose body the callback appends; the length is patched afterwards.
template <class F> void PutChunk(std::vector<uint8_t>& out, uint16_t id, F&& body) {
    const size_t start = out.size();
    PutWord(out, id);
    PutCardinal(out, 0);
    body();
    const uint32_t length = static_cast<uint32_t>(out.size() - start);
    for (int i = 0; i < 4; ++i)
        out[start + 2 + size_t(i)] = uint8_t(length >> (8 * i));
}

void PutName(std::vector<uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

void PutColour(std::vector<uint8_t>& out, uint16_t id, const Vec3& c) {
    PutChunk(out, id, [&] { PutChunk(out, kChunkColourF, [&] { PutVector(out, c); }); });
}

void PutPercent(std::vector<uint8_t>& out, uint16_t id, float value) {
    PutChunk(out, id, [&] { PutChunk(out, kChunkPercentF, [&] { PutSingle(out, value); }); });
}

void PutMap(std::vector<uint8_t>& out, uint16_t id, const std::string& file) {
    if (file.empty()) return;
    PutChunk(out, id, [&] { PutChunk(out, kChunkMapFile, [&] { PutName(out, file); }); });
}

} // namespace

std::vector<uint8_t> TFile3DS::SaveToBytes() const {
    std::vector<uint8_t> out;
    for (const TMesh3DS& mesh : meshes)
        if (mesh.vertices.size() > 0xFFFF || mesh.faces.size() > 0xFFFF)
            throw E3DSError(
                Format("Mesh %s has more than 65535 vertices or faces", mesh.name.c_str()));
    PutChunk(out, kChunkMain, [&] {
        PutChunk(out, kChunkVersion, [&] { PutCardinal(out, 3); });
        PutChunk(out, kChunkEditor, [&] {
            PutChunk(out, kChunkMeshVersion,
                     [&] { PutCardinal(out, static_cast<uint32_t>(meshRelease + 1)); });
            for (const TMaterial3DS& m : materials) {
                PutChunk(out, kChunkMaterial, [&] {
                    PutChunk(out, kChunkMatName, [&] { PutName(out, m.name); });
                    PutColour(out, kChunkMatAmbient, m.ambient);
                    PutColour(out, kChunkMatDiffuse, m.diffuse);
                    PutColour(out, kChunkMatSpecular, m.specular);
                    PutPercent(out, kChunkMatShininess, m.shininess);
                    PutPercent(out, kChunkMatTransparency, m.transparency);
                    PutPercent(out, kChunkMatSelfIllum, m.selfIllumination);
                    PutMap(out, kChunkMatTexture, m.textureMap);
                    PutMap(out, kChunkMatTexture2, m.secondMap);
                });
            }
            for (const TMesh3DS& mesh : meshes) {
                PutChunk(out, kChunkObject, [&] {
                    PutName(out, mesh.name);
                    PutChunk(out, kChunkTriMesh, [&] {
                        PutChunk(out, kChunkPoints, [&] {
                            PutWord(out, uint16_t(mesh.vertices.size()));
                            for (const Vec3& v : mesh.vertices)
                                PutVector(out, v);
                        });
                        if (!mesh.texCoords.empty())
                            PutChunk(out, kChunkTexVerts, [&] {
                                PutWord(out, uint16_t(mesh.texCoords.size()));
                                for (const auto& t : mesh.texCoords) {
                                    PutSingle(out, t[0]);
                                    PutSingle(out, t[1]);
                                }
                            });
                        PutChunk(out, kChunkFaces, [&] {
                            PutWord(out, uint16_t(mesh.faces.size()));
                            for (const auto& f : mesh.faces) {
                                for (uint16_t corner : f)
                                    PutWord(out, corner);
                                PutWord(out, 7);
                            }
                            for (const TFaceGroup3DS& g : mesh.groups)
                                PutChunk(out, kChunkFaceMaterial, [&] {
                                    PutName(out, g.material);
                                    PutWord(out, uint16_t(g.faces.size()));
                                    for (uint16_t f : g.faces)
                                        PutWord(out, f);
                                });
                            if (!mesh.smoothing.empty())
                                PutChunk(out, kChunkSmoothing, [&] {
                                    for (uint32_t s : mesh.smoothing)
                                        PutCardinal(out, s);
                                });
                        });
                    });
                });
            }
        });
    });
    return out;
}

void TFile3DS::SaveToFile(const std::string& name) const {
    WriteWholeFile(name, SaveToBytes());
}

} // namespace quarn
