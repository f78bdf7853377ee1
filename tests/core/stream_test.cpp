// MemoryStream and FileStream.
#include "core/exceptions.h"
#include "core/stream.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(MemoryStream, ReadWriteSeekAndSize) {
    MemoryStream s;
    EXPECT_EQ(s.Write("hello", 5), 5u);
    EXPECT_EQ(s.Position(), 5);
    s.Seek(-2, SeekOrigin::End);
    EXPECT_EQ(s.Write("LOW", 3), 3u);  // writing past the end grows the stream
    EXPECT_EQ(s.Bytes(), "helLOW");
    s.SetPosition(1);
    char buf[10] = {};
    EXPECT_EQ(s.Read(buf, 10), 5u);
    EXPECT_EQ(std::string(buf, 5), "elLOW");
    EXPECT_EQ(s.Read(buf, 10), 0u);
    s.Seek(-100, SeekOrigin::Current);
    EXPECT_EQ(s.Position(), 0);
    s.SetSize(2);
    EXPECT_EQ(s.Bytes(), "he");
    EXPECT_THROW(s.ReadBuffer(buf, 3), EStreamError);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, CopyFromAndLoad) {
    MemoryStream source;
    source.Write("abcdef", 6);
    MemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 6);  // 0: the whole source from its start
    EXPECT_EQ(target.Bytes(), "abcdef");
    source.SetPosition(2);
    target.Clear();
    target.CopyFrom(source, 3);
    EXPECT_EQ(target.Bytes(), "cde");
    EXPECT_THROW(target.CopyFrom(source, 5), EStreamError);
    MemoryStream loaded;
    loaded.LoadFromStream(source);
    EXPECT_EQ(loaded.Bytes(), "abcdef");
    EXPECT_EQ(loaded.Position(), 0);
}

TEST(MemoryStream, GrowthKeepsBytesAndZeroesGaps) {
    MemoryStream s;
    s.Seek(3, SeekOrigin::Beginning);
    s.Write("ab", 2);  // the bytes skipped by the seek are zero
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0ab", 5));
    s.SetSize(1);
    s.SetSize(4);  // the bytes of a larger size are zero, also where old bytes were
    EXPECT_EQ(s.Bytes(), std::string_view("\0\0\0\0", 4));
    EXPECT_EQ(s.Position(), 5);
    std::string expected(4, '\0');
    s.SetPosition(4);
    for (int i = 0; i < 50000; ++i) {  // many small writes across several growths
        std::string piece = std::to_string(i) + ",";
        s.Write(piece.data(), piece.size());
        expected += piece;
    }
    EXPECT_EQ(s.Bytes(), expected);
}

TEST(FileStream, CreateOpenReadAndErrors) {
    test::TempDir dir;
    auto file = dir / "data.bin";
    {
        FileStream out(file, FileStream::Mode::Create);
        out.WriteBuffer("0123456789", 10);
        EXPECT_EQ(out.Size(), 10);
    }
    {
        FileStream in(file, FileStream::Mode::OpenRead);
        EXPECT_EQ(in.Size(), 10);
        in.Seek(-3, SeekOrigin::End);
        char buf[8];
        EXPECT_EQ(in.Read(buf, 8), 3u);
        EXPECT_EQ(std::string(buf, 3), "789");
        EXPECT_EQ(in.Write("x", 1), 0u);  // opened for reading
    }
    MemoryStream memory;
    memory.LoadFromFile(file);
    EXPECT_EQ(memory.Bytes(), "0123456789");
    memory.SaveToFile(dir / "copy.bin");
    EXPECT_EQ(test::ReadFile(dir / "copy.bin"), "0123456789");
    {
        FileStream truncated(file, FileStream::Mode::Create);
        EXPECT_EQ(truncated.Size(), 0);
    }
    try {
        FileStream missing(dir / "missing", FileStream::Mode::OpenRead);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + (dir / "missing").string() + "\". ", 0), 0u) << e.what();
    }
    EXPECT_THROW(FileStream(dir / "no" / "dir", FileStream::Mode::Create), EStreamError);
}

}  // namespace
}  // namespace xunda
