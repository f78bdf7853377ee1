// The three optional sounds of the engine: new incoming messages, new delivery reports and a send
// request the service refused.
#pragma once

#include <string>

namespace xunda {

class SoundPlayer;

// A sound as the settings page holds it at the moment of the event: its check box and file name.
struct SoundSetting {
    bool play = false;
    std::string file;
};

// The settings of the three sounds, taken for a worker when its tick starts it.
struct SoundSettings {
    SoundSetting mo;      // "接收到新的手机短信时播放声音"
    SoundSetting report;  // "接收到新的短信收条时播放声音"
    SoundSetting mt;      // "发送短信错误时播放声音"
};

// Plays the sound without waiting when its box is ticked and its file name, trimmed of blanks,
// names an existing file. True when it was handed to the player.
bool PlayEventSound(SoundPlayer& player, const SoundSetting& sound);

}  // namespace xunda
