#include "engine/event_sound.h"

#include <filesystem>
#include <system_error>

#include "core/ports.h"
#include "gateway/reply_text.h"

namespace xunda {

bool PlayEventSound(SoundPlayer& player, const SoundSetting& sound) {
    if (!sound.play) return false;
    const std::string file = TrimBlanks(sound.file);
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return false;
    player.Play(file);
    return true;
}

}  // namespace xunda
