// An advisory lock on the database's lock file "<database>.lock" (internal to store/).
//
// Every open Database holds it shared for its whole life; compaction needs it exclusively, so a
// file is never replaced under a running program.
#pragma once

#include <filesystem>

namespace xunda::store_detail {

class FileLock {
  public:
    enum class Mode { Shared, ExclusiveNoWait };
    FileLock(const std::filesystem::path& database, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }

  private:
    int fd_ = -1;
    bool held_ = false;
};

std::filesystem::path LockPathOf(const std::filesystem::path& database);

}  // namespace xunda::store_detail
