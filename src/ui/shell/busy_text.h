// The busy window's text from a worker.
#pragma once

#include "compose/sms_queue.h"

namespace xunda {

class Shell;

// Sets the busy window's text at most every 50 ms. SetText is posted: the worker never waits for
// the GUI thread while it holds the outbox's write transaction.
BusyText ThrottledBusyText(Shell& shell);

}  // namespace xunda
