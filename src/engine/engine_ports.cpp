#include "engine/engine_ports.h"

#include <thread>

#include "core/local_time.h"

namespace xunda {

std::string SystemClock::Now() {
    return LocalTime("%Y-%m-%d %H:%M:%S");
}

void SystemSleeper::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace xunda
