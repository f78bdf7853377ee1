#include <QSoundEffect>
#include <QUrl>

#include "ui/ports/qt_ports.h"

namespace xunda {

QtSoundPlayer::QtSoundPlayer(GuiBridge& bridge)
    : bridge_(bridge), effect_(std::make_unique<QSoundEffect>()) {}
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::Play(const std::string& file) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(file));
    bridge_.Post([this, url] {
        effect_->stop();
        effect_->setSource(url);
        effect_->play();
    });
}

}  // namespace xunda
