#include "engine/assets/NQStream.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace quarn {

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
    // A directory opens as a stream whose end lies at the largest offset: only plain files
    // have a size to read.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        throw EngineError(Format("Cannot open %s", fileName.c_str()));
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) throw EngineError(Format("Cannot open %s", fileName.c_str()));
    const std::streamoff size = in.tellg();
    if (size < 0) throw EngineError(Format("Cannot read %s", fileName.c_str()));
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        throw EngineError(Format("Cannot read %s", fileName.c_str()));
    return bytes;
}

void WriteWholeFile(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EngineError(Format("Cannot create %s", fileName.c_str()));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw EngineError(Format("Cannot write %s", fileName.c_str()));
}

void TNQStream::LoadFromFile(const std::string& fileName) {
    bytes_ = ReadWholeFile(fileName);
    name_ = fileName;
    position_ = 0;
}

void TNQStream::Fail(const std::string& what) const {
    throw EngineError(Format("%s: %s (at byte %zu of %zu)", name_.c_str(), what.c_str(), position_,
                             bytes_.size()));
}

void TNQStream::Need(size_t n, const char* what) const {
    if (n > Remaining())
        Fail(Format("unexpected end of file reading %s (%zu bytes needed, %zu left)", what, n,
                    Remaining()));
}

void TNQStream::Seek(size_t position) {
    if (position > bytes_.size()) Fail(Format("seek to %zu past the end", position));
    position_ = position;
}

uint8_t TNQStream::ReadByte() {
    Need(1, "a byte");
    return bytes_[position_++];
}

uint16_t TNQStream::ReadWord() {
    Need(2, "a 16-bit value");
    const uint8_t* p = bytes_.data() + position_;
    position_ += 2;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t TNQStream::ReadCardinal() {
    Need(4, "a 32-bit value");
    const uint8_t* p = bytes_.data() + position_;
    position_ += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int32_t TNQStream::ReadInteger() {
    return static_cast<int32_t>(ReadCardinal());
}

float TNQStream::ReadSingle() {
    const uint32_t bits = ReadCardinal();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

std::string TNQStream::ReadString() {
    const int32_t n = ReadInteger();
    if (n < 0) Fail(Format("negative string length %d", n));
    Need(size_t(n), "a string");
    std::string s(reinterpret_cast<const char*>(bytes_.data() + position_), size_t(n));
    position_ += size_t(n);
    return s;
}

Vec3 TNQStream::ReadVector() {
    Need(12, "a vector");
    Vec3 v;
    v.x = ReadSingle();
    v.y = ReadSingle();
    v.z = ReadSingle();
    return v;
}

int32_t TNQStream::ReadCount(size_t minBytesEach, const char* what) {
    const int32_t n = ReadInteger();
    if (n < 0) Fail(Format("negative %s %d", what, n));
    if (minBytesEach > 0 && size_t(n) > Remaining() / minBytesEach)
        Fail(Format("%s %d exceeds the data", what, n));
    return n;
}

void PutWord(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutCardinal(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutInteger(std::vector<uint8_t>& out, int32_t v) {
    PutCardinal(out, static_cast<uint32_t>(v));
}

void PutSingle(std::vector<uint8_t>& out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutCardinal(out, bits);
}

void PutString(std::vector<uint8_t>& out, const std::string& s) {
    PutInteger(out, static_cast<int32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

void PutVector(std::vector<uint8_t>& out, const Vec3& v) {
    PutSingle(out, v.x);
    PutSingle(out, v.y);
    PutSingle(out, v.z);
}

} // namespace quarn
