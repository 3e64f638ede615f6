// The packed texture archive: an 86-byte header, the entries' bytes one after another, and a
// directory of 266-byte named entries at the offset the header gives. Scene loading reads the
// whole archive into memory and pulls textures out by name; the packing tool writes archives
// through the same classes, so both sides share one layout.
#pragma once

#include "engine/assets/NQStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

// Image type codes of directory entries.
enum TFileSystemEntryType : uint16_t {
    kArchiveBmp = 0,
    kArchiveTga = 2,
    kArchiveJpeg = 4,
};

class TFileSystemHeader {
  public:
    static constexpr size_t kBytes = 86;
    static constexpr size_t kNameBytes = 50;

    const std::string& GetName() const { return name_; }
    // Cut to 50 characters; stored only when it differs.
    void SetName(const std::string& name);
    void SetEntryCount(uint32_t count) { entryCount = count; }
    void SetDirectoryOffset(uint32_t offset) { directoryOffset = offset; }

    void ReadFromStream(TNQStream& stream);
    void WriteToStream(std::vector<uint8_t>& out) const;

    uint8_t reserved[24] = {};
    uint32_t entryCount = 0;
    uint32_t directoryOffset = kBytes;
    uint16_t version = 4; // file offset 2; not interpreted
    uint16_t kind = 1;    // file offset 0; not interpreted

  private:
    std::string name_;
};

struct TFileSystemDirectoryItem {
    static constexpr size_t kBytes = 266;
    static constexpr size_t kNameBytes = 256;

    void ReadFromStream(TNQStream& stream);
    void WriteToStream(std::vector<uint8_t>& out) const;

    uint32_t dataSize = 0;
    uint32_t dataOffset = 0;
    uint16_t typeCode = 0;
    std::string name; // up to 256 characters
};

using TFileSystemDirectory = std::vector<TFileSystemDirectoryItem>;

class TFileSystem {
  public:
    TFileSystem() { Reset(); }

    // Reads the whole archive. Every directory entry and every entry's data must lie inside
    // the file; otherwise it raises an error naming the file and nothing is kept.
    void LoadFromFile(const std::string& fileName);
    void LoadFromBytes(const std::string& fileName, std::vector<uint8_t> bytes);

    // The first entry whose name equals name ignoring letter case: its bytes replace out and
    // its type code goes to typeCode. False (out and typeCode untouched) when none matches;
    // an EngineError naming the archive and the entry when its data lies outside the file.
    bool ExtractFile(const std::string& name, std::vector<uint8_t>& out, uint16_t& typeCode) const;
    // Index of that entry, or -1.
    int FindEntry(const std::string& name) const;

    // Appends an entry (writing archives). Raises when the name does not fit its 256 bytes or
    // the archive would pass 4 GiB or 65535 entries.
    void AddEntry(const std::string& name, uint16_t typeCode, const std::vector<uint8_t>& data);
    // The archive in the file layout: header, data, directory.
    std::vector<uint8_t> SaveToBytes() const;
    void SaveToFile(const std::string& fileName) const;

    // Drops the loaded bytes and directory, keeping the archive's name.
    void Reset();

    const std::string& FileName() const { return fileName_; }
    const TFileSystemHeader& Header() const { return header_; }
    TFileSystemHeader& Header() { return header_; }
    const TFileSystemDirectory& Directory() const { return directory_; }

  private:
    std::string fileName_;
    std::vector<uint8_t> data_; // the whole archive as loaded, or header plus entry data
    TFileSystemHeader header_;
    TFileSystemDirectory directory_;
};

// Letter case ignored for ASCII letters only: archive names are 8-bit strings.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

} // namespace quarn
