// Compaction of the database file at program start.
#pragma once

#include <filesystem>

namespace xunda {

class Prompts;

enum class CompactResult {
    Compacted,  // the file was replaced by its compacted copy
    Skipped,    // another program holds the database: nothing done
    StaleTemp,  // a temporary file of an interrupted compaction was reported and removed
    Failed,     // reported; the database file is unchanged
};

// Copies the database (rows still in its write-ahead log included) into "msaTemp.db" in the same
// folder with VACUUM INTO and puts the copy in the file's place with one atomic rename, all under
// the database's lock file. The file is never deleted first, so a crash at any point leaves either
// the old or the compacted database. Called before the database is opened.
CompactResult CompactDatabase(const std::filesystem::path& file, Prompts& prompts);

}  // namespace xunda
