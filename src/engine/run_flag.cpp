#include "engine/run_flag.h"

namespace xunda {

RunFlag::Token::~Token() {
    if (flag_) flag_->Release();
}

std::optional<RunFlag::Token> RunFlag::TryAcquire() {
    std::lock_guard lock(mutex_);
    if (busy_) return std::nullopt;
    busy_ = true;
    return Token(this);
}

bool RunFlag::Busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

void RunFlag::WaitIdle() const {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_; });
}

void RunFlag::Release() {
    {
        std::lock_guard lock(mutex_);
        busy_ = false;
    }
    idle_.notify_all();
}

}  // namespace xunda
