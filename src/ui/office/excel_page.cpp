#include "ui/office/excel_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "compose/excel_merge.h"
#include "compose/number_tidy.h"
#include "compose/text_rules.h"
#include "ui/office/excel_form.h"
#include "ui/office/sheet_model.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/text_box.h"
#include "ui/shell/typed_text.h"

namespace xunda {
namespace {

const bool registered = RegisterPage("excelPage", [](Shell& shell) -> Page* { return new ExcelPage(shell); });

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

QComboBox* ColumnBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setMinimumContentsLength(6);
    return box;
}

}  // namespace

ExcelPage::ExcelPage(Shell& shell)
    : shell_(shell),
      excelGroup_(new QGroupBox(QStringLiteral("导入 Excel 文件"), this)),
      sheet_(new SheetModel(this)),
      lvwExcel_(new QTableView(excelGroup_)),
      cbxPhone_(ColumnBox("cbxPhone", excelGroup_)),
      cbxParam_(ColumnBox("cbxParam", this)),
      excelMsgGroup_(new QGroupBox(QStringLiteral("短信内容"), this)),
      memMsg_(new TextBox(excelMsgGroup_)),
      excelForm_(new ExcelForm(shell, this)) {
    excelGroup_->setObjectName(QStringLiteral("excelGroup"));
    lvwExcel_->setObjectName(QStringLiteral("lvwExcel"));
    lvwExcel_->setModel(sheet_);
    lvwExcel_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwExcel_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwExcel_->setWordWrap(false);
    lvwExcel_->verticalHeader()->setDefaultSectionSize(lvwExcel_->fontMetrics().height() + 4);
    QPushButton* button36 = Button("导入Excel表格文件", "Button36", excelGroup_);
    connect(button36, &QPushButton::clicked, this, &ExcelPage::Button36Click);
    auto* loadRow = new QHBoxLayout;
    loadRow->addWidget(new QLabel(QStringLiteral("指定手机号码列："), excelGroup_));
    loadRow->addWidget(cbxPhone_);
    loadRow->addStretch(1);
    loadRow->addWidget(button36);
    auto* sheetLayout = new QVBoxLayout(excelGroup_);
    sheetLayout->addWidget(lvwExcel_);
    sheetLayout->addLayout(loadRow);

    excelMsgGroup_->setObjectName(QStringLiteral("excelMsgGroup"));
    memMsg_->setObjectName(QStringLiteral("memMsg"));
    connect(memMsg_, &QPlainTextEdit::textChanged, this, [this] {
        excelMsgGroup_->setTitle(
            QString::fromStdString(SmsCountCaption("估计短信内容", TypedText(memMsg_->toPlainText()))));
    });
    QPushButton* button20 = Button("插入", "Button20", excelMsgGroup_);
    QPushButton* bitBtn13 = Button("按设置列生成短信内容", "BitBtn13", excelMsgGroup_);
    connect(button20, &QPushButton::clicked, this, &ExcelPage::Button20Click);
    connect(bitBtn13, &QPushButton::clicked, this, &ExcelPage::BitBtn13Click);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(new QLabel(QStringLiteral("选择列:"), excelMsgGroup_));
    templateRow->addWidget(cbxParam_);
    templateRow->addWidget(button20);
    templateRow->addStretch(1);
    templateRow->addWidget(bitBtn13);
    auto* templateLayout = new QVBoxLayout(excelMsgGroup_);
    templateLayout->addWidget(memMsg_);
    templateLayout->addLayout(templateRow);

    Body()->addWidget(excelGroup_, 3);
    Body()->addWidget(excelMsgGroup_, 1);
}

void ExcelPage::Button36Click() {
    const std::optional<std::string> file =
        shell_.prompts().ChooseOpenFile("EXCEL文件 (*.xls *.xlsx *.XLS *.XLSX)", "");
    if (!file || file->empty()) return;
    LoadExcelToListView(*file);
}

void ExcelPage::LoadExcelToListView(const std::string& file) {
    Shell& shell = shell_;
    QPointer<ExcelPage> self(this);
    RunBusyWorker(shell, "正在读入EXCEL文件的第一个表格,请稍候...", [&shell, self, file]() -> GuiStep {
        std::optional<SheetGrid> read = ReadFirstSheet(file);
        if (!read) {
            const FileReadError failed(file);
            shell.logit(failed.what());
            shell.prompts().Notice(failed.what());
            return {};
        }
        return [self, sheet = std::make_shared<const SheetGrid>(std::move(*read))] {
            if (self) self->ShowSheet(sheet);
        };
    });
}

void ExcelPage::ShowSheet(std::shared_ptr<const SheetGrid> sheet) {
    cbxPhone_->clear();
    cbxParam_->clear();
    for (std::size_t k = 0; k < sheet->Columns(); ++k) {
        const QString name = QString::fromStdString(ExcelColumnName(k));
        cbxPhone_->addItem(name);
        cbxParam_->addItem(name);
    }
    excelGroup_->setTitle(QStringLiteral("导入EXCEL文件(%1)").arg(sheet->Rows()));
    sheet_->SetSheet(std::move(sheet));
    cbxPhone_->setCurrentIndex(cbxPhone_->count() > 0 ? 0 : -1);
    cbxParam_->setCurrentIndex(cbxParam_->count() > 0 ? 0 : -1);
}

void ExcelPage::Button20Click() {
    memMsg_->insertPlainText("[" + cbxParam_->currentText() + "]");
    memMsg_->setFocus();
}

void ExcelPage::BitBtn13Click() {
    const std::string text = CleanMemoText(TypedText(memMsg_->toPlainText()));
    if (const std::optional<std::string> refusal = CheckExcelTemplate(text, sheet_->Sheet()->Rows()))
        return shell_.prompts().Notice(*refusal);
    excelForm_->smsList()->clear();
    GenerateOnWorker(text, cbxPhone_->currentText().toStdString());
}

void ExcelPage::GenerateOnWorker(const std::string& text, const std::string& phoneColumn) {
    Shell& shell = shell_;
    QPointer<ExcelPage> self(this);
    RunBusyWorker(shell, "处理EXCEL表格短信,请稍候...",
                  [&shell, self, sheet = sheet_->Sheet(), text, phoneColumn]() -> GuiStep {
                      std::vector<std::string> lines = GenerateExcelLines(*sheet, text, phoneColumn);
                      return [&shell, self, lines = std::move(lines)] {
                          if (!self) return;
                          if (lines.empty())
                              return shell.prompts().Notice(
                                  "没有找到有效手机号码或内容超长,请检查手机号码列是否选择正确!");
                          self->excelForm_->ShowLines(lines);
                      };
                  });
}

}  // namespace xunda
