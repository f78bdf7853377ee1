// The size of a file by its name.
#include "core/file_size.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "support/temp_dir.h"

namespace xunda {
namespace {

TEST(GetFileSizeByName, MissingAndEmptyFilesAreZeroAndAFolderThrows) {
    test::TempDir dir;
    EXPECT_EQ(GetFileSizeByName(dir / "missing"), 0);
    EXPECT_EQ(GetFileSizeByName(dir / "missing/below"), 0);
    test::WriteFile(dir / "empty", "");
    EXPECT_EQ(GetFileSizeByName(dir / "empty"), 0);
    test::WriteFile(dir / "big", std::string(1048577, 'x'));
    EXPECT_EQ(GetFileSizeByName(dir / "big"), 1048577);
    EXPECT_THROW(GetFileSizeByName(dir.path()), std::system_error);
}

// A name that is there but cannot be opened (a loop of links) is an error for the caller, not an
// empty file.
TEST(GetFileSizeByName, AFileThatExistsButCannotBeOpenedThrows) {
    test::TempDir dir;
    std::filesystem::create_symlink(dir / "b", dir / "a");
    std::filesystem::create_symlink(dir / "a", dir / "b");
    std::string reason;
    try {
        GetFileSizeByName(dir / "a");
    } catch (const std::system_error& e) {
        reason = e.what();
    }
    EXPECT_EQ(reason, (dir / "a").string() + ": " + std::generic_category().message(ELOOP));
}

}  // namespace
}  // namespace xunda
