#include "ui/mailbox/outbox_page.h"

#include <QHBoxLayout>

#include "ui/shell/page_registry.h"

namespace xunda {

namespace {
const bool registered =
    RegisterPage("sendBoxPage", [](Shell& shell) -> Page* { return new OutboxPage(shell); });
}  // namespace

OutboxPage::OutboxPage(Shell& shell) : ListPage(shell), list_(host()) {
    AddGrid(list_.grid(), "sendBoxGroup", "sendBoxGrid", "发信箱", [this] { return list_.Caption(); });
    auto* row = new QHBoxLayout;
    AddButton(row, "刷新", "btnRefSendbox", [this] { list_.btnRefSendboxClick(); });
    AddButton(row, "删除", "BitBtn28", [this] { list_.BitBtn28Click(CurrentRow()); });
    AddButton(row, "删除待发短信", "BitBtn20", [this] { list_.BitBtn20Click(); });
    AddButton(row, "查看异常", "BitBtn19", [this] { list_.BitBtn19Click(); });
    AddButton(row, "删除异常", "BitBtn1", [this] { list_.BitBtn1Click(); });
    AddButton(row, "重发异常", "BitBtn21", [this] { list_.BitBtn21Click(); });
    AddButton(row, "导出数据文件", "BitBtn31", [this] { list_.BitBtn31Click(); });
    row->addStretch(1);
    Body()->addLayout(row);
}

void OutboxPage::ListAfterRun() {
    if (!host().corpID().empty()) list_.ListAfterRun();
}

void OutboxPage::OpenList() {
    list_.Open();
}

}  // namespace xunda
