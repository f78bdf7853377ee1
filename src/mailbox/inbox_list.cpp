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

// A moID as SQL, or "" when there is none or it is not a number.
std::string MoIdSql(std::optional<std::string_view> id) {
    return id && IsSqlInt(*id) ? SqlInt(*id) : std::string();
}

// Marks the messages with these moIDs ("1,2,3") of the account `account` (AccountIs) handled;
// false for none.
bool MarkHandled(Database& db, const std::string& account, const std::string& ids) {
    if (ids.empty()) return false;
    db.pAdoCom("UPDATE mo SET flag=1 WHERE " + account + " AND moID IN (" + ids + ")");
    return true;
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

void InboxList::btnRevMsgClick(std::optional<std::size_t> current, MoFilter filter) {
    if (!current || *current >= grid_.RowCount()) return;
    const std::string mob = grid_.Field(*current, "mob").value_or("");
    const std::optional<std::string> id = grid_.Field(*current, "moID");
    if (MarkHandled(host_.db(), AccountIs(host_), MoIdSql(id)) && filter == MoFilter::Unhandled)
        grid_.Refresh();
    host_.ReplyTo({mob});
}

void InboxList::btnRevAllClick(MoFilter filter) {
    if (grid_.RowCount() == 0) return;
    std::vector<std::string> mobs;
    bool marked = false;
    // The listed messages are read and marked on a worker, in list order: a million of them take
    // seconds.
    host_.RunBusy("正在处理中,请稍候...",
                  [&, &db = host_.db(), account = AccountIs(host_), listed = grid_.Listed()] {
                      std::string ids;
                      db.pAdoQuery(
                          listed.Select("mob, moID"), [](const std::vector<std::string>&) {},
                          [&](const RowValues& row) {
                              mobs.emplace_back(row[0].value_or(""));
                              const std::string id = MoIdSql(row[1]);
                              if (!id.empty()) (ids += ',') += id;
                          });
                      if (!ids.empty()) ids.erase(0, 1);
                      marked = MarkHandled(db, account, ids);
                  });
    if (marked && filter == MoFilter::Unhandled) grid_.Refresh();
    host_.ReplyTo(mobs);
}

void InboxList::btnSaveRevClick() {
    host_.SaveGrid(grid_);
}

}  // namespace xunda
