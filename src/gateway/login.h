// A login: the service's data query for the account of a user name and password.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gateway/sms_gateway.h"

namespace xunda {

// What the service gave a login: the fields c, g and p of the reply's first row.
struct ServiceAccount {
    std::string corpID;  // `c`: the account number of every row and request, all digits
    std::string g;       // passed to the service's web pages
    std::string p;
};

// The query text of a login at `host`: the data query's base address, then "G", the user and the
// password, each quoted, joined by commas.
std::string LoginQuery(std::string_view host, std::string_view user, std::string_view password);

// Sends the login query `url` and reads its reply. nullopt when the login failed: a result other
// than 0, a reply that is not XML (or any other fault of the request), no row, a `c` that is not
// all digits, an empty `g` or `p`.
std::optional<ServiceAccount> RequestLogin(SmsGateway& gateway, const std::string& url);

}  // namespace xunda
