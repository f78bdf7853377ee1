// The one file writer: 0600 files, written whole or not at all.
#include "core/file_write.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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
    EXPECT_EQ(fs::status(dir / "a").permissions(), fs::perms(0644));  // a replaced file keeps its mode
    ASSERT_TRUE(WriteWholeFile(dir / "new", "new"));
    EXPECT_EQ(fs::status(dir / "new").permissions(), fs::perms(0600));
    fs::remove(dir / "new");
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

// A writer killed in the middle of a replace leaves its temporary copy; the next replace of that
// file removes it, but never the temporary of a writer still at work, nor a file of the user's
// that is no temporary (even one named much like them).
TEST(FileWriter, AReplaceRemovesWhatAKilledOneLeftButNotALiveOnesCopy) {
    test::TempDir dir;
    const auto entries = [&] { return std::distance(fs::directory_iterator(dir.path()), {}); };
    test::WriteFile(dir / "a", "old");
    test::WriteFile(dir / "a.123456", "the user's own");
    test::WriteFile(dir / ".a.xunda-notes", "the user's notes");
    fs::permissions(dir / ".a.xunda-notes", fs::perms(0600));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileWriter killed(dir / "a", Mode::Replace);
        static_cast<void>(killed.Write(std::string(1 << 20, 'x')));
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(entries(), 4);  // the killed writer's copy is there
    FileWriter live(dir / "a", Mode::Replace);
    EXPECT_TRUE(live.Write("live"));
    EXPECT_TRUE(WriteWholeFile(dir / "a", "next"));
    EXPECT_EQ(entries(), 4);  // the file, the user's two and the live writer's copy
    EXPECT_TRUE(live.Commit());
    EXPECT_EQ(test::ReadFile(dir / "a"), "live");
    EXPECT_EQ(test::ReadFile(dir / "a.123456"), "the user's own");
    EXPECT_EQ(test::ReadFile(dir / ".a.xunda-notes"), "the user's notes");
    EXPECT_EQ(entries(), 3);
}

}  // namespace
}  // namespace xunda
