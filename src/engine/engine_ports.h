// What the engine's jobs work with: the service, the log, the processing state and the desktop's
// services, plus the time services, so that tests and the benchmark can run the jobs without real
// waits. The database is not among them: each job takes the one open when its tick started it.
#pragma once

#include <chrono>
#include <string>

namespace xunda {

// The local time as the store writes it: "YYYY-MM-DD HH:MM:SS".
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string Now() = 0;
};

// Blocks the calling thread for a while.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

class EventSounds;
class Log;
class OnlineProbe;
class Prompts;
class ProcessingState;
class SmsGateway;

// Everything the send engine and the pollers use; all of it outlives them.
struct EngineServices {
    SmsGateway& gateway;
    Log& log;
    ProcessingState& control;
    OnlineProbe& online;
    Prompts& prompts;
    EventSounds& sounds;
    Clock& clock;
    Sleeper& sleeper;
};

class SystemClock : public Clock {
  public:
    std::string Now() override;
};

class SystemSleeper : public Sleeper {
  public:
    void Sleep(std::chrono::milliseconds duration) override;
};

}  // namespace xunda
