#include "net/bandwidth_limiter.h"

#include <algorithm>

#include "net/net_text.h"

namespace xunda {

void BandwidthLimiter::Throttle(int length, const std::function<void(std::uint64_t wait)>& onWait) {
    if (Max <= 0) return;
    const std::uint64_t now = MonotonicMs();
    if (nextTick_ > now) {
        const std::uint64_t wait = nextTick_ - now;
        onWait(wait);
        SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(wait, 0xFFFFFFFFu)));
    }
    nextTick_ = MonotonicMs() + static_cast<std::uint64_t>(static_cast<double>(length) / Max * 1000.0);
}

}  // namespace xunda
