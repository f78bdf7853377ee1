#include "store/schema.h"

namespace xunda::store_detail {

// Texts compare without regard to case (COLLATE NOCASE), as the store always did; dates are
// "YYYY-MM-DD HH:MM:SS" texts in local time; yes/no columns hold 1/0.
#define XUNDA_NOW "(datetime('now','localtime'))"
// The outbox rows of a request whose results are not stored yet (the send engine marks them, in a
// committed transaction, before the request). Files made before it existed get it when opened.
#define XUNDA_SENDING_TABLE "CREATE TABLE IF NOT EXISTS mt_sending (id INTEGER PRIMARY KEY);"
// Subscriptions by number, then category: the subscription search lists them in this order and
// bulk subscribing finds a number's subscriptions by it. Files made before it existed get it too.
#define XUNDA_ORDER_INDEX \
    "CREATE INDEX IF NOT EXISTS mobOrder_corp_mob_type ON mobOrder (corpID, mob, msgType);"
// Categories newest first: the bulk-subscribe page lists them in this order, a million of them in
// a first screen's time. Files made before it existed get it too.
#define XUNDA_TYPE_INDEX "CREATE INDEX IF NOT EXISTS msgType_corp_time ON msgType (corpID, addtime);"

const char* const kSchemaSql = R"sql(
CREATE TABLE mobs (
    corpID   INTEGER,
    mob      TEXT COLLATE NOCASE,
    userName TEXT COLLATE NOCASE,
    nickName TEXT COLLATE NOCASE,
    bir      TEXT,
    usermemo TEXT COLLATE NOCASE
);
CREATE INDEX mobs_corp_mob ON mobs (corpID, mob);

CREATE TABLE msgType (
    corpID  INTEGER,
    msgType TEXT COLLATE NOCASE,
    addtime TEXT DEFAULT )sql" XUNDA_NOW R"sql(
);
)sql" XUNDA_TYPE_INDEX R"sql(

CREATE TABLE mobOrder (
    corpID    INTEGER,
    mob       TEXT COLLATE NOCASE,
    msgType   TEXT COLLATE NOCASE,
    dgStatus  INTEGER DEFAULT 1,
    dgTime    TEXT DEFAULT )sql" XUNDA_NOW R"sql(,
    dgTimeOut TEXT
);
)sql" XUNDA_ORDER_INDEX R"sql(
CREATE INDEX mobOrder_corp_type ON mobOrder (corpID, msgType);

CREATE TABLE histMsg (
    msgID      INTEGER PRIMARY KEY AUTOINCREMENT,
    corpID     INTEGER,
    msgContent TEXT COLLATE NOCASE,
    msgTime    TEXT DEFAULT )sql" XUNDA_NOW R"sql(
);

CREATE TABLE histMsgType (
    corpID  INTEGER,
    msgID   INTEGER,
    msgType TEXT COLLATE NOCASE
);

CREATE TABLE mt (
    id        INTEGER PRIMARY KEY AUTOINCREMENT,
    corpID    INTEGER,
    mob       TEXT COLLATE NOCASE,
    msg       TEXT COLLATE NOCASE,
    subNumber TEXT COLLATE NOCASE,
    linkID    TEXT COLLATE NOCASE,
    mtLevel   TEXT,
    flag      INTEGER,
    mtTime    TEXT DEFAULT )sql" XUNDA_NOW R"sql(,
    mtID      INTEGER
);
CREATE INDEX mt_corp_flag_id ON mt (corpID, flag, id);

CREATE TABLE mt_bak (
    corpID    INTEGER,
    mtID      INTEGER,
    mtTime    TEXT,
    mob       TEXT COLLATE NOCASE,
    msg       TEXT COLLATE NOCASE,
    subNumber TEXT COLLATE NOCASE,
    linkID    TEXT COLLATE NOCASE,
    mtLevel   TEXT,
    flag      INTEGER,
    mstatus   TEXT COLLATE NOCASE
);
CREATE INDEX mt_bak_mtID ON mt_bak (mtID);
CREATE INDEX mt_bak_corp_time ON mt_bak (corpID, mtTime);

CREATE TABLE mo (
    corpID INTEGER,
    moID   INTEGER,
    moTime TEXT,
    mob    TEXT COLLATE NOCASE,
    destID TEXT COLLATE NOCASE,
    msg    TEXT COLLATE NOCASE,
    flag   INTEGER DEFAULT 0
);
CREATE INDEX mo_corp_flag ON mo (corpID, flag);

CREATE TABLE okMsg (
    id     INTEGER PRIMARY KEY AUTOINCREMENT,
    corpID INTEGER,
    msg    TEXT COLLATE NOCASE
);

CREATE TABLE lastSendMobs (
    ID     INTEGER PRIMARY KEY AUTOINCREMENT,
    corpID INTEGER,
    mob    TEXT COLLATE NOCASE
);

CREATE TABLE sysConfig (
    corpID        INTEGER,
    sysConfigName TEXT COLLATE NOCASE,
    sysValue      TEXT COLLATE NOCASE
);
)sql" XUNDA_SENDING_TABLE;

const char* const kLaterTablesSql = XUNDA_SENDING_TABLE XUNDA_ORDER_INDEX XUNDA_TYPE_INDEX;

#undef XUNDA_NOW
#undef XUNDA_SENDING_TABLE
#undef XUNDA_ORDER_INDEX
#undef XUNDA_TYPE_INDEX

const std::array<std::string_view, 11> kTableNames = {"mobs",        "msgType",      "mobOrder", "histMsg",
                                                      "histMsgType", "mt",           "mt_bak",   "mo",
                                                      "okMsg",       "lastSendMobs", "sysConfig"};

}  // namespace xunda::store_detail
