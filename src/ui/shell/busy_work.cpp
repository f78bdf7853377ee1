#include "ui/shell/busy_work.h"

#include <system_error>

#include "core/ports.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/shell.h"
#include "ui/shell/workers.h"

namespace xunda {

void RunBusyWorker(Shell& shell, const std::string& text, std::function<GuiStep()> work) {
    shell.busy().Show(text);
    try {
        shell.workers().Run([&shell, work = std::move(work)] {
            GuiStep then;
            try {
                then = work();
            } catch (...) {
                shell.busy().Close();
                throw;  // the registry tells why
            }
            shell.busy().Close();
            if (then) shell.bridge().Post(std::move(then));
        });
    } catch (const std::system_error& e) {  // no worker could be started
        shell.busy().Close();
        WorkerFailed(shell, e.what());
    }
}

bool RunBusyAndWait(Shell& shell, const std::string& text, const std::function<void()>& work) {
    shell.busy().Show(text);
    bool ended = false;
    try {
        ended = shell.workers().RunAndWait(work);
    } catch (const std::system_error& e) {
        WorkerFailed(shell, e.what());
    }
    shell.busy().Close();
    return ended;
}

void WorkerFailed(Shell& shell, const std::string& reason) {
    const std::string text = "处理失败: " + reason;
    shell.logit(text);
    shell.prompts().Notice(text);
}

}  // namespace xunda
