#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/paths.h"

namespace xunda {

InstanceLock::InstanceLock(const std::filesystem::path& dataRoot) {
    try {
        EnsurePrivateDir(dataRoot);
    } catch (const std::filesystem::filesystem_error&) {
        return;  // the database's own error box tells the user
    }
    fd_ = ::open((dataRoot / "xunda-sms.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    otherProgram_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace xunda
