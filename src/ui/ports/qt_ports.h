// The desktop ports implemented with Qt. Each object is created on the GUI thread and may be used
// from any thread: calls from workers are carried over to the GUI thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "core/ports.h"

class QSoundEffect;
#include <QWidget>

namespace xunda {

// Posts and invokes calls on the thread the bridge was created on (the GUI thread).
class QtGuiBridge : public GuiBridge {
  public:
    QtGuiBridge();
    ~QtGuiBridge() override;
    void Post(std::function<void()> call) override;
    void Invoke(std::function<void()> call) override;
    bool OnGuiThread() const;

  private:
    std::unique_ptr<QObject> target_;
};

// Message boxes and file dialogs over the window given (the main window once it exists).
class QtPrompts : public Prompts {
  public:
    explicit QtPrompts(GuiBridge& bridge) : bridge_(bridge) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Notice(const std::string& text) override;
    void Alert(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    bool ConfirmSevere(const std::string& text) override;
    bool OfferOpen(const std::string& text) override;
    std::optional<std::string> ChooseSaveFile(const std::string& filter,
                                              const std::string& defaultName) override;
    std::optional<std::string> ChooseOpenFile(const std::string& filter, const std::string& folder) override;

  private:
    GuiBridge& bridge_;
    QPointer<QWidget> parent_;
};

// Plays WAV files with one sound effect that lives on the GUI thread.
class QtSoundPlayer : public SoundPlayer {
  public:
    explicit QtSoundPlayer(GuiBridge& bridge);
    ~QtSoundPlayer() override;
    void Play(const std::string& file) override;

  private:
    GuiBridge& bridge_;
    std::unique_ptr<QSoundEffect> effect_;
};

// Opens files and URLs with the desktop's default programs; when nothing can open one (no
// xdg-open, no browser), a box says so.
class QtDesktop : public Desktop {
  public:
    QtDesktop(GuiBridge& bridge, Prompts& prompts) : bridge_(bridge), prompts_(prompts) {}
    bool Open(const std::string& fileOrUrl) override;

  private:
    GuiBridge& bridge_;
    Prompts& prompts_;
};

}  // namespace xunda
