#include "engine/processing_control.h"

#include "store/log.h"

namespace xunda {

ProcessingControl::ProcessingControl(Log& log) : log_(log) {}

void ProcessingControl::SetStateListener(std::function<void()> listener) {
    stateListener_ = std::move(listener);
}

void ProcessingControl::SetCounterListener(std::function<void(const CounterTexts&)> listener) {
    counterListener_ = std::move(listener);
}

void ProcessingControl::Start() {
    started_ = true;
    paused_ = false;
    if (stateListener_) stateListener_();
}

void ProcessingControl::btnSmsSendPauseClick() {
    const bool wasPaused = paused_.load();
    paused_ = !wasPaused;
    if (stateListener_) stateListener_();
    log_.logit(wasPaused ? "恢复短信处理" : "暂停短信处理");
}

void ProcessingControl::AddMo(std::int64_t n) {
    moCount_ += n;
    CountersChanged();
}

void ProcessingControl::AddMt(std::int64_t n) {
    mtCount_ += n;
    CountersChanged();
}

void ProcessingControl::AddReport(std::int64_t n) {
    reportCount_ += n;
    CountersChanged();
}

CounterTexts ProcessingControl::pListCount() const {
    return {"接收(" + std::to_string(moCount_.load()) + ")", "发送(" + std::to_string(mtCount_.load()) + ")",
            "收条(" + std::to_string(reportCount_.load()) + ")"};
}

void ProcessingControl::CountersChanged() {
    if (counterListener_) counterListener_(pListCount());
}

}  // namespace xunda
