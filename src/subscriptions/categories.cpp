#include "subscriptions/categories.h"

#include "core/codepage.h"
#include "core/ports.h"
#include "core/text_util.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

std::string Account(AccountHost& host) {
    return SqlInt(host.corpID());
}

// Whether the account has a category of this name (compared without regard to case).
bool Exists(AccountHost& host, const std::string& name) {
    return !host.db()
                .pAdoQuery("SELECT rowid FROM msgType WHERE corpID=" + Account(host) +
                           " AND msgType=" + SqlQuote(name))
                .Empty();
}

}  // namespace

std::string CategoryName(std::string_view typed) {
    return CutToGbkBytes(TrimControls(MakeGbkSafe(typed)), 20);
}

std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) (list += list.empty() ? "" : ",") += SqlQuote(name);
    return list;
}

std::vector<std::string> pMsgType(AccountHost& host, CategoryOrder order) {
    std::vector<std::string> names;
    // Read row by row, not as a result set: a million names take a first screen's time.
    host.db().pAdoQuery(
        "SELECT msgType FROM msgType WHERE corpID=" + Account(host) +
            (order == CategoryOrder::NewestFirst ? " ORDER BY addtime DESC, rowid DESC" : " ORDER BY rowid"),
        [](const std::vector<std::string>&) {},
        [&names](const RowValues& row) { names.emplace_back(row[0].value_or("")); });
    return names;
}

bool btnNewMsgTypeClick(AccountHost& host, std::string_view typed) {
    const std::string name = CategoryName(typed);
    if (name.empty()) {
        host.prompts().Notice("请输入要新增的订阅类别名称!");
        return false;
    }
    if (Exists(host, name)) {
        host.prompts().Notice("该订阅类别已经存在了!");
        return false;
    }
    host.db().pAdoCom("INSERT INTO msgType (corpID,msgType) VALUES (" + Account(host) + "," + SqlQuote(name) +
                      ")");
    return true;
}

bool btnEditMsgTypeClick(AccountHost& host, const std::optional<std::string>& highlighted,
                         std::string_view typed) {
    if (!highlighted) {
        host.prompts().Notice("请选择要修改的订阅类别!");
        return false;
    }
    const std::string name = CategoryName(typed);
    if (name.empty()) {
        host.prompts().Notice("请输入要修改的订阅类别名称!");
        return false;
    }
    if (Exists(host, name)) {
        host.prompts().Notice("订阅类别已经存在了!");
        return false;
    }
    Database& db = host.db();
    const std::string set = " SET msgType=" + SqlQuote(name) + " WHERE corpID=" + Account(host) +
                            " AND msgType=" + SqlQuote(*highlighted);
    // The highlighted category may be gone meanwhile: then nothing is renamed.
    db.Transaction(
        [&] { return db.ChangeRows("UPDATE msgType" + set) && db.pAdoCom("UPDATE mobOrder" + set); });
    return true;
}

bool btnDelMsgTypeClick(AccountHost& host, const std::vector<std::string>& ticked) {
    if (ticked.empty()) {
        host.prompts().Notice("请选择要删除的订阅类别!");
        return false;
    }
    const std::string where =
        " WHERE corpID=" + Account(host) + " AND msgType IN (" + QuotedList(ticked) + ")";
    Database& db = host.db();
    // Every subscribed number counts, whatever the status of its subscription: all of them go.
    ResultSet rs = db.pAdoQuery("SELECT COUNT(DISTINCT mob) AS n FROM mobOrder" + where);
    const std::int64_t count = rs.Eof() ? 0 : rs.AsInt("n");
    Prompts& prompts = host.prompts();
    const bool yes = count >= 1
                         ? prompts.ConfirmSevere(" 你将要删除的订阅类别中有" + std::to_string(count) +
                                                 "个手机号码,你如果删除,这些订阅关系也将删除!你要继续吗?")
                         : prompts.Confirm("选中的订阅类别没有任何手机订阅,将删除!你要继续吗?");
    if (!yes) return false;
    db.Transaction([&] {
        return db.ChangeRows("DELETE FROM msgType" + where) && db.pAdoCom("DELETE FROM mobOrder" + where);
    });
    return true;
}

}  // namespace xunda
