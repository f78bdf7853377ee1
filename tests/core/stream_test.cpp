// MemoryStream, ViewStream and FileStream.
#include "core/stream.h"

#include <gtest/gtest.h>

#include "core/exceptions.h"
#include "support/temp_dir.h"

namespace xunda {
namespace {

TEST(MemoryStream, WritesPastTheEndGrowAndZeroTheGap) {
    MemoryStream s;
    s.Seek(3, SeekOrigin::Beginning);
    s.WriteBuffer("hello", 5);
    s.Seek(-2, SeekOrigin::End);
    s.WriteBuffer("LOW", 3);
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0helLOW", 9));
    EXPECT_EQ(s.Seek(-100, SeekOrigin::Current), 0);
    s.SetSize(4);
    s.SetSize(6);  // the bytes of a larger size are zero, also where old bytes were
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0h\0\0", 6));
    char buf[2];
    EXPECT_EQ(s.Seek(5, SeekOrigin::Beginning), 5);
    EXPECT_THROW(s.ReadBuffer(buf, 2), EStreamError);
    MemoryStream grown;
    std::string expected;
    for (char c = 'a'; c < 'e'; ++c) {  // writes just over a page, across several growths
        const std::string piece(4097, c);
        grown.WriteBuffer(piece.data(), piece.size());
        expected += piece;
    }
    EXPECT_EQ(grown.Bytes(), expected);
    // Past the size where the buffer becomes a mapping of its own, and on as it grows; moved.
    for (std::size_t size = 4096; size < 3 * MemoryStream::kMappedSize; size *= 2) {
        const std::string piece(size, static_cast<char>('e' + expected.size() % 7));
        grown.WriteBuffer(piece.data(), piece.size());
        expected += piece;
    }
    MemoryStream moved = std::move(grown);
    EXPECT_TRUE(moved.Bytes() == expected);  // not printed: megabytes
    EXPECT_EQ(grown.Memory(), nullptr);
}

// Storage just below, at and just above the size where it becomes a mapping is given back the way
// it was taken.
TEST(MemoryStream, StorageAroundTheMappedSizeIsGivenBackAsItWasTaken) {
    for (std::size_t size :
         {MemoryStream::kMappedSize - 4096, MemoryStream::kMappedSize, MemoryStream::kMappedSize + 4096}) {
        MemoryStream s;
        s.Reserve(size);
        ASSERT_EQ(s.Spare().size(), size);
        s.SetSize(static_cast<std::int64_t>(size));
        s.Clear();
        EXPECT_EQ(s.Memory(), nullptr);
        s.SetSize(static_cast<std::int64_t>(size));  // and once more by the destructor
    }
}

TEST(ViewStream, ReadsAndSeeksWithinTheBytesAndTakesNoWrites) {
    const std::string bytes = "0123456789";
    ViewStream s(bytes);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 4), 4u);
    EXPECT_EQ(s.Seek(-3, SeekOrigin::End), 7);
    EXPECT_EQ(s.Read(buf + 4, 8), 3u);  // only what is left
    EXPECT_EQ(std::string(buf, 7), "0123789");
    EXPECT_EQ(s.Read(buf, 1), 0u);
    EXPECT_EQ(s.Seek(-100, SeekOrigin::Current), 0);
    EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
    EXPECT_EQ(s.Size(), 10);
}

TEST(Streams, CopyLoadAndSaveThroughAFile) {
    test::TempDir dir;
    MemoryStream source, part, whole, loaded;
    source.WriteBuffer("0123456789", 10);
    source.SetPosition(2);
    EXPECT_EQ(part.CopyFrom(source, 3), 3);
    EXPECT_EQ(part.Bytes(), "234");
    EXPECT_THROW(part.CopyFrom(source, 6), EStreamError);
    source.SaveToFile(dir / "data.bin");
    FileStream file(dir / "data.bin");
    file.Seek(-3, SeekOrigin::End);
    EXPECT_EQ(file.Write("x", 1), 0u);       // opened for reading
    EXPECT_EQ(whole.CopyFrom(file, 0), 10);  // 0: the whole source from its start
    loaded.LoadFromFile(dir / "data.bin");
    EXPECT_EQ(whole.Bytes(), "0123456789");
    EXPECT_EQ(loaded.Bytes(), "0123456789");
    EXPECT_EQ(loaded.Position(), 0);
    std::string what;
    try {
        loaded.LoadFromFile(dir / "missing");
    } catch (const EStreamError& e) {
        what = e.what();
    }
    EXPECT_EQ(what, "Cannot open file \"" + (dir / "missing").string() + "\". No such file or directory");
}

}  // namespace
}  // namespace xunda
