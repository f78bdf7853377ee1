#include "ui/subscriptions/subscription_dialogs.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/subscriptions/check_list.h"
#include "ui/subscriptions/subscription_widgets.h"

namespace xunda {

namespace {

// A fixed-size dialog with its caption; its layout.
QVBoxLayout* Frame(QDialog* dialog, const char* name, const char* caption) {
    Named(dialog, name);
    dialog->setWindowTitle(QString::fromUtf8(caption));
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

// "确定" running `ok` and "取消" closing the dialog.
template <typename Dialog>
void OkCancel(Dialog* dialog, QVBoxLayout* layout, void (Dialog::*ok)()) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* okButton = Named(new QPushButton(QStringLiteral("确定"), dialog), "btnMobOrderOK");
    auto* cancel = Named(new QPushButton(QStringLiteral("取消"), dialog), "BitBtn6");
    QObject::connect(okButton, &QPushButton::clicked, dialog, ok);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addWidget(okButton);
    row->addWidget(cancel);
    layout->addLayout(row);
}

}  // namespace

MobOrderChangeDialog::MobOrderChangeDialog(Store store, QWidget* parent)
    : QDialog(parent),
      store_(std::move(store)),
      mobTitle_(Named(new QLabel(this), "mobTitle")),
      msgTypeTitle_(Named(new QLabel(this), "msgTypeTitle")),
      mobCheck_(Named(new QCheckBox(QStringLiteral("操作该手机全部的订阅内容"), this), "mobCheck")),
      edDgTime_(Picker("edDgTime", this)),
      edDgTimeOut_(Picker("edDgTimeOut", this)),
      dgStatusCheck_(Named(new QCheckBox(QStringLiteral("关闭短信正常发送"), this), "dgStatusCheck")) {
    QVBoxLayout* layout = Frame(this, "formMobOrderChange", "修改订阅内容");
    QFont big = mobTitle_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    mobTitle_->setFont(big);
    layout->addWidget(mobTitle_);
    auto* options = Named(new QGroupBox(QStringLiteral("操作选项"), this), "GroupBox1");
    auto* form = new QFormLayout(options);
    form->addRow(Named(new QLabel(QStringLiteral("当前订阅内容:"), options), "Label3"), msgTypeTitle_);
    form->addRow(mobCheck_);
    form->addRow(Named(new QLabel(QStringLiteral("订阅时间:"), options), "Label1"), edDgTime_);
    form->addRow(Named(new QLabel(QStringLiteral("订阅到期时间:"), options), "Label2"), edDgTimeOut_);
    form->addRow(dgStatusCheck_);
    layout->addWidget(options);
    OkCancel(this, layout, &MobOrderChangeDialog::btnMobOrderOKClick);
}

void MobOrderChangeDialog::Fill(const SubscriptionChange& change) {
    change_ = change;
    mobTitle_->setText(QString::fromStdString(change.mob));
    msgTypeTitle_->setText(QString::fromStdString(change.msgType));
    mobCheck_->setChecked(false);
    dgStatusCheck_->setChecked(change.closed);
    edDgTime_->setDate(DateOf(change.dgTime));
    edDgTimeOut_->setDate(DateOf(change.dgTimeOut));
}

void MobOrderChangeDialog::btnMobOrderOKClick() {
    SubscriptionChange change = change_;
    change.closed = dgStatusCheck_->isChecked();
    change.dgTime = DayOf(edDgTime_->date());
    change.dgTimeOut = DayOf(edDgTimeOut_->date());
    change.allOfMob = mobCheck_->isChecked();
    if (store_(change)) accept();
}

AddMsgTypeDialog::AddMsgTypeDialog(Store store, QWidget* parent)
    : QDialog(parent),
      store_(std::move(store)),
      mobTitle_(Named(new QLabel(this), "mobTitle")),
      msgTypeCheck_(Named(new QCheckBox(QStringLiteral("全部选择"), this), "msgTypeCheck")),
      msgTypeSelect_(Named(new CheckList(this), "msgTypeSelect")),
      edDgTimeOut_(Picker("edDgTimeOut", this, QLocale().dateFormat(QLocale::LongFormat))) {
    QVBoxLayout* layout = Frame(this, "formAddMsgType", "增加订阅内容");
    layout->addWidget(mobTitle_);
    auto* choose = Named(new QGroupBox(QStringLiteral("订阅内容选择"), this), "GroupBox6");
    auto* chooseLayout = new QVBoxLayout(choose);
    chooseLayout->addWidget(msgTypeCheck_);
    chooseLayout->addWidget(msgTypeSelect_);
    connect(msgTypeCheck_, &QCheckBox::clicked, this, &AddMsgTypeDialog::msgTypeCheckClick);
    layout->addWidget(choose);
    auto* expiry = new QHBoxLayout;
    expiry->addWidget(Named(new QLabel(QStringLiteral("订阅有效期至:"), this), "Label5"));
    expiry->addWidget(edDgTimeOut_);
    layout->addLayout(expiry);
    OkCancel(this, layout, &AddMsgTypeDialog::btnMobOrderOKClick);
}

void AddMsgTypeDialog::Fill(const std::string& mob, std::vector<std::string> categories) {
    mob_ = mob;
    mobTitle_->setText(QString::fromStdString(mob));
    msgTypeCheck_->setChecked(false);
    msgTypeSelect_->Fill(std::move(categories));
    edDgTimeOut_->setDate(QDate::currentDate().addYears(1));
}

void AddMsgTypeDialog::btnMobOrderOKClick() {
    if (store_(mob_, msgTypeSelect_->checks()->TickedNames(), DayOf(edDgTimeOut_->date()))) accept();
}

void AddMsgTypeDialog::msgTypeCheckClick() {
    msgTypeSelect_->checks()->TickAll(msgTypeCheck_->isChecked());
}

}  // namespace xunda
