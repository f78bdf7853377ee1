// The Excel page "Excel表格短信": the first worksheet of a workbook in a grid, a template with
// column placeholders, the phone column, and one generated message per row shown in the
// message-list window.
#pragma once

#include <memory>
#include <string>

#include "ui/shell/page.h"

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QTableView;

namespace xunda {

class ExcelForm;
class Shell;
class SheetModel;
class SheetGrid;

class ExcelPage : public Page {
    Q_OBJECT
  public:
    explicit ExcelPage(Shell& shell);

    QGroupBox* excelGroup() const { return excelGroup_; }
    QTableView* lvwExcel() const { return lvwExcel_; }
    QComboBox* cbxPhone() const { return cbxPhone_; }
    QComboBox* cbxParam() const { return cbxParam_; }
    QGroupBox* excelMsgGroup() const { return excelMsgGroup_; }
    QPlainTextEdit* memMsg() const { return memMsg_; }
    ExcelForm* excelForm() const { return excelForm_; }

    void Button36Click();
    void Button20Click();
    void BitBtn13Click();

  private:
    // Reads the first worksheet on a worker behind the busy window, then shows it; the grid stays as
    // it was when the file cannot be read.
    void LoadExcelToListView(const std::string& file);
    void ShowSheet(std::shared_ptr<const SheetGrid> sheet);
    // Generates the lines from the sheet shown now (held by the worker, so that a new load cannot
    // change it under the worker), then closes the busy window and shows them.
    void GenerateOnWorker(const std::string& text, const std::string& phoneColumn);

    Shell& shell_;
    QGroupBox* excelGroup_;
    SheetModel* sheet_;
    QTableView* lvwExcel_;
    QComboBox* cbxPhone_;
    QComboBox* cbxParam_;
    QGroupBox* excelMsgGroup_;
    QPlainTextEdit* memMsg_;
    ExcelForm* excelForm_;
};

}  // namespace xunda
