#include "ui/send/send_sms_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "compose/send_checks.h"
#include "compose/sms_queue.h"
#include "compose/text_rules.h"
#include "ui/office/number_import.h"
#include "ui/send/mobs_memo.h"
#include "ui/send/send_favourites.h"
#include "ui/shell/busy_text.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/text_box.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"

namespace xunda {

namespace {

const bool registered =
    RegisterPage("sendSmsPage", [](Shell& shell) -> Page* { return new SendSmsPage(shell); });

std::string MemoText(const QPlainTextEdit* memo) {
    return TypedText(memo->toPlainText());
}
std::string ComboText(const QComboBox* box) {
    return TypedText(box->currentText());
}

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

QComboBox* HistoryCombo(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

}  // namespace

SendSmsPage::SendSmsPage(Shell& shell)
    : shell_(shell),
      sMsgGroup_(new QGroupBox(QStringLiteral("短信内容输入"), this)),
      sMsg_(new TextBox(sMsgGroup_)),
      smsInsert_(new QComboBox(this)),
      sendSmsGroup_(new QGroupBox(QStringLiteral("要发送短信的手机号码"), this)),
      sMobs_(new TextBox(sendSmsGroup_)),
      edLinkID_(HistoryCombo("edLinkID", this)),
      edSubNumber_(HistoryCombo("edSubNumber", this)),
      favourites_(new SendFavourites(shell, *this)) {
    sMsgGroup_->setObjectName(QStringLiteral("sMsgGroup"));
    sMsg_->setObjectName(QStringLiteral("sMsg"));
    (new QVBoxLayout(sMsgGroup_))->addWidget(sMsg_);
    connect(sMsg_, &QPlainTextEdit::textChanged, this, &SendSmsPage::sMsgChange);

    auto* insertGroup = new QGroupBox(QStringLiteral("手机资料插入短信内容"), this);
    smsInsert_->setObjectName(QStringLiteral("smsInsert"));
    smsInsert_->addItems({QStringLiteral("[称呼]"), QStringLiteral("[姓名]"), QStringLiteral("[生日]")});
    smsInsert_->setCurrentIndex(0);
    QPushButton* btnSmsInsert = Button("插入短信内容", "btnSmsInsert", insertGroup);
    connect(btnSmsInsert, &QPushButton::clicked, this, &SendSmsPage::btnSmsInsertClick);
    auto* insertColumn = new QVBoxLayout(insertGroup);
    insertColumn->addWidget(smsInsert_);
    insertColumn->addWidget(btnSmsInsert);
    insertColumn->addStretch(1);

    sendSmsGroup_->setObjectName(QStringLiteral("sendSmsGroup"));
    sMobs_->setObjectName(QStringLiteral("sMobs"));
    mobs_ = new MobsMemo(shell_, sMobs_, sendSmsGroup_);
    QPushButton* btnMobsAction = Button("手机号码整理", "btnMobsAction", sendSmsGroup_);
    QPushButton* bitBtn11 = Button("导入号码", "BitBtn11", sendSmsGroup_);
    connect(btnMobsAction, &QPushButton::clicked, this, &SendSmsPage::btnMobsActionClick);
    connect(bitBtn11, &QPushButton::clicked, this, &SendSmsPage::BitBtn11Click);
    auto* mobsButtons = new QHBoxLayout;
    mobsButtons->addWidget(btnMobsAction);
    mobsButtons->addWidget(bitBtn11);
    mobsButtons->addStretch(1);
    auto* mobsLayout = new QVBoxLayout(sendSmsGroup_);
    mobsLayout->addWidget(sMobs_);
    mobsLayout->addLayout(mobsButtons);

    auto* sendRow = new QGridLayout;
    sendRow->addWidget(new QLabel(QStringLiteral("发送标识:"), this), 0, 0);
    sendRow->addWidget(edLinkID_, 0, 1);
    sendRow->addWidget(new QLabel(QStringLiteral("长号码:"), this), 0, 2);
    sendRow->addWidget(edSubNumber_, 0, 3);
    QPushButton* btnSendSms = Button("确认立即发送短信", "btnSendSms", this);
    connect(btnSendSms, &QPushButton::clicked, this, &SendSmsPage::btnSendSmsClick);
    sendRow->addWidget(btnSendSms, 0, 4);
    auto* label19 = new QLabel(QStringLiteral("注意:大量发送前请清空历史短信."), this);
    label19->setObjectName(QStringLiteral("Label19"));
    sendRow->addWidget(label19, 1, 0, 1, 5);

    for (QPlainTextEdit* memo : {sMsg_, sMobs_})
        memo->setMinimumHeight(3 * memo->fontMetrics().lineSpacing());
    auto* messageRow =
        new QHBoxLayout;  // the placeholders beside the message: the lists below keep their rows
    messageRow->addWidget(sMsgGroup_, 1);
    messageRow->addWidget(insertGroup);
    Body()->addLayout(messageRow, 2);
    Body()->addWidget(sendSmsGroup_, 3);
    Body()->addLayout(sendRow);
    Body()->addWidget(favourites_, 2);
}

void SendSmsPage::Open(const QString&, const QString&) {
    favourites_->Fill();
}

void SendSmsPage::DatabaseReopened() {
    favourites_->Clear();
}

void SendSmsPage::SetTickedCategoriesSource(std::function<std::vector<std::string>()> source) {
    tickedCategories_ = std::move(source);
}

void SendSmsPage::sMsgChange() {
    sMsgGroup_->setTitle(QString::fromStdString(SmsCountCaption("短信内容", MemoText(sMsg_))));
}

void SendSmsPage::btnSmsInsertClick() {
    sMsg_->insertPlainText(smsInsert_->currentText());
    sMsg_->setFocus();
}

MemoLook SendSmsPage::MobsLook() const {
    return mobs_->Look();
}

void SendSmsPage::ShowMobs(std::unique_ptr<QTextDocument> mobs) {
    mobs_->ShowMobs(std::move(mobs));
}

void SendSmsPage::btnMobsActionClick() {
    mobs_->Tidy();
}

void SendSmsPage::BitBtn11Click() {
    mobs_->Import();
}

void SendSmsPage::btnSendSmsClick() {
    SendSmsForm form;
    form.msgMemo = MemoText(sMsg_);
    form.linkID = ComboText(edLinkID_);
    form.subNumber = ComboText(edSubNumber_);
    form.broadcastMark = shell_.subscriptionSendFlag.load();
    if (form.broadcastMark && tickedCategories_) form.tickedCategories = tickedCategories_();
    std::optional<SmsBatch> checked = CheckSendSms(form, shell_.prompts());
    if (!checked) return;
    // The questions follow the tidy, which runs on a worker (the memo stays tidied whatever the
    // answers).
    mobs_->Tidy([this, batch = std::move(*checked)](std::vector<std::string> mobs) mutable {
        batch.mobs = std::move(mobs);
        if (!ConfirmSendMobs(batch, shell_.prompts())) return;
        if (batch.broadcast) shell_.subscriptionSendFlag.store(false);
        AddStrToComBoBox(QString::fromStdString(batch.subNumber), edSubNumber_);
        AddStrToComBoBox(QString::fromStdString(batch.linkID), edLinkID_);
        QueueSmsThread(batch, shell_.Account().corpID);
    });
}

void SendSmsPage::QueueSmsThread(const SmsBatch& batch, const std::string& corpID) {
    Shell& shell = shell_;
    RunBusyWorker(shell, "正在处理中,请稍候...", [&shell, batch, corpID]() -> GuiStep {
        QueueSmsBatch(shell.db(), shell.log(), corpID, batch, ThrottledBusyText(shell));
        return [&shell] { shell.SelectTreeNodeByText(QStringLiteral("发信箱")); };
    });
}

}  // namespace xunda
