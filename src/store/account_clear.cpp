#include "store/account_clear.h"

#include <string>

#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

bool ClearAccountData(Database& db, std::string_view corpID) {
    static constexpr const char* kTables[] = {"histMsg",  "mo",      "mt",    "mt_bak",      "mobs",
                                              "mobOrder", "msgType", "okMsg", "lastSendMobs"};
    const std::string account = " WHERE corpID=" + SqlInt(corpID);
    return db.Transaction([&] {
        // The in-flight marks of its outbox rows (left by a program that ended mid-request) go too.
        if (!db.pAdoCom("DELETE FROM mt_sending WHERE id IN (SELECT id FROM mt" + account + ")"))
            return false;
        for (const char* table : kTables)
            if (!db.pAdoCom("DELETE FROM " + std::string(table) + account)) return false;
        return true;
    });
}

}  // namespace xunda
