#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/paths.h"

namespace xunda {

InstanceLock::InstanceLock(const std::filesystem::path& dataRoot) {
    const std::filesystem::path file = dataRoot / "xunda-sms.lock";
    try {
        EnsurePrivateDir(dataRoot);
    } catch (const std::filesystem::filesystem_error& e) {
        error_ = file.string() + "\n" + e.code().message();
        return;
    }
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    const int error = errno;
    otherProgram_ = fd_ >= 0 && error == EWOULDBLOCK;
    error_ = file.string() + "\n" + std::strerror(error);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace xunda
