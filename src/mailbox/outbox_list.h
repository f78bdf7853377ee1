// The outbox list "发信箱": the send engine's queue (table mt) with the rows the service refused,
// which can be sent again or deleted, and queued rows that can be deleted before they are sent.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "mailbox/mailbox_host.h"
#include "store/row_pager.h"

namespace xunda {

class OutboxList {
  public:
    explicit OutboxList(MailboxHost& host);

    RowPager& grid() { return grid_; }
    // "发信箱(<the account's rows>)".
    std::string Caption();

    // The listing of the tree menu: every row of the account by id.
    void Open();
    // The listing after a run of the send engine: the first 50 rows by id.
    void ListAfterRun();
    // "刷新": the first 300 rows by time and flag.
    void btnRefSendboxClick();
    // "查看异常": the failed rows.
    void BitBtn19Click();
    // "删除待发短信", "删除异常", "重发异常": all rows of a kind, after a question, behind the busy
    // window.
    void BitBtn20Click();
    void BitBtn1Click();
    void BitBtn21Click();
    // "删除": the current row, after a question naming its number. Rows out in a request of the send
    // engine (marked in mt_sending) are never deleted, here or by "删除待发短信"; a box says how many
    // were kept.
    void BitBtn28Click(std::optional<std::size_t> current);
    // "导出数据文件".
    void BitBtn31Click();

  private:
    void List(const char* where, const char* orderBy, int limit);
    // Asks `question`; on Yes runs `change` behind the busy window, lists the rows again and says
    // "处理完成!" followed by what `change` returned.
    void ChangeAll(const char* question, const std::function<std::string()>& change);
    // Deletes the rows `where` selects but those out in a request, in one transaction; returns how
    // many were kept for that (none when the delete failed).
    int DeleteNotInFlight(const std::string& where);

    MailboxHost& host_;
    RowPager grid_;
};

}  // namespace xunda
