// The inbox list "收信箱" (table mo): search with a flag filter, clearing with an export first,
// deleting single messages and replying, which marks the messages handled ("已处理", flag 1)
// and puts their senders' numbers on the send page.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "mailbox/mailbox_host.h"
#include "store/row_pager.h"

namespace xunda {

// The inbox's radio buttons: "全部", "未处理(0)", "已处理(1)".
enum class MoFilter { All, Unhandled, Handled };

class InboxList {
  public:
    explicit InboxList(MailboxHost& host);

    RowPager& grid() { return grid_; }
    // "收信箱(<the account's rows>)".
    std::string Caption();

    // The listing of the tree menu: the unhandled messages, newest first.
    void Open();
    // "搜索" (and the radio buttons) for the trimmed text under a filter. False (after
    // "没有找到相关数据!") when nothing was found.
    bool btnRevSearchClick(const std::string& text, MoFilter filter);
    // "清空全部" and "清空本月前"; the latter ends with the page's search (`search`).
    void btnRevDropClick();
    void btnRevDelClick(const std::function<void()>& search);
    // "删除": the current message, after a question.
    void btnRevDelSingleClick(std::optional<std::size_t> current);
    // "回复发信人": the current message; "回复全部": every listed one.
    void btnRevMsgClick(std::optional<std::size_t> current, MoFilter filter);
    void btnRevAllClick(MoFilter filter);
    // "导出数据文件".
    void btnSaveRevClick();

  private:
    MailboxHost& host_;
    RowPager grid_;
};

}  // namespace xunda
