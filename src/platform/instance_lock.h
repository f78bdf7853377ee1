// One running program per data root: an exclusive lock on "<data root>/xunda-sms.lock", held for
// the object's life. The kernel drops it when the process ends, however it ends.
//
// The lock fails closed: a program that does not hold it (another program does, or the data root
// or the lock file cannot be made or locked) must not start.
#pragma once

#include <filesystem>
#include <string>

namespace xunda {

class InstanceLock {
  public:
    // Creates the data root when it is missing, then takes the lock.
    explicit InstanceLock(const std::filesystem::path& dataRoot);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // Another program holds the data root.
    bool OtherProgram() const { return otherProgram_; }
    // Why the lock is not held when no other program holds it: the lock file and the system's reason.
    const std::string& Error() const { return error_; }

  private:
    int fd_ = -1;
    bool otherProgram_ = false;
    std::string error_;
};

}  // namespace xunda
