#include "ui/mailbox/history_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/shell/page_registry.h"
#include "ui/shell/tree_helpers.h"

namespace xunda {

namespace {
const bool registered =
    RegisterPage("histSendPage", [](Shell& shell) -> Page* { return new HistoryPage(shell); });
}  // namespace

HistoryPage::HistoryPage(Shell& shell)
    : ListPage(shell), list_(host()), histSearch_(SearchBox("histSearch", this)) {
    auto* row = new QHBoxLayout;
    row->addWidget(histSearch_);
    AddButton(row, "搜索", "btnhistSearch", [this] { btnhistSearchClick(); });
    AddButton(row, "清空全部", "btnHistDrop", [this] { list_.btnHistDropClick(); });
    AddButton(row, "清空本月前", "btnHistDel",
              [this] { list_.btnHistDelClick([this] { btnhistSearchClick(); }); });
    AddButton(row, "导出数据文件", "btnHistExport", [this] { list_.btnHistExportClick(); });
    row->addStretch(1);
    Body()->addLayout(row);
    AddGrid(list_.grid(), "histSendGroup", "histSendGrid", "历史短信", [this] { return list_.Caption(); });
    auto* label10 = new QLabel(
        QStringLiteral("状态报告说明:0-成功; 1-号码不存在; 2-停机; 3-内容非法; 4-拒绝接收; 255-失败"), this);
    label10->setObjectName(QStringLiteral("Label10"));
    Body()->addWidget(label10);
}

void HistoryPage::OpenList() {
    list_.Open();
}

void HistoryPage::btnhistSearchClick() {
    const QString text = SearchText(histSearch_);
    histSearch_->addItem(text);
    if (list_.btnhistSearchClick(text.toStdString())) AddStrToComBoBox(text, histSearch_);
}

}  // namespace xunda
