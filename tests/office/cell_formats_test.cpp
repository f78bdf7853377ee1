// Cells in number formats through both workbook readers: as the Excel page shows them, and as the
// number import converts their values. The workbooks are written by make_fixtures.py.
#include <gtest/gtest.h>

#include <cstdlib>

#include "compose/office_readers.h"

namespace xunda {
namespace {

using Texts = std::vector<std::string>;

std::filesystem::path Fixture(const std::string& name) {
    const char* folder = std::getenv("OFFICE_FILES");
    return std::filesystem::path(folder ? folder : "") / name;
}

// The first column of the first sheet as the Excel page shows it.
Texts ShownColumn(const std::string& name) {
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture(name));
    Texts texts;
    for (std::size_t row = 0; grid && row < grid->Rows(); ++row) texts.emplace_back(grid->Cell(row, 0));
    return texts;
}

// The cell texts as the number import reads them.
Texts Values(const std::string& name) {
    Texts texts;
    EXPECT_TRUE(
        VisitExcelCells(Fixture(name), [&texts](std::string_view text) { texts.emplace_back(text); }));
    return texts;
}

const Texts kShown = {"00123",     "￥3,000.00", "25.60%",   "1,234,567.89", "2024年5月6日",
                      "12:30",     "5月6日",     "1.23E+04", "第12期",       "3.3元",
                      "-1,234.50", "-5",         "0.3",      "客户：张三"};
const Texts kValues = {"123",   "3000", "0.256", "1234567.891", "2024-05-06", "12:30:00", "2024-05-06",
                       "12345", "12",   "3.25",  "-1234.5",     "-5",         "0.3",      "张三"};

TEST(CellFormats, BothReadersShowCellsAsTheirFormatsDoAndImportTheirValues) {
    Texts shown = kShown, values = kValues;
    EXPECT_EQ(ShownColumn("formats.xls"), shown);
    EXPECT_EQ(Values("formats.xls"), values);
    shown.push_back("2024/5/6 12:00");  // built-in format 22, which the workbook does not write out
    values.push_back("2024-05-06 12:00:00");
    values.insert(values.begin() + 1, "13912345678");  // B1
    EXPECT_EQ(ShownColumn("formats.xlsx"), shown);
    EXPECT_EQ(Values("formats.xlsx"), values);
}

// Formats 50 to 58 are the workbook's own where it defines them, built-in dates where it does not.
TEST(CellFormats, AWorkbooksOwnFormatDecidesWhetherACellIsADate) {
    EXPECT_EQ(ShownColumn("own-formats.xls"),
              (Texts{"100020", "￥3,000.00", "00123", "2024/5/6 12:00", "2024/5/6", "12:00", "-5", "No.A1"}));
    EXPECT_EQ(Values("own-formats.xls"),
              (Texts{"100020", "3000", "123", "2024-05-06 12:00:00", "2024-05-06", "12:00:00", "-5", "A1"}));
}

}  // namespace
}  // namespace xunda
