#include "subscriptions/subscription_edit.h"

#include "core/date_text.h"
#include "core/ports.h"
#include "core/text_util.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

// A field of a shown subscription; "" for NULL.
std::string Cell(const ResultSet& rows, std::size_t row, std::string_view field) {
    const auto column = rows.ColumnIndex(field);
    return column ? rows.At(row, *column).value_or("") : "";
}

bool Shown(const SubscriberList& list, std::optional<std::size_t> row) {
    return row && *row < list.orders().RecordCount();
}

// A day as the store keeps dates.
std::string Stored(std::string_view day) {
    return SqlQuote(std::string(day) + " 00:00:00");
}

std::string Account(AccountHost& host) {
    return SqlInt(host.corpID());
}

// Deletes a shown subscription while it still holds what the grid shows.
bool DeleteShown(Database& db, const ResultSet& orders, std::size_t row) {
    ShownFields shown;
    for (const GridColumn& column : SubscriberList::OrderColumns()) {
        const auto at = orders.ColumnIndex(column.field);
        if (at) shown.emplace_back(orders.Columns()[*at], orders.At(row, *at));
    }
    return db.DeleteRow("mobOrder", ParseInt(Cell(orders, row, "rowid")).value(), shown);
}

}  // namespace

void btnUserCancelAllClick(AccountHost& host, SubscriberList& list, std::optional<std::size_t> row) {
    if (!Shown(list, row)) return;
    const ResultSet& orders = list.orders();
    if (!host.prompts().Confirm(Cell(orders, *row, "mob") + "的订阅内容将全部被删除!要继续吗?")) return;
    Database& db = host.db();
    db.Transaction([&] {
        for (std::size_t r = 0; r < orders.RecordCount(); ++r)
            if (!DeleteShown(db, orders, r)) return false;
        return true;
    });
    list.RefreshOrders();
}

void btnUserCancelSingleClick(AccountHost& host, SubscriberList& list, std::optional<std::size_t> row) {
    if (!Shown(list, row)) return;
    const ResultSet& orders = list.orders();
    if (!host.prompts().Confirm(Cell(orders, *row, "mob") + "的订阅类别:" + Cell(orders, *row, "msgType") +
                                " 将被删除!要继续吗?"))
        return;
    DeleteShown(host.db(), orders, *row);
    list.RefreshOrders();
}

std::optional<SubscriptionChange> btnUserEditClick(const SubscriberList& list, std::optional<std::size_t> row,
                                                   std::string_view today) {
    if (!Shown(list, row)) return std::nullopt;
    const ResultSet& orders = list.orders();
    auto day = [&](std::string_view field) {
        const auto parsed = ParseDay(Cell(orders, *row, field));
        return parsed ? DayText(*parsed) : std::string(today);
    };
    return SubscriptionChange{
        .mob = Cell(orders, *row, "mob"),
        .msgType = Cell(orders, *row, "msgType"),
        .closed = CellText(SubscriberList::OrderColumns()[2], Cell(orders, *row, "dgStatus")) != "True",
        .dgTime = day("dgTime"),
        .dgTimeOut = day("dgTimeOut")};
}

bool ChangeSubscription(AccountHost& host, SubscriberList& list, const SubscriptionChange& change) {
    std::string sql = "UPDATE mobOrder SET dgStatus=" + std::string(change.closed ? "0" : "1") +
                      ", dgTime=" + Stored(change.dgTime) + ", dgTimeOut=" + Stored(change.dgTimeOut) +
                      " WHERE corpID=" + Account(host) + " AND mob=" + SqlQuote(change.mob);
    if (!change.allOfMob) sql += " AND msgType=" + SqlQuote(change.msgType);
    const bool stored = host.db().ChangeRows(sql);
    list.RefreshOrders();
    if (stored) host.prompts().Notice("处理成功!");
    return stored;
}

std::optional<std::vector<std::string>> MissingCategories(AccountHost& host, const std::string& mob) {
    std::vector<std::string> names;
    for (ResultSet rs = host.db().pAdoQuery(
             "SELECT msgType FROM msgType WHERE corpID=" + Account(host) +
             " AND msgType NOT IN (SELECT msgType FROM mobOrder WHERE corpID=" + Account(host) +
             " AND mob=" + SqlQuote(mob) + ")");
         !rs.Eof(); rs.Next())
        names.push_back(rs.AsString("msgType"));
    if (names.empty()) {
        host.prompts().Notice("该手机已经订阅了所有的内容!");
        return std::nullopt;
    }
    return names;
}

bool AddSubscriptions(AccountHost& host, SubscriberList& list, const std::string& mob,
                      const std::vector<std::string>& ticked, std::string_view expiry) {
    Database& db = host.db();
    const bool stored = db.Transaction([&] {
        for (const std::string& category : ticked) {
            if (!db.pAdoCom("INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) VALUES (" + Account(host) +
                            "," + SqlQuote(mob) + "," + SqlQuote(category) + "," + Stored(expiry) + ")"))
                return false;
        }
        return true;
    });
    list.RefreshOrders();
    if (stored) host.prompts().Notice("手机号码的订阅关系处理完成!");
    return stored;
}

}  // namespace xunda
