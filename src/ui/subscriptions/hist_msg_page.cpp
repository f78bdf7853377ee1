#include "ui/subscriptions/hist_msg_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>

#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/tree_helpers.h"
#include "ui/subscriptions/subscription_widgets.h"

namespace xunda {

namespace {
const bool registered = RegisterPage("histMsg", [](Shell& shell) -> Page* { return new HistMsgPage(shell); });
}  // namespace

HistMsgPage::HistMsgPage(Shell& shell)
    : ListPage(shell),
      history_(host()),
      edSearchHistMsg_(SearchBox("edSearchHistMsg", this)),
      inMsgType_(Named(new QLabel(QStringLiteral("----"), this), "inMsgType")) {
    edSearchHistMsg_->setToolTip(QStringLiteral("如果为空则只显示全部记录"));
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Named(new QLabel(QStringLiteral("关键字:"), this), "Label1"));
    searchRow->addWidget(edSearchHistMsg_);
    AddButton(searchRow, "搜索", "btnSearchHist", [this] { btnSearchHistClick(); });
    searchRow->addStretch(1);
    Body()->addLayout(searchRow);
    AddGrid(history_.grid(), "histMsgGroup", "histMsgGrid", "历史订阅类别短信(0)",
            [this] { return history_.Caption(); });
    connect(Grid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { histMsgGridCellClick(); });

    auto* categories =
        Named(new QGroupBox(QStringLiteral("已发送包括下列订阅类别的手机"), this), "GroupBox8");
    inMsgType_->setToolTip(inMsgType_->text());
    inMsgType_->setWordWrap(true);
    (new QHBoxLayout(categories))->addWidget(inMsgType_);
    Body()->addWidget(categories);
    auto* buttons = new QHBoxLayout;
    AddButton(buttons, "导出数据文件", "BitBtn30", [&shell, this] { shell.pSaveDbGrid(history_.grid()); });
    AddButton(buttons, "删除", "btnDelHistMsg", [this] {
        history_.btnDelHistMsgClick(CurrentRow());
        histMsgGridCellClick();
    });
    AddButton(buttons, "删除全部", "BitBtn9", [&shell, this] {
        history_.BitBtn9Click([&shell](const RowPager& grid) { shell.pSaveDbGrid(grid); });
        histMsgGridCellClick();
    });
    buttons->addStretch(1);
    Body()->addLayout(buttons);
}

void HistMsgPage::OpenList() {
    history_.Open();
    histMsgGridCellClick();
}

void HistMsgPage::btnSearchHistClick() {
    const QString key = SearchText(edSearchHistMsg_);
    if (history_.btnSearchHistClick(key.toStdString())) AddStrToComBoBox(key, edSearchHistMsg_);
    histMsgGridCellClick();
}

void HistMsgPage::histMsgGridCellClick() {
    const QString text = QString::fromStdString(history_.histMsgGridCellClick(CurrentRow()));
    inMsgType_->setText(text);
    inMsgType_->setToolTip(text);
}

}  // namespace xunda
