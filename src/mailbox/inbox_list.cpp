#include "mailbox/inbox_list.h"

#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

const std::vector<GridColumn> kColumns = {
    {"消息时间", "moTime"}, {"手机号码", "mob"}, {"接收号码", "destID"},
    {"处理标识", "flag"},   {"消息内容", "msg"},
};
constexpr const char* kOrder = "moTime DESC, flag, mob";
constexpr const char* kClearing = "正在删除收信箱短信,请稍候...";

// The message's moID as SQL, or "" when it has none or it is not a number.
std::string MoIdOf(RowPager& grid, std::size_t row) {
    const std::string id = grid.Field(row, "moID").value_or("");
    return IsSqlInt(id) ? SqlInt(id) : std::string();
}

}  // namespace

InboxList::InboxList(MailboxHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, kColumns) {}

std::string InboxList::Caption() {
    return CountCaption(host_, "收信箱", "mo");
}

void InboxList::Open() {
    grid_.Open({"mo", AccountIs(host_) + " AND flag=0", kOrder});
}

bool InboxList::btnRevSearchClick(const std::string& text, MoFilter filter) {
    const std::string p = SqlQuote("%%" + text + "%%");
    std::string where = AccountIs(host_) + " AND (mob LIKE " + p + " OR moTime LIKE " + p +
                        " OR destID LIKE " + p + " OR msg LIKE " + p + ")";
    if (filter == MoFilter::Unhandled) where += " AND (flag=0)";
    if (filter == MoFilter::Handled) where += " AND (flag=1)";
    return ShowFound(host_, grid_, "正在查找收信箱短信,请稍候...", {"mo", where, kOrder});
}

void InboxList::btnRevDropClick() {
    ClearWithExport(host_, grid_, "将保存并删除全部的收信箱短信记录!要继续吗?",
                    "将删除全部的收信箱短信记录!请再次确认要继续吗?", kClearing, "mo", AccountIs(host_),
                    [this] { grid_.Refresh(); });
}

void InboxList::btnRevDelClick(const std::function<void()>& search) {
    ClearWithExport(host_, grid_, "将保存并删除一个月前所有的的收信箱短信记录!要继续吗?",
                    "将删除一个月前所有的的收信箱短信记录!请再次确认要继续吗?", kClearing, "mo",
                    AccountIs(host_) + " AND moTime <" + FirstOfMonth(host_), search);
}

void InboxList::btnRevDelSingleClick(std::optional<std::size_t> current) {
    if (!current || *current >= grid_.RowCount()) return;
    if (!host_.prompts().Confirm(" 将删除一条收信箱短信记录!要继续吗?")) return;
    grid_.Delete(*current);
}

void InboxList::MarkHandled(const std::string& ids, MoFilter filter) {
    if (ids.empty()) return;
    host_.db().pAdoCom("UPDATE mo SET flag=1 WHERE " + AccountIs(host_) + " AND moID IN (" + ids + ")");
    if (filter == MoFilter::Unhandled) grid_.Refresh();
}

void InboxList::btnRevMsgClick(std::optional<std::size_t> current, MoFilter filter) {
    if (!current || *current >= grid_.RowCount()) return;
    const std::string mob = grid_.Field(*current, "mob").value_or("");
    MarkHandled(MoIdOf(grid_, *current), filter);
    host_.ReplyTo({mob});
}

void InboxList::btnRevAllClick(MoFilter filter) {
    if (grid_.RowCount() == 0) return;
    host_.ShowBusy("正在处理中,请稍候...");
    grid_.ReadRest();
    std::vector<std::string> mobs;
    std::string ids;
    for (std::size_t row = 0; row < grid_.RowCount(); ++row) {
        mobs.push_back(grid_.Field(row, "mob").value_or(""));
        const std::string id = MoIdOf(grid_, row);
        if (!id.empty()) (ids += ',') += id;
    }
    if (!ids.empty()) ids.erase(0, 1);
    MarkHandled(ids, filter);
    host_.CloseBusy();
    host_.ReplyTo(mobs);
}

void InboxList::btnSaveRevClick() {
    host_.SaveGrid(grid_);
}

}  // namespace xunda
