#include "ui/office/excel_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "compose/excel_merge.h"
#include "core/text_util.h"
#include "ui/shell/busy_text.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/shell.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"

namespace xunda {
namespace {

QComboBox* HistoryBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

std::string ComboText(const QComboBox* box) {
    return TypedText(box->currentText());
}

}  // namespace

ExcelForm::ExcelForm(Shell& shell, QWidget* parent)
    : QDialog(parent),
      shell_(shell),
      smsListGroup_(new QGroupBox(QStringLiteral("Excel 文件生成的短信"), this)),
      smsList_(new QListWidget(smsListGroup_)),
      edLinkID_(HistoryBox("edLinkID", this)),
      edSubNumber_(HistoryBox("edSubNumber", this)) {
    setObjectName(QStringLiteral("excelForm"));
    setWindowTitle(QStringLiteral("excel"));
    setWindowModality(Qt::ApplicationModal);
    smsListGroup_->setObjectName(QStringLiteral("smsListGroup"));
    smsList_->setObjectName(QStringLiteral("smsList"));
    smsList_->setUniformItemSizes(true);
    (new QVBoxLayout(smsListGroup_))->addWidget(smsList_);

    auto* options = new QGroupBox(QStringLiteral("发送选项"), this);
    auto* optionRow = new QGridLayout(options);
    optionRow->addWidget(new QLabel(QStringLiteral("发送标识:"), options), 0, 0);
    optionRow->addWidget(edLinkID_, 0, 1);
    optionRow->addWidget(new QLabel(QStringLiteral("长号码:"), options), 0, 2);
    optionRow->addWidget(edSubNumber_, 0, 3);
    auto* btnSendSms = new QPushButton(QStringLiteral("确认立即发送短信"), this);
    btnSendSms->setObjectName(QStringLiteral("btnSendSms"));
    auto* bitBtn1 = new QPushButton(QStringLiteral("保存文件"), this);
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(btnSendSms, &QPushButton::clicked, this, &ExcelForm::btnSendSmsClick);
    connect(bitBtn1, &QPushButton::clicked, this, &ExcelForm::BitBtn1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bitBtn1);
    buttons->addWidget(btnSendSms);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(smsListGroup_, 1);
    layout->addWidget(options);
    layout->addLayout(buttons);
    resize(560, 480);
}

void ExcelForm::ShowLines(const std::vector<std::string>& lines) {
    smsList_->clear();
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) items.push_back(QString::fromStdString(line));
    smsList_->addItems(items);
    smsListGroup_->setTitle(QStringLiteral("Excel 文件生成的短信(%1)").arg(lines.size()));
    if (parentWidget()) move(parentWidget()->window()->geometry().center() - rect().center());
    show();
    raise();
}

std::vector<std::string> ExcelForm::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(smsList_->count()));
    for (int i = 0; i < smsList_->count(); ++i) lines.push_back(smsList_->item(i)->text().toStdString());
    return lines;
}

void ExcelForm::BitBtn1Click() {
    const std::optional<std::string> file =
        shell_.prompts().ChooseSaveFile("EXCEL_CSV (*.csv);;TXT (*.txt)", "");
    if (!file) return;
    if (!SaveExcelLines(*file, Lines())) {
        shell_.prompts().Notice("文件保存失败: " + *file);
        return;
    }
    if (shell_.prompts().OfferOpen("文件已经保存!你要立即打开吗?")) shell_.desktop().Open(*file);
}

void ExcelForm::btnSendSmsClick() {
    const std::string linkID = ComboText(edLinkID_);
    const std::string subNumber = ComboText(edSubNumber_);
    if (!IsAllDigits(linkID)) return shell_.prompts().Notice("发送标识必须全部为数字!");
    if (!IsAllDigits(subNumber)) return shell_.prompts().Notice("长号码必须全部为数字!");
    if (!shell_.prompts().Confirm("短信将进入发送队列并立即开始发送!你要继续吗?")) return;
    const std::string sub(TrimControls(subNumber)), link(TrimControls(linkID));
    AddStrToComBoBox(QString::fromStdString(sub), edSubNumber_);
    AddStrToComBoBox(QString::fromStdString(link), edLinkID_);
    ExcelQueueThread(Lines(), sub, link);
}

void ExcelForm::ExcelQueueThread(std::vector<std::string> lines, std::string subNumber, std::string linkID) {
    Shell& shell = shell_;
    QPointer<ExcelForm> self(this);
    const std::string corpID = shell.Account().corpID;
    RunBusyWorker(shell, "正在处理中,请稍候...",
                  [&shell, self, corpID, lines = std::move(lines), subNumber, linkID]() -> GuiStep {
                      QueueExcelLines(shell.db(), shell.log(), corpID, lines, subNumber, linkID,
                                      ThrottledBusyText(shell));
                      return [&shell, self] {
                          if (self) self->hide();
                          shell.SelectTreeNodeByText(QStringLiteral("发信箱"));
                      };
                  });
}

}  // namespace xunda
