// The one file writer: 0600 files, written whole or not at all.
#include "core/file_write.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "support/temp_dir.h"

namespace xunda {
namespace {

namespace fs = std::filesystem;
using Mode = FileWriter::Mode;

TEST(FileWriter, WritesPrivateFilesWholeAndUndoesWhatIsNotCommitted) {
    test::TempDir dir;
    const auto entries = [&] { return std::distance(fs::directory_iterator(dir.path()), {}); };
    test::WriteFile(dir / "a", "old");
    fs::permissions(dir / "a", fs::perms(0644));
    ASSERT_TRUE(WriteWholeFile(dir / "a", "new"));
    EXPECT_EQ(test::ReadFile(dir / "a"), "new");
    EXPECT_EQ(fs::status(dir / "a").permissions(), fs::perms(0600));
    {
        FileWriter replace(dir / "a", Mode::Replace), append(dir / "a", Mode::Append);
        EXPECT_TRUE(replace.Write("lost") && append.Write(" lost"));
        FileWriter fresh(dir / "b", Mode::Append), taken(dir / "a", Mode::CreateNew);
        EXPECT_TRUE(fresh.Created() && fresh.Write("lost"));
        EXPECT_EQ(taken.OpenError(), EEXIST);
    }  // none committed
    EXPECT_EQ(test::ReadFile(dir / "a"), "new");
    EXPECT_EQ(entries(), 1);
    FileWriter append(dir / "a", Mode::Append);
    EXPECT_TRUE(!append.Created() && append.StartSize() == 3 && append.Write("er") && append.Commit());
    EXPECT_EQ(test::ReadFile(dir / "a"), "newer");
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(WriteWholeFile(dir / "folder", "x"));  // the rename fails: no temporary stays
    EXPECT_EQ(entries(), 2);
}

}  // namespace
}  // namespace xunda
