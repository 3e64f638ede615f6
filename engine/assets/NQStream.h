// The typed reading stream of scene files: a whole file held in memory, read little-endian at a
// moving position. Every read checks the bytes that remain, so a short or lying file raises an
// error naming the file and the offset instead of reading past the end.
#pragma once

#include "common/EngineError.h"
#include "common/QuarnMath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quarn {

// The whole file as bytes; raises "Cannot open <name>" when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& fileName);
// Creates or replaces the file; raises "Cannot create <name>" / "Cannot write <name>".
void WriteWholeFile(const std::string& fileName, const std::vector<uint8_t>& bytes);

class TNQStream {
  public:
    TNQStream() = default;
    // name is used in error messages only.
    TNQStream(std::string name, std::vector<uint8_t> bytes)
        : name_(std::move(name)), bytes_(std::move(bytes)) {}

    void LoadFromFile(const std::string& fileName);

    int32_t ReadInteger();
    float ReadSingle();
    bool ReadBoolean() { return ReadByte() != 0; }
    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadCardinal();
    // A 32-bit length n, then n bytes. A negative length or one past the end raises.
    std::string ReadString();
    Vec3 ReadVector();
    // A count that is followed by at least count * minBytesEach bytes; what names the count in
    // the error ("material count").
    int32_t ReadCount(size_t minBytesEach, const char* what);

    size_t Position() const { return position_; }
    size_t Size() const { return bytes_.size(); }
    size_t Remaining() const { return bytes_.size() - position_; }
    void Seek(size_t position);
    const std::string& Name() const { return name_; }
    const uint8_t* Data() const { return bytes_.data(); }
    // Hands the bytes over; the stream is empty afterwards.
    std::vector<uint8_t> TakeBytes() {
        position_ = 0;
        return std::move(bytes_);
    }

    [[noreturn]] void Fail(const std::string& what) const;

  private:
    // Raises unless n bytes remain.
    void Need(size_t n, const char* what) const;

    std::string name_;
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// Little-endian stores for the writers.
void PutWord(std::vector<uint8_t>& out, uint16_t v);
void PutCardinal(std::vector<uint8_t>& out, uint32_t v);
void PutInteger(std::vector<uint8_t>& out, int32_t v);
void PutSingle(std::vector<uint8_t>& out, float v);
void PutString(std::vector<uint8_t>& out, const std::string& s);
void PutVector(std::vector<uint8_t>& out, const Vec3& v);

} // namespace quarn
