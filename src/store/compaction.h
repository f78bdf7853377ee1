// Compaction of the database file at program start.
#pragma once

#include <filesystem>

namespace xunda {

class Prompts;

enum class CompactResult {
    Compacted,  // the file was rebuilt in place
    Skipped,    // another connection was writing: nothing done
    Failed,     // reported; the database file is unchanged
};

// Rebuilds the database in place with VACUUM under SQLite's own locks, so a program that has the
// file open meanwhile goes on safely, and returns the freed pages to the file system. The file is
// never replaced by another one, nor waited for: when anyone holds the write lock, compaction is
// skipped. A file failing PRAGMA quick_check is left as it is and the failure reported
// ("数据库压缩失败!"). Called before the program opens the database.
CompactResult CompactDatabase(const std::filesystem::path& file, Prompts& prompts);

}  // namespace xunda
