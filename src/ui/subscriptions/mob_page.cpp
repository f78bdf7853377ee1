#include "ui/subscriptions/mob_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTableView>

#include "subscriptions/categories.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"
#include "ui/subscriptions/subscriber_page.h"
#include "ui/subscriptions/subscription_widgets.h"

namespace xunda {

namespace {

const bool registered = RegisterPage("mob", [](Shell& shell) -> Page* { return new MobPage(shell); });

QComboBox* DropDown(const char* name, QWidget* parent) {
    auto* box = Named(new QComboBox(parent), name);
    box->setMinimumWidth(160);
    return box;
}

}  // namespace

MobPage::MobPage(Shell& shell)
    : ListPage(shell),
      shell_(shell),
      search_(host()),
      edSearchMob_(SearchBox("edSearchMob", this)),
      edSearchStatus_(DropDown("edSearchStatus", this)),
      edSearchMsgType_(DropDown("edSearchMsgType", this)),
      edSearchDgtimeF_(Picker("edSearchDgtimeF", this)),
      edSearchDgtimeE_(Picker("edSearchDgtimeE", this)),
      edSearchDgtimeOutF_(Picker("edSearchDgtimeOutF", this)),
      edSearchDgtimeOutE_(Picker("edSearchDgtimeOutE", this)) {
    edSearchMob_->setEditText(QStringLiteral("13"));
    edSearchStatus_->addItems({QStringLiteral("正常发送(True)"), QStringLiteral("关闭发送(False)")});
    edSearchStatus_->setCurrentIndex(0);
    // The category box holds its names as one list that is set whole, and is as wide as a long
    // name, not as its longest one: measuring every one of a million names would stop the window
    // for seconds, and so would its list without one height for all.
    edSearchMsgType_->setModel(new QStringListModel(edSearchMsgType_));
    edSearchMsgType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    edSearchMsgType_->setMinimumContentsLength(12);
    if (auto* list = qobject_cast<QListView*>(edSearchMsgType_->view())) list->setUniformItemSizes(true);

    auto* filters = Named(new QGroupBox(QStringLiteral("查询条件"), this), "gbUserSeach");
    auto* filterRows = new QVBoxLayout(filters);
    auto row = [&](const char* caption, const char* name, std::initializer_list<QWidget*> values) {
        auto* line = new QHBoxLayout;
        auto* box = Named(new QCheckBox(QString::fromUtf8(caption), filters), name);
        line->addWidget(box);
        for (QWidget* value : values) line->addWidget(value);
        line->addStretch(1);
        filterRows->addLayout(line);
        return box;
    };
    auto until = [this] { return new QLabel(QStringLiteral("至"), this); };
    cSearchMob_ = row("手机号码:", "cSearchMob", {edSearchMob_});
    cSearchStatus_ = row("发送状态:", "cSearchStatus", {edSearchStatus_});
    cSearchMsgType_ = row("订阅类别:", "cSearchMsgType", {edSearchMsgType_});
    cSearchDgtime_ = row("订阅时间: 从", "cSearchDgtime", {edSearchDgtimeF_, until(), edSearchDgtimeE_});
    cSearchDgtimeOut_ =
        row("到期时间: 从", "cSearchDgtimeOut", {edSearchDgtimeOutF_, until(), edSearchDgtimeOutE_});
    auto* searchRow = new QHBoxLayout;
    AddButton(searchRow, "组合条件搜索", "btnMobOrderSearch", [this] { btnMobOrderSearchClick(); });
    searchRow->addStretch(1);
    filterRows->addLayout(searchRow);
    Body()->addWidget(filters);

    // edSearchMobChange and its four siblings: a changed value ticks its filter.
    auto ticks = [](QCheckBox* box) { return [box] { box->setChecked(true); }; };
    connect(edSearchMob_, &QComboBox::editTextChanged, this, ticks(cSearchMob_));
    connect(edSearchStatus_, &QComboBox::currentIndexChanged, this, ticks(cSearchStatus_));
    connect(edSearchMsgType_, &QComboBox::currentIndexChanged, this, ticks(cSearchMsgType_));
    for (QDateEdit* picker : {edSearchDgtimeF_, edSearchDgtimeE_})
        connect(picker, &QDateEdit::dateChanged, this, ticks(cSearchDgtime_));
    for (QDateEdit* picker : {edSearchDgtimeOutF_, edSearchDgtimeOutE_})
        connect(picker, &QDateEdit::dateChanged, this, ticks(cSearchDgtimeOut_));

    AddGrid(search_.grid(), "mobSearchGroup", "mobGrid", "查询结果(0)", [this] { return search_.Caption(); });
    auto* buttons = new QHBoxLayout;
    AddButton(buttons, "群发短信", "btnMobSendAll", [this] { btnMobSendAllClick(); });
    AddButton(buttons, "发短信", "btnMobSendSingle", [this] { btnMobSendSingleClick(); });
    AddButton(buttons, "查资料", "btnMobSearch", [this] { btnMobSearchClick(); });
    AddButton(buttons, "删除", "btnMobDel", [this] { search_.btnMobDelClick(CurrentRow()); });
    AddButton(buttons, "导出数据文件", "btnExportMobOrder", [this] { shell_.pSaveDbGrid(search_.grid()); });
    buttons->addStretch(1);
    Body()->addLayout(buttons);
}

void MobPage::OpenList() {
    const QDate today = QDate::currentDate();
    for (auto [picker, day] : {std::pair{edSearchDgtimeF_, today.addMonths(-1)},
                               {edSearchDgtimeE_, today},
                               {edSearchDgtimeOutF_, today.addMonths(-1)},
                               {edSearchDgtimeOutE_, today.addMonths(1)}}) {
        const QSignalBlocker quiet(picker);
        picker->setDate(day);
    }
    const std::vector<std::string> names = pMsgType(host(), CategoryOrder::AsStored);
    if (names.empty()) return;
    const QSignalBlocker quiet(edSearchMsgType_);
    static_cast<QStringListModel*>(edSearchMsgType_->model())->setStringList(ListTexts(names));
    edSearchMsgType_->setCurrentIndex(0);
}

void MobPage::DatabaseReopened() {
    ListPage::DatabaseReopened();
    const QSignalBlocker quiet(edSearchMsgType_);
    edSearchMsgType_->clear();
}

DayRange MobPage::Range(const QDateEdit* from, const QDateEdit* to) const {
    return DayRange{DayOf(from->date()), DayOf(to->date())};
}

void MobPage::btnMobOrderSearchClick() {
    SubscriptionFilters filters;
    const QString mob = SearchText(edSearchMob_);
    if (cSearchMob_->isChecked()) filters.mob = mob.toStdString();
    if (cSearchStatus_->isChecked()) filters.normal = edSearchStatus_->currentIndex() == 0;
    if (cSearchMsgType_->isChecked()) filters.msgType = TypedText(edSearchMsgType_->currentText().trimmed());
    if (cSearchDgtime_->isChecked()) filters.dgTime = Range(edSearchDgtimeF_, edSearchDgtimeE_);
    if (cSearchDgtimeOut_->isChecked()) filters.dgTimeOut = Range(edSearchDgtimeOutF_, edSearchDgtimeOutE_);
    if (search_.btnMobOrderSearchClick(filters) && filters.mob) AddStrToComBoBox(mob, edSearchMob_);
}

void MobPage::btnMobSendSingleClick() {
    SendToCurrent(search_.grid());
}

void MobPage::btnMobSendAllClick() {
    SendTo([this] { return search_.btnMobSendAllClick(); });
}

void MobPage::btnMobSearchClick() {
    const std::optional<std::size_t> row = CurrentRow();
    auto* user = qobject_cast<SubscriberPage*>(shell_.FindPage(QStringLiteral("user")));
    if (!row || !user) return;
    user->edUserSearch()->setEditText(QString::fromStdString(search_.grid().Field(*row, "mob").value_or("")));
    shell_.SelectTreeNodeByText(QStringLiteral("订阅用户的资料管理"));
    user->btnUserSearchClick();
}

}  // namespace xunda
