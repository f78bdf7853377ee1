#include "subscriptions/broadcast.h"

#include "core/ports.h"
#include "core/text_util.h"
#include "store/database.h"
#include "store/sql_text.h"
#include "subscriptions/categories.h"

namespace xunda {

namespace {

const std::vector<GridColumn> kColumns = {{"信息创建时间", "msgTime"}, {"信息具体内容", "msgContent"}};
constexpr const char* kNewestFirst = "msgTime DESC, msgID DESC";

}  // namespace

std::vector<std::string> ReadMobs(Database& db, std::string_view sql) {
    std::vector<std::string> mobs;
    db.pAdoQuery(
        sql, [](const std::vector<std::string>&) {},
        [&mobs](const RowValues& row) {
            if (row[0]) mobs.emplace_back(*row[0]);
        });
    return mobs;
}

std::vector<std::string> ListedMobs(Database& db, const RowPager& grid) {
    if (grid.RowCount() == 0) return {};
    ListQuery numbers = grid.Query();
    numbers.orderBy = "mob";
    // Read in order and kept once here (the column compares without regard to case, so equal
    // numbers come together): a million rows read so take a third of the time DISTINCT takes.
    std::vector<std::string> mobs;
    db.pAdoQuery(
        numbers.Select("mob"), [](const std::vector<std::string>&) {},
        [&mobs](const RowValues& row) {
            if (!row[0]) return;
            const std::string_view mob = *row[0];
            if (mobs.empty() || !EqualsNoCase(mobs.back(), mob)) mobs.emplace_back(mob);
        });
    return mobs;
}

std::optional<std::vector<std::string>> btnSendDgClick(AccountHost& host,
                                                       const std::vector<std::string>& ticked,
                                                       std::string_view today) {
    Prompts& prompts = host.prompts();
    if (ticked.empty()) {
        prompts.Notice("请勾选要发送的订阅类别!");
        return std::nullopt;
    }
    // "+mob": the ticked categories' subscriptions are found by their index and sorted, far faster
    // than walking every subscription of the account in number order.
    const std::vector<std::string> mobs =
        ReadMobs(host.db(), "SELECT DISTINCT mob FROM mobOrder WHERE corpID=" + SqlInt(host.corpID()) +
                                " AND dgTimeOut>=" + SqlQuote(today) + " AND dgStatus=1 AND msgType IN (" +
                                QuotedList(ticked) + ") ORDER BY +mob");
    if (mobs.empty()) {
        prompts.Notice("你选择的订阅类别没有相关的手机号码订阅!");
        return std::nullopt;
    }
    if (!prompts.Confirm("你选中的订阅类别中有 " + std::to_string(mobs.size()) + " 个手机号码!你要继续吗?"))
        return std::nullopt;
    return mobs;
}

BroadcastHistory::BroadcastHistory(AccountHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, kColumns) {}

std::string BroadcastHistory::Account() {
    return "corpID=" + SqlInt(host_.corpID());
}

std::string BroadcastHistory::Caption() {
    ResultSet rs = host_.db().pAdoQuery("SELECT COUNT(*) AS n FROM histMsg WHERE " + Account());
    return "历史订阅短信(" + std::to_string(rs.Eof() ? 0 : rs.AsInt("n")) + ")";
}

void BroadcastHistory::Open() {
    if (grid_.RowCount() == 0) grid_.Open({"histMsg", Account(), kNewestFirst});
}

bool BroadcastHistory::btnSearchHistClick(const std::string& key) {
    const std::string p = SqlQuote("%%" + key + "%%");
    grid_.Open(
        {"histMsg", Account() + " AND (msgTime LIKE " + p + " OR msgContent LIKE " + p + ")", kNewestFirst});
    return grid_.RowCount() > 0;
}

std::string BroadcastHistory::histMsgGridCellClick(std::optional<std::size_t> row) {
    if (!row || *row >= grid_.RowCount()) return "";
    std::string text;
    for (ResultSet rs = host_.db().pAdoQuery("SELECT msgType FROM histMsgType WHERE " + Account() +
                                             " AND msgID=" + SqlInt(grid_.RowId(*row)));
         !rs.Eof(); rs.Next())
        text += "[" + rs.AsString("msgType") + "] ";
    return text;
}

void BroadcastHistory::btnDelHistMsgClick(std::optional<std::size_t> row) {
    if (!row || *row >= grid_.RowCount()) return;
    if (!host_.prompts().Confirm("将删除一条历史订阅内容!你要继续吗?")) return;
    // msgID is never given out again: the broadcast's categories stay with it in histMsgType.
    if (host_.db().DeleteRow("histMsg", grid_.RowId(*row))) grid_.Remove(*row);
}

void BroadcastHistory::BitBtn9Click(const std::function<void(const RowPager&)>& save) {
    Prompts& prompts = host_.prompts();
    if (!prompts.Confirm("将保存并删除全部的历史订阅信息记录!要继续吗?")) return;
    Database& db = host_.db();
    // Only the broadcasts listed now: one recorded meanwhile is neither exported nor deleted.
    ResultSet last = db.pAdoQuery("SELECT MAX(msgID) AS last FROM histMsg");
    const std::string listed = Account() + " AND msgID<=" + SqlInt(last.Eof() ? 0 : last.AsInt("last"));
    grid_.Open({"histMsg", listed, ""});
    if (grid_.RowCount() == 0) {
        prompts.Notice("没有相应记录!");
        return;
    }
    save(grid_);
    if (!prompts.Confirm("将删除全部的历史订阅信息记录!请再次确认继续!")) return;
    db.pAdoCom("DELETE FROM histMsg WHERE " + listed);
    grid_.Refresh();
}

}  // namespace xunda
