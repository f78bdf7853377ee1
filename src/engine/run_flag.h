// One run of an engine job (send, inbox poll, report poll) at a time.
//
// A tick takes the job's token before it hands work to a worker; the token travels with the work
// and frees the job when it is destroyed, whatever way the run ends. While a token is out, every
// other attempt to start the job is refused, so a resume or a new login during a slow request can
// never start a second run over the same rows.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>

namespace xunda {

class RunFlag {
  public:
    class Token {
      public:
        Token(Token&& other) noexcept : flag_(other.flag_) { other.flag_ = nullptr; }
        Token& operator=(Token&&) = delete;
        Token(const Token&) = delete;
        ~Token();

      private:
        friend class RunFlag;
        explicit Token(RunFlag* flag) : flag_(flag) {}
        RunFlag* flag_;
    };

    RunFlag() = default;
    RunFlag(const RunFlag&) = delete;
    RunFlag& operator=(const RunFlag&) = delete;

    // The token when no run is active, else nothing.
    std::optional<Token> TryAcquire();
    bool Busy() const;
    // Blocks until no run is active (account change, exit).
    void WaitIdle() const;

  private:
    void Release();

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    bool busy_ = false;
};

}  // namespace xunda
