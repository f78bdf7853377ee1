// The settings page "系统配置": start with the session and log in by itself, hide after login,
// the three notification sounds, clearing all of the account's data and opening the log.
// Every setting is stored the moment its box changes.
#pragma once

#include <QByteArray>
#include <array>

#include "ui/shell/page.h"
#include "ui/shell/shell.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace xunda {

class MainWindow;

class AboutPage : public Page {
    Q_OBJECT
  public:
    explicit AboutPage(MainWindow& main);

    // The first start (no Wave folder yet) puts the default sounds there; later starts leave the
    // folder as the user keeps it.
    void InstallDefaultSounds();
    // Opening the page offers to back up a big log.
    void Open(const QString& caption, const QString& param) override;

    // The login's part: ticks the two boxes (storing what changes) and loads the sound rows.
    void ApplyLogin(bool autoLoginActive, bool autoMiniActive);
    // The sound file of an event when its row is ticked and names an existing file, else empty.
    std::string SoundFile(SoundEvent event) const;

    QCheckBox* autoStartCheck() const { return autoStartCheck_; }
    QCheckBox* autoMiniCheck() const { return autoMiniCheck_; }
    QCheckBox* SoundCheck(SoundEvent event) const { return Row(event).check; }
    QLineEdit* SoundEdit(SoundEvent event) const { return Row(event).file; }
    QLineEdit* edPass() const { return edPass_; }

    void btnOpenWavClick(SoundEvent event);
    void btnPlayWavClick(SoundEvent event);
    void btnClearAllDataClick();
    void btnOpenLogClick();

  private:
    struct SoundRow {
        SoundEvent event;
        const char* playKey;
        const char* fileKey;
        const char* defaultFile;  // in the Wave folder
        QByteArray (*wav)();      // its bytes, made with the program
        QCheckBox* check = nullptr;
        QLineEdit* file = nullptr;
    };
    const SoundRow& Row(SoundEvent event) const;
    void autoStartCheckClick(bool ticked);
    void autoMiniCheckClick(bool ticked);
    void moWavCheckClick(const SoundRow& row);
    void LoadSoundRow(const SoundRow& row);

    MainWindow& main_;
    QCheckBox* autoStartCheck_;
    QCheckBox* autoMiniCheck_;
    QLineEdit* edPass_;
    std::array<SoundRow, 3> rows_;
};

}  // namespace xunda
