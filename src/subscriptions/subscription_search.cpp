#include "subscriptions/subscription_search.h"

#include "core/date_text.h"
#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"
#include "subscriptions/broadcast.h"
#include "subscriptions/subscribers.h"

namespace xunda {

namespace {

// " AND (<field>>='<from>' AND <field><'<the day after to>')".
std::string Within(const char* field, const DayRange& range) {
    return std::string(" AND (") + field + ">=" + SqlQuote(range.from) + " AND " + field + "<" +
           SqlQuote(NextDay(range.to)) + ")";
}

}  // namespace

SubscriptionSearch::SubscriptionSearch(AccountHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, SubscriberList::OrderColumns()) {}

std::string SubscriptionSearch::Caption() const {
    return "查询结果(" + std::to_string(grid_.RowCount()) + ")";
}

bool SubscriptionSearch::btnMobOrderSearchClick(const SubscriptionFilters& filters) {
    std::string where = "corpID=" + SqlInt(host_.corpID());
    if (filters.mob) where += " AND mob LIKE " + SqlQuote("%%" + *filters.mob + "%%");
    if (filters.normal) where += std::string(" AND dgStatus=") + (*filters.normal ? "1" : "0");
    if (filters.msgType) where += " AND msgType=" + SqlQuote(*filters.msgType);
    if (filters.dgTime) where += Within("dgTime", *filters.dgTime);
    if (filters.dgTimeOut) where += Within("dgTimeOut", *filters.dgTimeOut);
    grid_.OpenBusy(host_, "正在查找订阅关系,请稍候...", {"mobOrder", where, "mob, msgType"});
    return grid_.RowCount() > 0;
}

void SubscriptionSearch::btnMobDelClick(std::optional<std::size_t> row) {
    if (!row || *row >= grid_.RowCount()) return;
    if (!host_.prompts().Confirm(" 将删除一条订阅关系!要继续吗?")) return;
    grid_.Delete(*row);
}

std::vector<std::string> SubscriptionSearch::btnMobSendAllClick() {
    return ListedMobs(host_.db(), grid_);
}

}  // namespace xunda
