// The memory this process holds, for tests that bound what a piece of code keeps mapped.
#pragma once

#include <unistd.h>

#include <fstream>

namespace xunda::test {

// The resident set, in MiB.
inline long ResidentMiB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE) / (1 << 20);
}

}  // namespace xunda::test
