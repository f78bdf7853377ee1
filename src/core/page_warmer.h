// Maps the pages of fresh memory on a thread of its own while a writer fills the memory from its
// start: the kernel's work of a first touch (the fault and the zeroing of each new page) then runs
// beside the writer's copying instead of inside it, on huge pages where the system has them. The
// contents are left as they are, so the writer may overtake it. It stops (and waits for its
// thread) when it goes; the memory must stay mapped until then. Without a thread or on a kernel
// that cannot do it, it does nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <thread>

namespace xunda {

class PageWarmer {
  public:
    explicit PageWarmer(std::span<char> memory);
    ~PageWarmer();
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

  private:
    void Run(char* begin, std::size_t length);

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace xunda
