// Addresses on the service's host: its web pages, the sign-up page and the data query.
#pragma once

#include <QString>

#include "ui/shell/account.h"

namespace xunda {

// "http://" + the service host + path.
QString ServiceAddress(const QString& path);
// The address of a service page without the account part: ".../corp/client/?v=msg&a=<page>".
QString ServicePageAddress(const QString& pageName);
// An address of a service page with the account's "&c=...&g=...&p=..." appended.
QString WithAccount(const QString& pageAddress, const AccountContext& account);

}  // namespace xunda
