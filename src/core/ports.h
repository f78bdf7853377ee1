// The services the logic below the windows asks of the desktop. The Qt windows implement them;
// tests implement them with fakes. Every method may be called from any thread unless it says
// otherwise: implementations marshal to the GUI thread themselves.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace xunda {

// Message boxes with the system's captions, and file dialogs.
class Prompts {
  public:
    virtual ~Prompts() = default;
    // OK box, information icon, caption "提示".
    virtual void Notice(const std::string& text) = 0;
    // OK box, information icon, caption "警告" (the offline warnings).
    virtual void Alert(const std::string& text) = 0;
    // Yes/No box, warning icon, caption "警告"; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // Yes/No box, warning icon, caption "严重警告"; true for Yes.
    virtual bool ConfirmSevere(const std::string& text) = 0;
    // Yes/No box, caption "请选择", offering to open a file just saved; true for Yes.
    virtual bool OfferOpen(const std::string& text) = 0;
    // File dialogs; nullopt when the user cancels. `filter` is in Qt's "Name (*.ext)" form; the
    // open dialog starts in `folder` (empty: the dialog's default).
    virtual std::optional<std::string> ChooseSaveFile(const std::string& filter,
                                                      const std::string& defaultName) = 0;
    virtual std::optional<std::string> ChooseOpenFile(const std::string& filter,
                                                      const std::string& folder) = 0;
};

// Runs a call on the GUI thread: Post returns at once, Invoke waits for the call to finish
// (called on the GUI thread itself, Invoke runs the call directly).
class GuiBridge {
  public:
    virtual ~GuiBridge() = default;
    virtual void Post(std::function<void()> call) = 0;
    virtual void Invoke(std::function<void()> call) = 0;
};

// Plays a WAV file asynchronously; a missing or bad file plays nothing.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const std::string& file) = 0;
};

// Opens a file with its default program or a URL in the default browser.
class Desktop {
  public:
    virtual ~Desktop() = default;
    virtual bool Open(const std::string& fileOrUrl) = 0;
};

// Whether the computer can reach the service.
class OnlineProbe {
  public:
    virtual ~OnlineProbe() = default;
    virtual bool IsOnline() = 0;
};

}  // namespace xunda
