// Maps the pages of fresh memory on a thread of its own a little ahead of a writer that fills the
// memory from its start: the kernel's work of a first touch (the fault and the zeroing of each new
// page) then runs beside the writer's copying instead of inside it, and what is mapped follows
// what has been written (memory reserved for much that never comes costs nothing). The writer
// tells it how far it has come. The contents are left as they are, so the writer may overtake it.
// It stops (and waits for its thread) when it goes; the memory must stay mapped until then.
// Without a thread or on a kernel that cannot do it, it does nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <thread>

namespace xunda {

// Maps the pages of fresh memory now, in one call rather than one fault each; false where the
// kernel cannot (before Linux 5.14), which leaves them to be mapped at their first touch.
bool MapPagesNow(void* begin, std::size_t length);

class PageWarmer {
  public:
    // How far ahead of the writer pages are mapped, once it has written its first bytes.
    static constexpr std::size_t kAhead = std::size_t{4} << 20;

    explicit PageWarmer(std::span<char> memory);
    ~PageWarmer();
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

    // The writer has filled the first `bytes` of the memory.
    void Written(std::size_t bytes);

  private:
    void Run(char* begin, std::size_t length);

    // How far the writer has come; past every length once the warmer is to stop.
    std::atomic<std::size_t> written_{0};
    std::size_t woken_ = 0;  // written_ when the writer last woke the thread
    std::thread thread_;
};

}  // namespace xunda
