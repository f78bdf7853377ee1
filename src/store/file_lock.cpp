#include "store/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace xunda::store_detail {

std::filesystem::path LockPathOf(const std::filesystem::path& database) {
    std::filesystem::path p = database;
    p += ".lock";
    return p;
}

FileLock::FileLock(const std::filesystem::path& database, Mode mode) {
    fd_ = ::open(LockPathOf(database).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    int op = mode == Mode::Shared ? LOCK_SH : LOCK_EX | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd_, op);
    } while (rc != 0 && errno == EINTR);
    held_ = rc == 0;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace xunda::store_detail
