// Long tasks of the windows: run on a worker behind the busy window, which closes however the
// task ends; a task that throws is told in a box with the reason and in the log.
#pragma once

#include <functional>
#include <string>

namespace xunda {

class Shell;

// What a task hands back to the GUI thread (empty for nothing): it runs there once the busy window
// has closed.
using GuiStep = std::function<void()>;

// Shows the busy window with `text` and starts `work` on a worker (call on the GUI thread; returns
// at once). The busy window closes when `work` ends, also when it throws; then the step it returned
// runs on the GUI thread.
void RunBusyWorker(Shell& shell, const std::string& text, std::function<GuiStep()> work);

// Shows the busy window with `text`, runs `work` on a worker while the windows handle their
// events, and closes the busy window once it has ended (call on the GUI thread). False when `work`
// threw.
bool RunBusyAndWait(Shell& shell, const std::string& text, const std::function<void()>& work);

// How a worker's failure is told (any thread): a line in the log and a box with the reason.
void WorkerFailed(Shell& shell, const std::string& reason);

}  // namespace xunda
