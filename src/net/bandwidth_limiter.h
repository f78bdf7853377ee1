// Holds one direction of a socket's traffic to a rate: each piece of data delays the next by the
// time it would take at the limit.
#pragma once

#include <cstdint>
#include <functional>

namespace xunda {

class BandwidthLimiter {
  public:
    int Max = 0;  // bytes per second; 0 or less = no limit

    // Waits until the pieces before have had their time (telling OnWait the milliseconds first),
    // then books Length bytes.
    void Throttle(int length, const std::function<void(std::uint64_t wait)>& onWait);

  private:
    std::uint64_t nextTick_ = 0;  // MonotonicMs() before which the next piece waits
};

}  // namespace xunda
