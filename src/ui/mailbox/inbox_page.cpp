#include "ui/mailbox/inbox_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QRadioButton>

#include "ui/shell/page_registry.h"
#include "ui/shell/tree_helpers.h"

namespace xunda {

namespace {
const bool registered = RegisterPage("revBox", [](Shell& shell) -> Page* { return new InboxPage(shell); });

QRadioButton* Radio(const char* caption, const char* name, QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption), parent);
    radio->setObjectName(QString::fromUtf8(name));
    return radio;
}
}  // namespace

InboxPage::InboxPage(Shell& shell)
    : ListPage(shell),
      list_(host()),
      edRevSearch_(SearchBox("edRevSearch", this)),
      revCheckAll_(Radio("全部", "revCheckAll", this)),
      revCheckNo_(Radio("未处理(0)", "revCheckNo", this)),
      revCheckYes_(Radio("已处理(1)", "revCheckYes", this)) {
    revCheckNo_->setChecked(true);
    auto* search = new QHBoxLayout;
    search->addWidget(edRevSearch_);
    for (QRadioButton* radio : {revCheckAll_, revCheckNo_, revCheckYes_}) {
        search->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this, &InboxPage::btnRevSearchClick);
    }
    AddButton(search, "搜索", "btnRevSearch", [this] { btnRevSearchClick(); });
    search->addStretch(1);
    Body()->addLayout(search);
    AddGrid(list_.grid(), "revGroup", "revBoxGrid", "收信箱", [this] { return list_.Caption(); });
    auto* row = new QHBoxLayout;
    AddButton(row, "回复发信人", "btnRevMsg", [this] { list_.btnRevMsgClick(CurrentRow(), Filter()); });
    AddButton(row, "回复全部", "btnRevAll", [this] { list_.btnRevAllClick(Filter()); });
    AddButton(row, "删除", "btnRevDelSingle", [this] { list_.btnRevDelSingleClick(CurrentRow()); });
    AddButton(row, "清空全部", "btnRevDrop", [this] { list_.btnRevDropClick(); });
    AddButton(row, "清空本月前", "btnRevDel",
              [this] { list_.btnRevDelClick([this] { btnRevSearchClick(); }); });
    AddButton(row, "导出数据文件", "btnSaveRev", [this] { list_.btnSaveRevClick(); });
    row->addStretch(1);
    Body()->addLayout(row);
}

MoFilter InboxPage::Filter() const {
    if (revCheckNo_->isChecked()) return MoFilter::Unhandled;
    if (revCheckYes_->isChecked()) return MoFilter::Handled;
    return MoFilter::All;
}

void InboxPage::OpenList() {
    revCheckNo_->setChecked(true);
    edRevSearch_->setCurrentText(QString());
    list_.Open();
}

void InboxPage::btnRevSearchClick() {
    const QString text = SearchText(edRevSearch_);
    AddStrToComBoBox(text, edRevSearch_);
    if (list_.btnRevSearchClick(text.toStdString(), Filter())) AddStrToComBoBox(text, edRevSearch_);
}

}  // namespace xunda
