#include "ui/shell/service_urls.h"

#include "core/paths.h"

namespace xunda {

QString ServiceAddress(const QString& path) {
    return QStringLiteral("http://") + QString::fromStdString(ServiceHost()) + path;
}

QString ServicePageAddress(const QString& pageName) {
    return ServiceAddress(QStringLiteral("/corp/client/?v=msg&a=") + pageName);
}

QString WithAccount(const QString& pageAddress, const AccountContext& account) {
    return pageAddress + QStringLiteral("&c=") + QString::fromStdString(account.corpID) +
           QStringLiteral("&g=") + QString::fromStdString(account.g) + QStringLiteral("&p=") +
           QString::fromStdString(account.p);
}

}  // namespace xunda
