// The engine's timers on the GUI thread: the send timer `mtTime` (1000 ms) and the poll timers
// `moTime` and `reportTime` (2000 ms at the start, then as the pollers' back-off sets them).
//
// Each tick asks the engine logic for a job (the rows, the account and the database of that
// moment) and hands it to a worker registered with the shell (Shell::workers), so that exit,
// change of account and clearing all data wait for it. A timer stays off while its job runs and is
// re-armed when the job has ended: the send timer unless processing is paused or the engine was
// stopped meanwhile, a poll timer with its poller's new interval unless the engine was stopped.
// The poll timers run from the login on, so after a lost reply their answers (the gateway is
// shared) are what lets the waiting send engine go on by itself.
//
// The main window drives it through ProcessingEngine:
//     Start(account)   a login (or the end of a pause for clearing all data): the three timers on
//                      for this account, the send timer only while processing is not paused;
//     SetSending(on)   the pause toggle: the send timer on (after Start) or off;
//     Stop()           exit, change of account, clearing all data: every timer off.
// Create it after MainWindow::FormCreate and hand it to MainWindow::SetEngine.
#pragma once

#include <QObject>
#include <QTimer>

#include "engine/engine_ports.h"
#include "engine/event_sound.h"
#include "engine/mo_poller.h"
#include "engine/processing_state.h"
#include "engine/report_poller.h"
#include "engine/send_engine.h"
#include "ui/shell/engine_port.h"

namespace xunda {

class Shell;
class SmsGateway;

class EngineController : public QObject, public ProcessingEngine {
    Q_OBJECT
  public:
    static constexpr int kSendInterval = 1000;

    EngineController(Shell& shell, SmsGateway& gateway);
    // Stops the timers and waits for the jobs still running.
    ~EngineController() override;

    void Start(const AccountContext& account) override;
    void SetSending(bool on) override;
    void Stop() override;

    // The tick handlers (the timers call them; tests may too).
    void mtTimeTimer();
    void moTimeTimer();
    void reportTimeTimer();

    const QTimer& mtTime() const { return mtTime_; }
    const QTimer& moTime() const { return moTime_; }
    const QTimer& reportTime() const { return reportTime_; }
    // Whether a job of the send engine or a poller is running.
    bool Busy() const { return send_.Busy() || mo_.Busy() || report_.Busy(); }

  private:
    // The processing state and the counters as the main window holds them.
    class ShellState : public ProcessingState {
      public:
        explicit ShellState(Shell& shell) : shell_(shell) {}
        bool paused() const override;
        bool PauseEnabled() const override;
        void btnSmsSendPauseClick() override;
        void AddMo(std::int64_t n) override;
        void AddMt(std::int64_t n) override;
        void AddReport(std::int64_t n) override;

      private:
        Shell& shell_;
    };
    // The sounds, played by the main window on the GUI thread.
    class ShellSounds : public EventSounds {
      public:
        explicit ShellSounds(Shell& shell) : shell_(shell) {}
        void Play(SoundEvent event) override;

      private:
        Shell& shell_;
    };

    // What the send engine and the pollers work with (during construction: the members it names
    // are made before the jobs).
    EngineServices Services(SmsGateway& gateway);
    void PollTick(Poller& poller, QTimer& timer);
    // Starts an idle poll timer with its poller's interval.
    void ArmPoller(Poller& poller, QTimer& timer);
    // Runs `job` on a registered worker; `rearm` follows on the GUI thread when it has ended,
    // unless the controller is gone by then.
    void RunJob(std::function<void()> job, std::function<void()> rearm);
    // After a send run: the outbox page shows the queue as it is now.
    void RefreshOutbox();

    Shell& shell_;
    ShellState state_;
    ShellSounds sounds_;
    SystemClock clock_;
    SystemSleeper sleeper_;
    SendEngine send_;
    MoPoller mo_;
    ReportPoller report_;
    Credentials account_;
    bool armed_ = false;  // between Start and Stop
    QTimer mtTime_;
    QTimer moTime_;
    QTimer reportTime_;
};

}  // namespace xunda
