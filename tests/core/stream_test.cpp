// MemoryStream and FileStream.
#include "core/exceptions.h"
#include "core/stream.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(MemoryStream, WritesPastTheEndGrowAndZeroTheGap) {
    MemoryStream s;
    s.Seek(3, SeekOrigin::Beginning);
    EXPECT_EQ(s.Write("hello", 5), 5u);
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0hello", 8));
    s.Seek(-2, SeekOrigin::End);
    s.Write("LOW", 3);
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0helLOW", 9));
    s.Seek(-100, SeekOrigin::Current);
    EXPECT_EQ(s.Position(), 0);
    char buf[10] = {};
    s.SetPosition(6);
    EXPECT_EQ(s.Read(buf, 10), 3u);
    EXPECT_EQ(s.Read(buf, 10), 0u);
    s.SetSize(4);
    s.SetSize(6);  // the bytes of a larger size are zero, also where old bytes were
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0h\0\0", 6));
    s.SetPosition(5);
    EXPECT_THROW(s.ReadBuffer(buf, 2), EStreamError);
    std::string expected(s.Bytes());
    for (int i = 0; i < 50000; ++i) {  // many small writes across several growths
        const std::string piece = std::to_string(i) + ",";
        s.Seek(0, SeekOrigin::End);
        s.WriteBuffer(piece.data(), piece.size());
        expected += piece;
    }
    EXPECT_EQ(s.Bytes(), expected);
}

TEST(Streams, CopyLoadAndSaveThroughAFile) {
    test::TempDir dir;
    MemoryStream source;
    source.Write("0123456789", 10);
    source.SetPosition(2);
    MemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 3), 3);
    EXPECT_EQ(part.Bytes(), "234");
    EXPECT_THROW(part.CopyFrom(source, 6), EStreamError);
    source.SaveToFile(dir / "data.bin");
    {
        FileStream file(dir / "data.bin", FileStream::Mode::OpenRead);
        file.Seek(-3, SeekOrigin::End);
        EXPECT_EQ(file.Write("x", 1), 0u);  // opened for reading
        MemoryStream whole;
        EXPECT_EQ(whole.CopyFrom(file, 0), 10);  // 0: the whole source from its start
        EXPECT_EQ(whole.Bytes(), "0123456789");
    }
    MemoryStream loaded;
    loaded.LoadFromFile(dir / "data.bin");
    EXPECT_EQ(loaded.Bytes(), "0123456789");
    EXPECT_EQ(loaded.Position(), 0);
    EXPECT_EQ(FileStream(dir / "data.bin", FileStream::Mode::Create).Size(), 0);
    try {
        MemoryStream().LoadFromFile(dir / "missing");
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + (dir / "missing").string() + "\". No such file or directory");
    }
    EXPECT_THROW(FileStream(dir / "no" / "dir", FileStream::Mode::Create), EStreamError);
}

}  // namespace
}  // namespace xunda
