#include "ui/subscriptions/mob_order_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <thread>

#include "compose/number_tidy.h"
#include "subscriptions/broadcast.h"
#include "subscriptions/categories.h"
#include "ui/mailbox/list_page.h"
#include "ui/send/mobs_memo.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/busy_text.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/text_box.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"
#include "ui/subscriptions/check_list.h"
#include "ui/subscriptions/subscription_widgets.h"

namespace xunda {

namespace {

const bool registered =
    RegisterPage("mobOrder", [](Shell& shell) -> Page* { return new MobOrderPage(shell); });

QPushButton* Button(QBoxLayout* row, const char* caption, const char* name, QWidget* parent) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
    row->addWidget(button);
    return button;
}

std::string Typed(const QString& text) {
    return TypedText(text.trimmed());
}

// A picker's day as the store keeps dates.
std::string StoredDate(const QDate& date) {
    return DayOf(date) + " 00:00:00";
}

}  // namespace

MobOrderPage::MobOrderPage(Shell& shell)
    : shell_(shell),
      host_(shell),
      msgTypeSelect_(Named(new CheckList(this), "msgTypeSelect")),
      msgTypeCheck_(Named(new QCheckBox(QStringLiteral("全部选择"), this), "msgTypeCheck")),
      edNewMsgType_(Named(new QComboBox(this), "edNewMsgType")),
      edDgTimeOut_(Picker("edDgTimeOut", this)),
      mobOrderGroup_(Named(new QGroupBox(QStringLiteral("手机号码"), this), "mobOrderGroup")),
      edMobs_(Named(new TextBox(mobOrderGroup_), "edMobs")),
      mobs_(new MobsMemo(shell, edMobs_, mobOrderGroup_)),
      edUserName_(Named(new QLineEdit(this), "edUserName")),
      edBir_(Picker("edBir", this)),
      edNickName_(Named(new QLineEdit(this), "edNickName")) {
    edBir_->setToolTip(QStringLiteral("生日日期如果填写的是今天,则表示生日段无效!"));
    edNewMsgType_->setEditable(true);
    edNewMsgType_->setInsertPolicy(QComboBox::NoInsert);

    // On top the expiry and the run; left the numbers and a single number's data.
    auto* left = new QVBoxLayout;
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(Named(new QLabel(QStringLiteral("订阅有效期至:"), this), "Label5"));
    runRow->addWidget(edDgTimeOut_);
    connect(Button(runRow, "批量添加或更新手机号码的订阅关系", "btnDg", this), &QPushButton::clicked, this,
            &MobOrderPage::btnDgClick);
    runRow->addStretch(1);
    auto* mobsButtons = new QHBoxLayout;
    connect(Button(mobsButtons, "导入号码", "btnLoadMobsFiles", mobOrderGroup_), &QPushButton::clicked, mobs_,
            [this] { mobs_->Import(); });
    connect(Button(mobsButtons, "手机号码整理", "btnOrderMobs", mobOrderGroup_), &QPushButton::clicked, mobs_,
            [this] { mobs_->Tidy(); });
    connect(Button(mobsButtons, "清空号码", "btnClearMobs", mobOrderGroup_), &QPushButton::clicked, this,
            &MobOrderPage::btnClearMobsClick);
    mobsButtons->addStretch(1);
    auto* mobsLayout = new QVBoxLayout(mobOrderGroup_);
    mobsLayout->addWidget(edMobs_);
    mobsLayout->addLayout(mobsButtons);
    left->addWidget(mobOrderGroup_, 1);
    auto* single = Named(new QGroupBox(QStringLiteral("单个手机号码的资料填写"), this), "GroupBox12");
    auto* form = new QFormLayout(single);
    form->addRow(QStringLiteral("姓名:"), edUserName_);
    form->addRow(QStringLiteral("生日:"), edBir_);
    form->addRow(QStringLiteral("称呼:"), edNickName_);
    left->addWidget(single);

    // Right: the categories.
    auto* choose = new QGroupBox(QStringLiteral("订阅类别选择"), this);
    auto* chooseLayout = new QVBoxLayout(choose);
    chooseLayout->addWidget(msgTypeSelect_, 1);
    auto* chooseRow = new QHBoxLayout;
    chooseRow->addWidget(msgTypeCheck_);
    connect(msgTypeCheck_, &QCheckBox::clicked, this, &MobOrderPage::msgTypeCheckClick);
    connect(Button(chooseRow, "发送短信给订阅手机", "btnSendDg", choose), &QPushButton::clicked, this,
            &MobOrderPage::btnSendDgClick);
    chooseLayout->addLayout(chooseRow);
    auto* change = Named(new QGroupBox(QStringLiteral("订阅类别操作"), this), "GroupBox1");
    auto* changeLayout = new QVBoxLayout(change);
    changeLayout->addWidget(edNewMsgType_);
    auto* changeRow = new QHBoxLayout;
    connect(Button(changeRow, "添加", "btnNewMsgType", change), &QPushButton::clicked, this,
            &MobOrderPage::btnNewMsgTypeClick);
    connect(Button(changeRow, "修改", "btnEditMsgType", change), &QPushButton::clicked, this,
            &MobOrderPage::btnEditMsgTypeClick);
    connect(Button(changeRow, "删除", "btnDelMsgType", change), &QPushButton::clicked, this,
            &MobOrderPage::btnDelMsgTypeClick);
    changeLayout->addLayout(changeRow);
    auto* right = new QVBoxLayout;
    right->addWidget(choose, 1);
    right->addWidget(change);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    Body()->addLayout(runRow);  // across both columns: the long button is never cut
    Body()->addLayout(columns, 1);
}

void MobOrderPage::Open(const QString&, const QString&) {
    const QDate today = QDate::currentDate();
    edBir_->setDate(today);
    edDgTimeOut_->setDate(today.addYears(1));
    msgTypeCheck_->setChecked(false);
    if (shell_.Account().LoggedIn()) pMsgType();
}

void MobOrderPage::DatabaseReopened() {
    msgTypeSelect_->Fill({});
}

void MobOrderPage::pMsgType() {
    msgTypeSelect_->Fill(xunda::pMsgType(host_));
}

std::vector<std::string> MobOrderPage::TickedMsgTypes() const {
    return msgTypeSelect_->checks()->TickedNames();
}

void MobOrderPage::CategoriesChanged(const std::string& name) {
    if (!name.empty()) AddStrToComBoBox(QString::fromStdString(name), edNewMsgType_);
    pMsgType();
    edNewMsgType_->setEditText(QString());
}

void MobOrderPage::btnNewMsgTypeClick() {
    const std::string typed = TypedText(edNewMsgType_->currentText());
    if (xunda::btnNewMsgTypeClick(host_, typed)) CategoriesChanged(CategoryName(typed));
}

void MobOrderPage::btnEditMsgTypeClick() {
    const std::string typed = TypedText(edNewMsgType_->currentText());
    if (xunda::btnEditMsgTypeClick(host_, msgTypeSelect_->Highlighted(), typed))
        CategoriesChanged(CategoryName(typed));
}

void MobOrderPage::btnDelMsgTypeClick() {
    if (xunda::btnDelMsgTypeClick(host_, TickedMsgTypes())) pMsgType();
}

void MobOrderPage::msgTypeCheckClick() {
    msgTypeSelect_->checks()->TickAll(msgTypeCheck_->isChecked());
}

void MobOrderPage::btnSendDgClick() {
    const std::vector<std::string> ticked = TickedMsgTypes();
    const auto mobs = xunda::btnSendDgClick(host_, ticked, DayOf(QDate::currentDate()));
    if (!mobs) return;
    shell_.busy().Show("正在处理中,请稍候...");
    // The broadcast records the categories confirmed now: reopening this page unticks the list.
    if (auto* send = qobject_cast<SendSmsPage*>(shell_.FindPage(QStringLiteral("sendSmsPage"))))
        send->SetTickedCategoriesSource([ticked] { return ticked; });
    shell_.subscriptionSendFlag.store(true);
    ShellMailboxHost(shell_).ReplyTo(*mobs);
    shell_.busy().Close();
}

void MobOrderPage::btnClearMobsClick() {
    if (shell_.prompts().Confirm("清空手机号码列表!你要继续吗?")) edMobs_->clear();
    mobOrderGroup_->setTitle(
        QStringLiteral("手机号码(%1)").arg(MemoLineCount(edMobs_->toPlainText().toStdString())));
}

BulkSubscribeInput MobOrderPage::Inputs() const {
    BulkSubscribeInput in;
    const std::string memo = edMobs_->toPlainText().toStdString();
    for (std::string_view line : SplitLines(memo)) in.mobs.emplace_back(line);
    in.categories = TickedMsgTypes();
    in.userName = Typed(edUserName_->text());
    in.nickName = Typed(edNickName_->text());
    if (edBir_->date() != QDate::currentDate()) in.bir = StoredDate(edBir_->date());
    in.dgTimeOut = StoredDate(edDgTimeOut_->date());
    return in;
}

void MobOrderPage::btnDgClick() {
    if (!CheckPersonalData(shell_.prompts(), Typed(edUserName_->text()), Typed(edNickName_->text()))) return;
    mobs_->Tidy([this](const std::vector<std::string>&) {
        BulkSubscribeInput input = Inputs();
        if (ConfirmBulkSubscribe(shell_.prompts(), input.mobs.size())) BulkSubscribeThread(std::move(input));
    });
}

void MobOrderPage::BulkSubscribeThread(BulkSubscribeInput input) {
    Shell& shell = shell_;
    QPointer<QPlainTextEdit> memo(edMobs_);
    RunBusyWorker(shell, "正在处理中,请稍候...",
                  [&shell, memo, input = std::move(input), corpID = shell.Account().corpID]() -> GuiStep {
                      BulkSubscribe(
                          shell.db(), shell.log(), corpID, input, ThrottledBusyText(shell),
                          [](std::chrono::milliseconds rest) { std::this_thread::sleep_for(rest); });
                      return [memo] {
                          if (memo) memo->clear();
                      };
                  });
}

}  // namespace xunda
