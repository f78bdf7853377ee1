// What the main window asks of the processing engine (its timers and workers live in the engine
// controller). All calls come on the GUI thread.
#pragma once

#include "ui/shell/account.h"

namespace xunda {

class ProcessingEngine {
  public:
    virtual ~ProcessingEngine() = default;
    // A login succeeded, or the shell lets the engine work again after Stop: (re)arm the timers
    // for this account; the send timer runs unless processing is paused (Shell::Paused).
    virtual void Start(const AccountContext& account) = 0;
    // The pause toggle: the send timer on (resume) or off (pause).
    virtual void SetSending(bool on) = 0;
    // Exit, change of account or clearing all data: every timer off. The shell then waits for
    // the registered workers (Shell::Workers) before it touches the database.
    virtual void Stop() = 0;
};

}  // namespace xunda
