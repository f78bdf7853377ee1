#include "subscriptions/subscribers.h"

#include <algorithm>
#include <cstdio>

#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

const std::vector<GridColumn> kColumns = {
    {"手机号码", "mob"}, {"姓名", "username"}, {"称呼", "nickName"}, {"生日", "bir"}, {"备注", "usermemo"},
};
const std::vector<GridColumn> kOrderColumns = {
    {"手机号码", "mob"},    {"订阅类别", "msgType"},       {"正常发送", "dgstatus", true},
    {"订阅时间", "dgtime"}, {"订阅到期时间", "dgTimeout"},
};
constexpr const char* kNotFound = "没有找到相关手机用户资料!";
constexpr const char* kSearching = "正在查找手机用户资料,请稍候...";

}  // namespace

SubscriberList::SubscriberList(AccountHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, kColumns) {}

const std::vector<GridColumn>& SubscriberList::OrderColumns() {
    return kOrderColumns;
}

std::string SubscriberList::Caption() const {
    return "手机资料(" + std::to_string(grid_.RowCount()) + ")";
}

std::string SubscriberList::OrdersCaption() const {
    return "订阅类别(" + std::to_string(orders_.RecordCount()) + ")";
}

std::string SubscriberList::Account() {
    return SqlInt(host_.corpID());
}

std::string SubscriberList::OrdersSql(const std::string& mob) {
    return "SELECT rowid AS rowid, * FROM mobOrder WHERE corpID=" + Account() + " AND mob=" + SqlQuote(mob);
}

void SubscriberList::ShowOrders(const std::string& mob) {
    orders_ = host_.db().pAdoQuery(OrdersSql(mob));
}

void SubscriberList::RefreshOrders() {
    if (!orders_.Sql().empty()) host_.db().pAdoQuery("", orders_);
}

void SubscriberList::ShowFirstOrders() {
    if (grid_.RowCount() > 0) ShowOrders(grid_.Field(0, "mob").value_or(""));
}

bool SubscriberList::pUser(const std::string& searchText) {
    const std::string p = SqlQuote("%%" + searchText + "%%");
    grid_.OpenBusy(host_, kSearching,
                   {"mobs",
                    "corpID=" + Account() + " AND (mob LIKE " + p + " OR userName LIKE " + p +
                        " OR nickName LIKE " + p + " OR bir LIKE " + p + " OR usermemo LIKE " + p + ")",
                    ""});
    if (grid_.RowCount() == 0) {
        host_.prompts().Notice(kNotFound);
        return false;
    }
    ShowFirstOrders();
    return true;
}

void SubscriberList::btnUserBirClick(std::chrono::year_month_day today) {
    char monthDay[96];
    std::snprintf(monthDay, sizeof monthDay, "strftime('%%m',bir)='%02u' AND strftime('%%d',bir)='%02u'",
                  static_cast<unsigned>(today.month()), static_cast<unsigned>(today.day()));
    grid_.OpenBusy(host_, kSearching, {"mobs", "corpID=" + Account() + " AND " + monthDay, ""});
    if (grid_.RowCount() == 0) {
        host_.prompts().Notice(kNotFound);
        orders_ = ResultSet{};
        return;
    }
    ShowFirstOrders();
}

std::optional<std::string> SubscriberList::userGridCellClick(std::size_t row, const std::string& shownMob) {
    if (row >= grid_.RowCount()) return std::nullopt;
    const std::string mob = grid_.Field(row, "mob").value_or("");
    if (mob.empty() || mob == shownMob) return std::nullopt;
    ShowOrders(mob);
    return mob;
}

std::optional<std::size_t> SubscriberList::btnUserDelClick(std::optional<std::size_t> row) {
    if (!row || *row >= grid_.RowCount()) return row;
    Database& db = host_.db();
    const std::string mob = grid_.Field(*row, "mob").value_or("");
    const std::string ofMob = " WHERE corpID=" + Account() + " AND mob=" + SqlQuote(mob);
    ResultSet count = db.pAdoQuery("SELECT COUNT(*) AS n FROM mobOrder" + ofMob);
    const bool subscribed = !count.Eof() && count.AsInt("n") > 0;
    if (!host_.prompts().Confirm(mob + (subscribed ? " 有订阅类别,你如果删除,这些订阅关系也将删除!要继续吗?"
                                                   : " 将被删除!要继续吗?")))
        return row;
    // The subscriber goes with every subscription of its number, or nothing goes.
    const std::int64_t rowid = grid_.RowId(*row);
    const ShownFields shown = grid_.Shown(*row);
    if (!db.Transaction(
            [&] { return db.DeleteRow("mobs", rowid, shown) && db.pAdoCom("DELETE FROM mobOrder" + ofMob); }))
        return row;
    grid_.Remove(*row);
    if (grid_.RowCount() == 0) {
        orders_ = ResultSet{};
        return std::nullopt;
    }
    const std::size_t current = std::min(*row, grid_.RowCount() - 1);
    ShowOrders(grid_.Field(current, "mob").value_or(""));
    return current;
}

bool SubscriberList::EditField(std::size_t row, const std::string& field,
                               const std::optional<std::string_view>& text) {
    if (row >= grid_.RowCount()) return false;
    if (field != "mob") return grid_.Update(row, field, text);
    const std::string old = grid_.Field(row, "mob").value_or("");
    if (!text || old.empty() || *text == old) return grid_.Update(row, field, text);
    // The subscriptions go with the number; a category the new number has already keeps its own.
    const std::string c = " WHERE corpID=" + Account() + " AND mob=" + SqlQuote(old);
    Database& db = host_.db();
    const bool moved = db.Transaction([&] {
        return grid_.Update(row, field, text) &&
               db.pAdoCom("DELETE FROM mobOrder" + c +
                          " AND msgType IN (SELECT msgType FROM mobOrder WHERE corpID=" + Account() +
                          " AND mob=" + SqlQuote(*text) + ")") &&
               db.pAdoCom("UPDATE mobOrder SET mob=" + SqlQuote(*text) + c);
    });
    if (!moved) return false;
    if (orders_.Sql() == OrdersSql(old))
        ShowOrders(std::string(*text));
    else
        RefreshOrders();
    return true;
}

}  // namespace xunda
