// The account a login opened: the service's answer and what the user typed.
#pragma once

#include <string>

namespace xunda {

struct AccountContext {
    std::string corpID;     // the service's `c`: the account number of every row and request
    std::string g;          // the service's `g`, passed to its web pages
    std::string p;          // the service's `p`, passed to its web pages
    std::string loginName;  // the typed user name, trimmed
    std::string password;   // the typed password, as typed

    bool LoggedIn() const { return !corpID.empty(); }
};

}  // namespace xunda
