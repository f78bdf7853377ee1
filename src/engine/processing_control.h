// Whether SMS processing ("短信处理") runs, the counters of this program run and their status-bar
// texts, without any window: the state the engine's jobs work with.
//
// The state is written on the GUI thread (login, the pause/resume buttons, an offline send tick,
// closing, account change) and read by the workers at every row and request; the counters are
// added to by the workers. Both are atomics. The listeners are called on the thread that caused
// the change: the state listener on the GUI thread, the counter listener on a worker's thread
// (the window posts it to the GUI thread itself).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/processing_state.h"

namespace xunda {

class Log;

// The texts of the status bar's panels 1 to 3.
struct CounterTexts {
    std::string mo;      // "接收(<moCount>)"
    std::string mt;      // "发送(<mtCount>)"
    std::string report;  // "收条(<reportCount>)"
};

class ProcessingControl : public ProcessingState {
  public:
    explicit ProcessingControl(Log& log);
    ProcessingControl(const ProcessingControl&) = delete;
    ProcessingControl& operator=(const ProcessingControl&) = delete;

    // Called after a change of the paused state: the send timer and the two buttons follow it.
    void SetStateListener(std::function<void()> listener);
    // Called with the new texts after every change of a counter.
    void SetCounterListener(std::function<void(const CounterTexts&)> listener);

    // A successful login: processing runs (paused cleared) from now on.
    void Start();
    // The pause and resume buttons: toggles between running and paused and logs "暂停短信处理" or
    // "恢复短信处理".
    void btnSmsSendPauseClick() override;

    bool paused() const override { return paused_.load(); }
    // "(&P)暂停短信处理" is enabled: logged in and running.
    bool PauseEnabled() const override { return started_.load() && !paused_.load(); }
    // "(&S)继续短信处理" is enabled: paused.
    bool ResumeEnabled() const { return paused_.load(); }

    void AddMo(std::int64_t n) override;
    void AddMt(std::int64_t n) override;
    void AddReport(std::int64_t n) override;
    std::int64_t moCount() const { return moCount_.load(); }
    std::int64_t mtCount() const { return mtCount_.load(); }
    std::int64_t reportCount() const { return reportCount_.load(); }

    // The current texts of the three counter panels.
    CounterTexts pListCount() const;

    static constexpr const char* kPauseCaption = "(&P)暂停短信处理";
    static constexpr const char* kResumeCaption = "(&S)继续短信处理";

  private:
    void CountersChanged();

    Log& log_;
    std::atomic<bool> started_{false};
    std::atomic<bool> paused_{false};
    std::atomic<std::int64_t> moCount_{0};
    std::atomic<std::int64_t> mtCount_{0};
    std::atomic<std::int64_t> reportCount_{0};
    std::function<void()> stateListener_;
    std::function<void(const CounterTexts&)> counterListener_;
};

}  // namespace xunda
