#include "mailbox/history_list.h"

#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

const std::vector<GridColumn> kColumns = {
    {"手机号码", "mob"}, {"状态报告", "mstatus"}, {"消息时间", "mtTime"},
    {"消息内容", "msg"}, {"消息编号", "mtID"},    {"长号码", "subNumber"},
    {"通道", "linkID"},  {"优先级", "mtlevel"},   {"处理标识", "flag"},
};
constexpr const char* kClearing = "正在删除历史短信,请稍候...";

}  // namespace

HistoryList::HistoryList(MailboxHost& host)
    : host_(host), grid_([&host]() -> Database& { return host.db(); }, kColumns) {}

std::string HistoryList::Caption() {
    return CountCaption(host_, "历史短信", "mt_bak");
}

void HistoryList::Open() {
    grid_.Open({"mt_bak", AccountIs(host_), "mtTime DESC"});
}

bool HistoryList::btnhistSearchClick(const std::string& text) {
    ListQuery query{"mt_bak", AccountIs(host_), "mtTime"};
    if (!text.empty()) {
        const std::string p = SqlQuote("%%" + text + "%%");
        query.where += " AND (mob LIKE " + p + " OR mtTime LIKE " + p + " OR msg LIKE " + p +
                       " OR mstatus LIKE " + p + ")";
        query.orderBy = "mtTime DESC";
    }
    return ShowFound(host_, grid_, "正在查找历史短信,请稍候...", std::move(query));
}

void HistoryList::btnHistDropClick() {
    ClearWithExport(host_, grid_, "将保存并删除全部的历史短信记录!要继续吗?",
                    "将删除全部的历史短信记录!请再次确认要继续吗?", kClearing, "mt_bak", AccountIs(host_),
                    [this] { grid_.Refresh(); });
}

void HistoryList::btnHistDelClick(const std::function<void()>& search) {
    ClearWithExport(host_, grid_, "将保存并删除一个月前所有的的历史短信记录!要继续吗?",
                    "将删除一个月前所有的的历史短信记录!请再次确认要继续吗?", kClearing, "mt_bak",
                    AccountIs(host_) + " AND mtTime <" + FirstOfMonth(host_), search);
}

void HistoryList::btnHistExportClick() {
    host_.SaveGrid(grid_);
}

}  // namespace xunda
