// The outbox list "发信箱": the send engine's queue (table mt) with the rows the service refused,
// which can be sent again or deleted, and queued rows that can be deleted before they are sent.
#pragma once

#include <cstddef>
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
    // "删除待发短信", "删除异常", "重发异常": all rows of a kind, after a question.
    void BitBtn20Click();
    void BitBtn1Click();
    void BitBtn21Click();
    // "删除": the current row, after a question naming its number. Rows out in a request of the send
    // engine (marked in mt_sending) are never deleted, here or by "删除待发短信".
    void BitBtn28Click(std::optional<std::size_t> current);
    // "导出数据文件".
    void BitBtn31Click();

  private:
    void List(const char* where, const char* orderBy, int limit);
    void ChangeAll(const char* question, const std::string& sql);

    MailboxHost& host_;
    RowPager grid_;
};

}  // namespace xunda
