// Name/value settings in the table sysConfig.
//
// The keys autoStart, userName and userPwd are global (corpID 0, needed before anybody logs in);
// every other key belongs to the logged-in account. Errors are reported by the runners: a failed
// read gives "", a failed write keeps the old value.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace xunda {

class Database;

// A key is global when its name, in capitals, occurs anywhere in "AUTOSTART, USERNAME, USERPWD"
// (so fragments such as "USER" count too); the empty name is not global.
bool IsGlobalSysKey(std::string_view name);

// The value of a key, or "" when no row holds it. `corpID` is the logged-in account's number
// (digits); before a login it is empty and a per-account key reads as "".
std::string pReadSysValue(Database& db, std::string_view corpID, std::string_view name);
// Stores a value: updates the key's rows (for a global key, every row of that name) or inserts
// one. A per-account key is not written before a login (empty corpID). True when stored.
bool pWriteSysValue(Database& db, std::string_view corpID, std::string_view name, std::string_view value);
// Stores the keys of one setting (a sound row's play and file keys) together: all of them, or,
// when one fails, none (every key keeps its old value). True when stored.
bool WriteSysValues(Database& db, std::string_view corpID,
                    std::initializer_list<std::pair<std::string_view, std::string_view>> values);

// A statement as an error box may show it: in a statement naming the stored password's key (a text
// literal 'userPwd', in any case) every other text literal reads '***'.
std::string MaskStoredPassword(std::string_view sql);

}  // namespace xunda
