// What the send engine and the pollers read and change of the processing state: whether SMS
// processing ("短信处理") runs, and the counters of this program run. The main window holds the
// state and shows it (the pause and resume buttons, the send timer, the status-bar panels).
#pragma once

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

}  // namespace xunda
