// The size of a file by its name.
#include "core/file_size.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace xunda
