#include "ui/shell/engine_controller.h"

#include <QPointer>
#include <QStackedWidget>
#include <exception>
#include <memory>

#include "store/log.h"
#include "ui/mailbox/outbox_page.h"
#include "ui/shell/shell.h"
#include "ui/shell/workers.h"

namespace xunda {

bool EngineController::ShellState::paused() const {
    return shell_.Paused();
}

bool EngineController::ShellState::PauseEnabled() const {
    return shell_.Account().LoggedIn() && !shell_.Paused();
}

void EngineController::ShellState::btnSmsSendPauseClick() {
    shell_.btnSmsSendPauseClick();
}

void EngineController::ShellState::AddMo(std::int64_t n) {
    shell_.moCount += static_cast<int>(n);
    shell_.pListCount();
}

void EngineController::ShellState::AddMt(std::int64_t n) {
    shell_.mtCount += static_cast<int>(n);
    shell_.pListCount();
}

void EngineController::ShellState::AddReport(std::int64_t n) {
    shell_.reportCount += static_cast<int>(n);
    shell_.pListCount();
}

void EngineController::ShellSounds::Play(SoundEvent event) {
    Shell& shell = shell_;
    shell.bridge().Post([&shell, event] { shell.PlayEventSound(event); });
}

EngineController::EngineController(Shell& shell, SmsGateway& gateway)
    : shell_(shell),
      state_(shell),
      sounds_(shell),
      send_(Services(gateway)),
      mo_(Services(gateway)),
      report_(Services(gateway)) {
    mtTime_.setInterval(kSendInterval);
    moTime_.setInterval(Poller::kStartInterval);
    reportTime_.setInterval(Poller::kStartInterval);
    connect(&mtTime_, &QTimer::timeout, this, &EngineController::mtTimeTimer);
    connect(&moTime_, &QTimer::timeout, this, &EngineController::moTimeTimer);
    connect(&reportTime_, &QTimer::timeout, this, &EngineController::reportTimeTimer);
    send_.SetOutboxListener([bridge = &shell.bridge(), self = QPointer<EngineController>(this)] {
        bridge->Post([self] {
            if (self) self->RefreshOutbox();
        });
    });
}

EngineServices EngineController::Services(SmsGateway& gateway) {
    return {gateway, shell_.log(), state_, shell_.online(), shell_.prompts(), sounds_, clock_, sleeper_};
}

EngineController::~EngineController() {
    Stop();
    send_.WaitIdle();
    mo_.WaitIdle();
    report_.WaitIdle();
}

void EngineController::Start(const AccountContext& account) {
    account_ = Credentials{account.corpID, account.loginName, account.password};
    armed_ = true;
    if (!shell_.Paused()) mtTime_.start();
    ArmPoller(mo_, moTime_);
    ArmPoller(report_, reportTime_);
}

void EngineController::SetSending(bool on) {
    if (on && armed_)
        mtTime_.start();
    else
        mtTime_.stop();
}

void EngineController::Stop() {
    armed_ = false;
    mtTime_.stop();
    moTime_.stop();
    reportTime_.stop();
}

void EngineController::mtTimeTimer() {
    try {
        SendTick tick = send_.tick(shell_.db(), account_);
        if (!tick.job) return;
        auto job = std::make_shared<SendJob>(std::move(*tick.job));
        RunJob([this, job] { send_.run(std::move(*job)); },
               [this] {
                   if (armed_ && !shell_.Paused()) mtTime_.start();
               });
        mtTime_.stop();  // only once the worker runs: should it not start, the next tick tries again
    } catch (const std::exception& e) {
        shell_.prompts().Notice(e.what());
    }
}

void EngineController::moTimeTimer() {
    PollTick(mo_, moTime_);
}

void EngineController::reportTimeTimer() {
    PollTick(report_, reportTime_);
}

void EngineController::PollTick(Poller& poller, QTimer& timer) {
    try {
        std::optional<PollJob> polled = poller.tick(shell_.db(), account_);
        if (!polled) return;
        auto job = std::make_shared<PollJob>(std::move(*polled));
        RunJob([&poller, job] { poller.poll(std::move(*job)); },
               [this, &poller, &timer] {
                   if (armed_) timer.start(poller.interval());
               });
        timer.stop();
    } catch (const std::exception& e) {
        shell_.prompts().Notice(e.what());
    }
}

void EngineController::ArmPoller(Poller& poller, QTimer& timer) {
    if (!timer.isActive() && !poller.Busy()) timer.start(poller.interval());
}

void EngineController::RunJob(std::function<void()> job, std::function<void()> rearm) {
    // Once the job has run the worker touches nothing of the controller: the controller may be
    // going away (its destructor waits for the jobs, not for the workers' last steps).
    shell_.workers().Run([job = std::move(job), rearm = std::move(rearm), bridge = &shell_.bridge(),
                          self = QPointer<EngineController>(this)] {
        job();
        bridge->Post([self, rearm] {
            if (self) rearm();
        });
    });
}

void EngineController::RefreshOutbox() {
    auto* outbox = qobject_cast<OutboxPage*>(shell_.FindPage(QStringLiteral("sendBoxPage")));
    auto* area = outbox ? qobject_cast<QStackedWidget*>(outbox->parentWidget()) : nullptr;
    if (area && area->currentWidget() == outbox) outbox->ListAfterRun();
}

}  // namespace xunda
