#include "store/settings.h"

#include <cctype>

#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

// " AND corpID=<corpID>" for a per-account key, "" for a global one.
std::string AccountFilter(std::string_view corpID, std::string_view name) {
    return IsGlobalSysKey(name) ? std::string() : " AND corpID=" + SqlInt(corpID);
}

bool Usable(std::string_view corpID, std::string_view name) {
    return IsGlobalSysKey(name) || !corpID.empty();
}

}  // namespace

bool IsGlobalSysKey(std::string_view name) {
    if (name.empty()) return false;
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return std::string_view("AUTOSTART, USERNAME, USERPWD").find(upper) != std::string_view::npos;
}

std::string pReadSysValue(Database& db, std::string_view corpID, std::string_view name) {
    if (!Usable(corpID, name)) return {};
    ResultSet rs = db.pAdoQuery("SELECT * FROM sysConfig WHERE sysConfigName=" + SqlQuote(name) +
                                AccountFilter(corpID, name) + " LIMIT 1");
    return rs.Eof() ? std::string() : rs.AsString("sysValue");
}

bool pWriteSysValue(Database& db, std::string_view corpID, std::string_view name, std::string_view value) {
    if (!Usable(corpID, name)) return false;
    std::string filter = AccountFilter(corpID, name);
    return db.Transaction([&] {
        ResultSet rs = db.pAdoQuery("SELECT * FROM sysConfig WHERE sysConfigName=" + SqlQuote(name) + filter +
                                    " LIMIT 1");
        if (!rs.Ok()) return false;
        if (rs.Eof()) {
            std::string owner = IsGlobalSysKey(name) ? std::string("0") : SqlInt(corpID);
            return db.pAdoCom("INSERT INTO sysConfig (corpID, sysConfigName, sysValue) VALUES (" + owner +
                              "," + SqlQuote(name) + "," + SqlQuote(value) + ")");
        }
        return db.pAdoCom("UPDATE sysConfig SET sysValue=" + SqlQuote(value) +
                          " WHERE sysConfigName=" + SqlQuote(name) + filter);
    });
}

}  // namespace xunda
