// One running program per data root: an exclusive lock on "<data root>/xunda-sms.lock", held for
// the object's life. The kernel drops it when the process ends, however it ends.
#pragma once

#include <filesystem>

namespace xunda {

class InstanceLock {
public:
    // Creates the data root when it is missing; a lock file that cannot be opened locks nothing.
    explicit InstanceLock(const std::filesystem::path& dataRoot);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another program holds the data root.
    bool OtherProgram() const { return otherProgram_; }

private:
    int fd_ = -1;
    bool otherProgram_ = false;
};

}  // namespace xunda
