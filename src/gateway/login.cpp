#include "gateway/login.h"

#include "core/text_util.h"
#include "store/sql_text.h"

namespace xunda {

std::string LoginQuery(std::string_view host, std::string_view user, std::string_view password) {
    return DataQueryBase(host) + SqlQuote("G") + "," + SqlQuote(user) + "," + SqlQuote(password);
}

std::optional<ServiceAccount> RequestLogin(SmsGateway& gateway, const std::string& url) {
    ServiceAccount account;
    try {
        FieldList fields;
        int colCount = 0;
        int rowCount = 0;
        if (gateway.GetData(url, fields, colCount, rowCount, kDirectConnection) != 0) return std::nullopt;
        GetFieldValue("c", 0, account.corpID, colCount, fields);
        GetFieldValue("g", 0, account.g, colCount, fields);
        GetFieldValue("p", 0, account.p, colCount, fields);
    } catch (...) {  // a reply that is not XML, or any other fault of the request
        return std::nullopt;
    }
    if (account.corpID.empty() || !IsAllDigits(account.corpID) || account.g.empty() || account.p.empty())
        return std::nullopt;
    return account;
}

}  // namespace xunda
