#include "ui/shell/busy_text.h"

#include <chrono>

#include "ui/shell/msg_form.h"
#include "ui/shell/shell.h"

namespace xunda {

BusyText ThrottledBusyText(Shell& shell) {
    return [&shell, last = std::chrono::steady_clock::time_point()](const std::string& text) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now - last < std::chrono::milliseconds(50)) return;
        last = now;
        shell.busy().SetText(text);
    };
}

}  // namespace xunda
