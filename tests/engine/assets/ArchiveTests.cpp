// The packed archive and the typed stream: the exact layout, name look-up, and refusal of
// archives whose directory or data lie outside the file.
#include "engine/assets/FileSystem.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quarn;

namespace {

std::vector<uint8_t> Bytes(const char* text) {
    return std::vector<uint8_t>(text, text + std::strlen(text));
}

void PatchCardinal(std::vector<uint8_t>& file, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        file[offset + size_t(i)] = uint8_t(v >> (8 * i));
}

std::string ErrorOf(const std::vector<uint8_t>& file) {
    TFileSystem archive;
    try {
        archive.LoadFromBytes("level.qpk", file);
    } catch (const EngineError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Archive, WritesTheLayoutAndFindsTheFirstNameIgnoringCase) {
    TFileSystem writer;
    writer.Header().SetName(std::string(60, 'n')); // cut to the 50-byte field
    writer.AddEntry("Wall.jpg", kArchiveJpeg, Bytes("first"));
    writer.AddEntry("wall.jpg", kArchiveTga, Bytes("second!"));
    const std::vector<uint8_t> file = writer.SaveToBytes();
    ASSERT_EQ(file.size(), 86u + 5 + 7 + 2 * 266);
    EXPECT_EQ(file[0], 1); // the two leading values a new archive writes
    EXPECT_EQ(file[2], 4);
    EXPECT_EQ(file[4], 86 + 12); // directory offset
    EXPECT_EQ(file[8], 2);       // entry count
    EXPECT_EQ(file[86 + 12 + 266 + 256], kArchiveTga);
    EXPECT_EQ(file[86 + 12 + 266 + 258], 86 + 5); // second entry's data offset

    TFileSystem archive;
    archive.LoadFromBytes("level.qpk", file);
    EXPECT_EQ(archive.Header().GetName(), std::string(50, 'n'));
    std::vector<uint8_t> out;
    uint16_t type = 99;
    ASSERT_TRUE(archive.ExtractFile("WALL.JPG", out, type));
    EXPECT_EQ(out, Bytes("first"));
    EXPECT_EQ(type, kArchiveJpeg);
    out = Bytes("kept");
    EXPECT_FALSE(archive.ExtractFile("floor.jpg", out, type));
    EXPECT_EQ(out, Bytes("kept"));
    EXPECT_EQ(type, kArchiveJpeg);
}

TEST(Archive, CountsOnlyTheLowSixteenBitsAndAcceptsEmptyArchives) {
    TFileSystem writer;
    writer.AddEntry("a.bmp", kArchiveBmp, Bytes("x"));
    std::vector<uint8_t> file = writer.SaveToBytes();
    PatchCardinal(file, 8, 65537);
    TFileSystem archive;
    archive.LoadFromBytes("big.qpk", file);
    EXPECT_EQ(archive.Directory().size(), 1u);

    const std::vector<uint8_t> empty = TFileSystem().SaveToBytes();
    ASSERT_EQ(empty.size(), 86u);
    archive.LoadFromBytes("empty.qpk", empty);
    EXPECT_TRUE(archive.Directory().empty());
    std::vector<uint8_t> out;
    uint16_t type = 0;
    EXPECT_FALSE(archive.ExtractFile("a.bmp", out, type));
}

TEST(Archive, TruncatedOrInconsistentArchivesFailNamingTheFile) {
    TFileSystem writer;
    writer.AddEntry("a.bmp", kArchiveBmp, Bytes("abcdef"));
    writer.AddEntry("b.bmp", kArchiveBmp, Bytes("ghij"));
    const std::vector<uint8_t> good = writer.SaveToBytes();
    for (size_t n = 0; n < good.size(); ++n) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        EXPECT_NE(ErrorOf(cut).find("level.qpk"), std::string::npos) << n << " bytes";
    }
    std::vector<uint8_t> bad = good;
    PatchCardinal(bad, 4, 0xFFFFFFF0u); // directory offset past the end
    EXPECT_NE(ErrorOf(bad).find("directory"), std::string::npos);

    // A failed load keeps the archive that was loaded before.
    TFileSystem archive;
    archive.LoadFromBytes("good.qpk", good);
    EXPECT_THROW(archive.LoadFromBytes("bad.qpk", bad), EngineError);
    EXPECT_EQ(archive.FileName(), "good.qpk");
    EXPECT_GE(archive.FindEntry("A.BMP"), 0);
}

// An entry whose data lies outside the file is refused when extracted; the others stay usable.
TEST(Archive, AnEntryOutsideTheFileFailsAloneWhenExtracted) {
    TFileSystem writer;
    writer.AddEntry("a.bmp", kArchiveBmp, Bytes("abcdef"));
    writer.AddEntry("b.bmp", kArchiveBmp, Bytes("ghij"));
    const std::vector<uint8_t> good = writer.SaveToBytes();
    const size_t firstItem = good.size() - 2 * TFileSystemDirectoryItem::kBytes;
    const size_t firstSize = firstItem + TFileSystemDirectoryItem::kBytes - 4;
    for (uint32_t offset : {0u, 0xFFFFFFFFu}) { // past the end; offset + size wraps 32 bits
        std::vector<uint8_t> bad = good;
        PatchCardinal(bad, firstSize, 1000);
        if (offset) PatchCardinal(bad, firstSize - 4, offset);
        TFileSystem archive;
        archive.LoadFromBytes("level.qpk", bad);
        std::vector<uint8_t> out;
        uint16_t type = 0;
        try {
            archive.ExtractFile("a.bmp", out, type);
            ADD_FAILURE() << "the damaged entry was extracted";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("a.bmp"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("level.qpk"), std::string::npos) << e.what();
        }
        ASSERT_TRUE(archive.ExtractFile("b.bmp", out, type));
        EXPECT_EQ(std::string(out.begin(), out.end()), "ghij");
    }
}

TEST(NQStream, TypedReadsPastTheEndFail) {
    std::vector<uint8_t> bytes;
    PutInteger(bytes, -7);
    PutSingle(bytes, 2.5f);
    PutString(bytes, "abc");
    bytes.push_back(1);
    PutInteger(bytes, 1000); // a string length with nothing after it
    TNQStream s("scene.ksf", bytes);
    EXPECT_EQ(s.ReadInteger(), -7);
    EXPECT_EQ(s.ReadSingle(), 2.5f);
    EXPECT_EQ(s.ReadString(), "abc");
    EXPECT_TRUE(s.ReadBoolean());
    try {
        s.ReadString();
        FAIL() << "read past the end";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("scene.ksf"), std::string::npos);
    }
    EXPECT_THROW(s.ReadInteger(), EngineError); // the length was consumed; nothing is left

    std::vector<uint8_t> counted;
    PutInteger(counted, 3);
    PutVector(counted, Vec3{1, 2, 3});
    TNQStream c("scene.ksf", counted);
    EXPECT_THROW(c.ReadCount(12, "vertex count"), EngineError); // 3 vectors promised, 1 there
}
