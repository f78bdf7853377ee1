// The engine's sound events: new incoming messages, new delivery reports and a send request the
// service refused. The window side decides at the moment of the event whether a sound plays and
// which file (the settings page's check box and file name).
#pragma once

namespace xunda {

enum class SoundEvent { Incoming, SendError, Report };

class EventSounds {
  public:
    virtual ~EventSounds() = default;
    // Any thread; returns at once.
    virtual void Play(SoundEvent event) = 0;
};

}  // namespace xunda
