// What the main window asks of the processing engine (its timers and workers live in the engine
// controller). All calls come on the GUI thread.
#pragma once

#include "ui/account.h"

namespace xunda {

class ProcessingEngine {
public:
    virtual ~ProcessingEngine() = default;
    // A login succeeded: work for this account from now on, sending on.
    virtual void Start(const AccountContext& account) = 0;
    // The pause toggle: the send timer on (resume) or off (pause).
    virtual void SetSending(bool on) = 0;
    // Exit, change of account or clearing all data: every timer off. The shell then waits for
    // the registered workers (Shell::Workers) before it touches the database.
    virtual void Stop() = 0;
};

}  // namespace xunda
