#include "engine/assets/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quarn {

namespace {

// A fixed-size, zero-padded name field: everything up to the first zero byte.
std::string ReadFixedName(TNQStream& stream, size_t bytes) {
    std::string s;
    s.reserve(bytes);
    bool ended = false;
    for (size_t i = 0; i < bytes; ++i) {
        const uint8_t c = stream.ReadByte();
        if (c == 0) ended = true;
        if (!ended) s.push_back(static_cast<char>(c));
    }
    return s;
}

void WriteFixedName(std::vector<uint8_t>& out, const std::string& name, size_t bytes) {
    const size_t n = std::min(name.size(), bytes);
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), bytes - n, 0);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

void TFileSystemHeader::SetName(const std::string& name) {
    const std::string cut = name.substr(0, kNameBytes);
    if (cut != name_) name_ = cut;
}

void TFileSystemHeader::ReadFromStream(TNQStream& stream) {
    kind = stream.ReadWord();
    version = stream.ReadWord();
    directoryOffset = stream.ReadCardinal();
    entryCount = stream.ReadCardinal();
    name_ = ReadFixedName(stream, kNameBytes);
    for (uint8_t& b : reserved)
        b = stream.ReadByte();
}

void TFileSystemHeader::WriteToStream(std::vector<uint8_t>& out) const {
    PutWord(out, kind);
    PutWord(out, version);
    PutCardinal(out, directoryOffset);
    PutCardinal(out, entryCount);
    WriteFixedName(out, name_, kNameBytes);
    out.insert(out.end(), std::begin(reserved), std::end(reserved));
}

void TFileSystemDirectoryItem::ReadFromStream(TNQStream& stream) {
    name = ReadFixedName(stream, kNameBytes);
    typeCode = stream.ReadWord();
    dataOffset = stream.ReadCardinal();
    dataSize = stream.ReadCardinal();
}

void TFileSystemDirectoryItem::WriteToStream(std::vector<uint8_t>& out) const {
    WriteFixedName(out, name, kNameBytes);
    PutWord(out, typeCode);
    PutCardinal(out, dataOffset);
    PutCardinal(out, dataSize);
}

void TFileSystem::LoadFromFile(const std::string& fileName) {
    LoadFromBytes(fileName, ReadWholeFile(fileName));
}

void TFileSystem::LoadFromBytes(const std::string& fileName, std::vector<uint8_t> bytes) {
    TNQStream stream(fileName, std::move(bytes));
    if (stream.Size() < TFileSystemHeader::kBytes)
        stream.Fail("not an archive: shorter than its 86-byte header");
    TFileSystemHeader header;
    header.ReadFromStream(stream);
    TFileSystemDirectory directory;
    const uint32_t count = header.entryCount & 0xFFFF; // only the low 16 bits count
    if (count != 0) {
        const uint64_t end =
            uint64_t(header.directoryOffset) + uint64_t(count) * TFileSystemDirectoryItem::kBytes;
        if (end > stream.Size())
            stream.Fail(Format("directory of %u entries at offset %u runs past the end", count,
                               header.directoryOffset));
        stream.Seek(header.directoryOffset);
        directory.resize(count);
        // An entry whose data lies outside the file is refused when extracted, so one damaged
        // entry leaves the others usable.
        for (TFileSystemDirectoryItem& item : directory)
            item.ReadFromStream(stream);
    } else {
        header.directoryOffset = static_cast<uint32_t>(
            std::min<size_t>(stream.Size(), std::numeric_limits<uint32_t>::max()));
    }
    // Only a consistent archive replaces what was here.
    fileName_ = fileName;
    header_ = header;
    directory_ = std::move(directory);
    data_ = stream.TakeBytes();
}

int TFileSystem::FindEntry(const std::string& name) const {
    for (size_t i = 0; i < directory_.size(); ++i)
        if (SameTextIgnoringCase(directory_[i].name, name)) return static_cast<int>(i);
    return -1;
}

bool TFileSystem::ExtractFile(const std::string& name, std::vector<uint8_t>& out,
                              uint16_t& typeCode) const {
    const int i = FindEntry(name);
    if (i < 0) return false;
    const TFileSystemDirectoryItem& item = directory_[size_t(i)];
    if (uint64_t(item.dataOffset) + item.dataSize > data_.size())
        throw EngineError(Format("%s: entry %s claims %u bytes at offset %u, past the end",
                                 fileName_.c_str(), item.name.c_str(), item.dataSize,
                                 item.dataOffset));
    const uint8_t* first = data_.data() + item.dataOffset;
    out.assign(first, first + item.dataSize);
    typeCode = item.typeCode;
    return true;
}

void TFileSystem::AddEntry(const std::string& name, uint16_t typeCode,
                           const std::vector<uint8_t>& data) {
    if (name.size() > TFileSystemDirectoryItem::kNameBytes)
        throw EngineError(
            Format("Archive entry name longer than 256 characters: %s", name.c_str()));
    if (directory_.size() >= 0xFFFF) throw EngineError("An archive holds at most 65535 entries");
    if (uint64_t(data_.size()) + data.size() +
            (directory_.size() + 1) * TFileSystemDirectoryItem::kBytes >
        std::numeric_limits<uint32_t>::max())
        throw EngineError(Format("Archive would pass 4 GiB with %s", name.c_str()));
    TFileSystemDirectoryItem item;
    item.name = name;
    item.typeCode = typeCode;
    item.dataOffset = static_cast<uint32_t>(data_.size());
    item.dataSize = static_cast<uint32_t>(data.size());
    data_.insert(data_.end(), data.begin(), data.end());
    directory_.push_back(item);
}

std::vector<uint8_t> TFileSystem::SaveToBytes() const {
    TFileSystemHeader header = header_;
    header.SetEntryCount(static_cast<uint32_t>(directory_.size()));
    header.SetDirectoryOffset(static_cast<uint32_t>(data_.size()));
    std::vector<uint8_t> out;
    out.reserve(data_.size() + directory_.size() * TFileSystemDirectoryItem::kBytes);
    header.WriteToStream(out);
    out.insert(out.end(), data_.begin() + TFileSystemHeader::kBytes, data_.end());
    for (const TFileSystemDirectoryItem& item : directory_)
        item.WriteToStream(out);
    return out;
}

void TFileSystem::SaveToFile(const std::string& fileName) const {
    WriteWholeFile(fileName, SaveToBytes());
}

void TFileSystem::Reset() {
    const std::string name = header_.GetName();
    header_ = TFileSystemHeader();
    header_.SetName(name);
    directory_.clear();
    data_.clear();
    data_.shrink_to_fit();
    header_.WriteToStream(data_); // entry data starts after the header, as in the file
    header_.SetDirectoryOffset(static_cast<uint32_t>(data_.size()));
}

} // namespace quarn
