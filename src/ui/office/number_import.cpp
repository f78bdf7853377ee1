#include "ui/office/number_import.h"

#include "compose/number_tidy.h"
#include "core/ports.h"
#include "ui/shell/shell.h"

namespace xunda {

std::vector<std::string> ImportMobsFileOrTell(Shell& shell, const std::string& file) {
    try {
        return ImportMobsFile(file);
    } catch (const FileReadError& e) {
        shell.logit(e.what());
        shell.prompts().Notice(e.what());
        throw;
    }
}

}  // namespace xunda
