#include "mailbox/outbox_list.h"

#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

const std::vector<GridColumn> kColumns = {
    {"手机号码", "mob"},     {"处理标识", "flag"},    {"消息时间", "mtTime"},
    {"通道", "linkID"},      {"长号码", "subNumber"}, {"优先级", "mtlevel"},
    {"状态报告", "mstatus"}, {"消息编号", "mtID"},    {"消息内容", "msg"},
};
constexpr const char* kDeleteQuestion = "发信箱中的短信删除后将不会被发送!你要继续吗?";
constexpr const char* kFailed = " AND flag NOT IN (0,1)";
constexpr const char* kBusy = "正在处理中,请稍候...";
// Rows the send engine has out in a request stay: their results are still to be recorded.
constexpr const char* kInFlight = " AND id IN (SELECT id FROM mt_sending)";
constexpr const char* kNotInFlight = " AND id NOT IN (SELECT id FROM mt_sending)";

// What the user is told of rows a delete kept because they are out in a request.
std::string KeptInFlight(int kept) {
    return std::to_string(kept) + "条短信正在发送中(等待服务的发送结果),没有删除!";
}

}  // namespace

OutboxList::OutboxList(MailboxHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, kColumns) {}

std::string OutboxList::Caption() {
    return CountCaption(host_, "发信箱", "mt");
}

void OutboxList::List(const char* where, const char* orderBy, int limit) {
    grid_.Open({"mt", AccountIs(host_) + where, orderBy, limit});
}

void OutboxList::Open() {
    List("", "id", 0);
}

void OutboxList::ListAfterRun() {
    List("", "id", 50);
}

void OutboxList::btnRefSendboxClick() {
    List("", "mtTime, flag", 300);
}

void OutboxList::BitBtn19Click() {
    List(kFailed, "flag, mtTime", 0);
}

void OutboxList::ChangeAll(const char* question, const std::function<std::string()>& change) {
    if (!host_.prompts().Confirm(question)) return;
    std::string more;
    const bool done = host_.RunBusy(kBusy, [&] { more = change(); });
    btnRefSendboxClick();
    if (done) host_.prompts().Notice("处理完成!" + more);
}

int OutboxList::DeleteNotInFlight(const std::string& where) {
    Database& db = host_.db();
    int kept = 0;
    const bool done = db.Transaction([&] {
        ResultSet rs = db.pAdoQuery("SELECT COUNT(*) AS n FROM mt WHERE " + where + kInFlight);
        kept = rs.Eof() ? 0 : rs.AsInt("n");
        return rs.Ok() && db.pAdoCom("DELETE FROM mt WHERE " + where + kNotInFlight);
    });
    return done ? kept : 0;
}

void OutboxList::BitBtn20Click() {
    ChangeAll(kDeleteQuestion, [this] {
        const int kept = DeleteNotInFlight(AccountIs(host_) + " AND flag=0");
        return kept > 0 ? "\n" + KeptInFlight(kept) : std::string();
    });
}

void OutboxList::BitBtn1Click() {
    ChangeAll(kDeleteQuestion, [this] {
        host_.db().pAdoCom("DELETE FROM mt WHERE " + AccountIs(host_) + kFailed);
        return std::string();
    });
}

void OutboxList::BitBtn21Click() {
    ChangeAll("发信箱中的所有发送失败的短信都将重新发送!你要继续吗?", [this] {
        host_.db().pAdoCom("UPDATE mt SET flag=0 WHERE " + AccountIs(host_) + kFailed);
        return std::string();
    });
}

void OutboxList::BitBtn28Click(std::optional<std::size_t> current) {
    if (!current || *current >= grid_.RowCount()) return;
    const std::string mob = grid_.Field(*current, "mob").value_or("");
    if (!host_.prompts().Confirm(mob + " 的发信箱中的短信删除后将不会被发送!你要继续吗?")) return;
    const int kept = DeleteNotInFlight("rowid=" + SqlInt(grid_.RowId(*current)));
    btnRefSendboxClick();
    if (kept > 0) host_.prompts().Notice(KeptInFlight(kept));
}

void OutboxList::BitBtn31Click() {
    host_.SaveGrid(grid_);
}

}  // namespace xunda
