#include <QDesktopServices>
#include <QUrl>

#include "ui/ports/qt_ports.h"

namespace xunda {

bool QtDesktop::Open(const std::string& fileOrUrl) {
    const QString text = QString::fromStdString(fileOrUrl);
    const QUrl url = text.contains(QLatin1String("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    bool opened = false;
    bridge_.Invoke([&] { opened = QDesktopServices::openUrl(url); });
    if (!opened) prompts_.Notice("没有找到可以打开它的程序: " + fileOrUrl);
    return opened;
}

}  // namespace xunda
