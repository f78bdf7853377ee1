// Clearing all of an account's data ("初始化全部数据"): its rows of histMsg, mo, mt, mt_bak, mobs,
// mobOrder, msgType, okMsg and lastSendMobs go, with the in-flight marks of its mt rows, in one
// transaction; histMsgType, sysConfig and other accounts' rows stay.
#pragma once

#include <string_view>

namespace xunda {

class Database;

// True when every delete was committed; otherwise the error has been reported and nothing is
// deleted.
bool ClearAccountData(Database& db, std::string_view corpID);

}  // namespace xunda
