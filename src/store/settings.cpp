#include "store/settings.h"

#include <algorithm>
#include <vector>

#include "core/text_util.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

// " AND corpID=<corpID>" for a per-account key, "" for a global one.
std::string AccountFilter(std::string_view corpID, std::string_view name) {
    return IsGlobalSysKey(name) ? std::string() : " AND corpID=" + SqlInt(corpID);
}

// The text literals of a statement, quotes included.
std::vector<std::string_view> TextLiterals(std::string_view sql) {
    std::vector<std::string_view> literals;
    for (std::size_t at = sql.find('\''); at != std::string_view::npos;) {
        std::size_t end = at + 1;
        while ((end = sql.find('\'', end)) != std::string_view::npos && end + 1 < sql.size() &&
               sql[end + 1] == '\'')
            end += 2;  // a doubled quote inside the text
        end = end == std::string_view::npos ? sql.size() : end + 1;
        literals.push_back(sql.substr(at, end - at));
        at = sql.find('\'', end);
    }
    return literals;
}

bool Usable(std::string_view corpID, std::string_view name) {
    return IsGlobalSysKey(name) || !corpID.empty();
}

}  // namespace

bool IsGlobalSysKey(std::string_view name) {
    if (name.empty()) return false;
    return std::string_view("autostart, username, userpwd").find(ToLowerAscii(name)) !=
           std::string_view::npos;
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

bool WriteSysValues(Database& db, std::string_view corpID,
                    std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    return db.Transaction([&] {
        for (const auto& [name, value] : values)
            if (!pWriteSysValue(db, corpID, name, value)) return false;
        return true;
    });
}

std::string MaskStoredPassword(std::string_view sql) {
    const std::vector<std::string_view> literals = TextLiterals(sql);
    auto isKey = [](std::string_view literal) { return EqualsNoCase(literal, "'userPwd'"); };
    if (std::none_of(literals.begin(), literals.end(), isKey)) return std::string(sql);
    std::string masked;
    std::size_t done = 0;
    for (std::string_view literal : literals) {
        const std::size_t at = static_cast<std::size_t>(literal.data() - sql.data());
        masked.append(sql.substr(done, at - done));
        masked.append(isKey(literal) ? literal : "'***'");
        done = at + literal.size();
    }
    return masked.append(sql.substr(done));
}

}  // namespace xunda
