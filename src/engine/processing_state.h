// What the send engine and the pollers read and change of the processing state: whether SMS
// processing ("短信处理") runs, and the counters of this program run. The main window holds the
// state and shows it (the pause and resume buttons, the send timer, the status-bar panels).
#pragma once

#include <atomic>
#include <cstdint>

namespace xunda {

class ProcessingState {
  public:
    virtual ~ProcessingState() = default;
    // Any thread: processing is paused. Read by the workers before every row and request.
    virtual bool paused() const = 0;
    // GUI thread: "(&P)暂停短信处理" is enabled (logged in and running).
    virtual bool PauseEnabled() const = 0;
    // GUI thread: toggles between running and paused, as the pause and resume buttons do.
    virtual void btnSmsSendPauseClick() = 0;
    // Any thread: adds to a counter; the status bar shows the new value.
    virtual void AddMo(std::int64_t n) = 0;
    virtual void AddMt(std::int64_t n) = 0;
    virtual void AddReport(std::int64_t n) = 0;
};

// A worker that could not store what the service handed over ends its run and asks for processing
// to pause; its job's next tick (on the GUI thread, where the pause button lives) pauses it.
class PauseRequest {
  public:
    // Any thread.
    void Request() { wanted_ = true; }
    // GUI thread: pauses processing when a worker asked for it since the last call; true then.
    bool Apply(ProcessingState& control) {
        if (!wanted_.exchange(false)) return false;
        if (control.PauseEnabled()) control.btnSmsSendPauseClick();
        return true;
    }

  private:
    std::atomic<bool> wanted_{false};
};

// Logged by a worker that keeps what it could not store and asks for the pause.
constexpr const char* kStoreFailedText = "数据库保存失败,短信处理暂停";

}  // namespace xunda
