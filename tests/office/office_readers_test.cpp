// The workbook and document readers over files written by make_fixtures.py, damaged files, and
// the program runner that reads .doc files through antiword.
#include "compose/office_readers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <clocale>
#include <cstdlib>

#include "compose/number_tidy.h"
#include "core/unicode.h"
#include "office/document_text.h"
#include "support/temp_dir.h"

namespace xunda {
namespace {

using ::testing::ElementsAre;
using Texts = std::vector<std::string>;

std::filesystem::path Fixture(const std::string& name) {
    const char* folder = std::getenv("OFFICE_FILES");
    return std::filesystem::path(folder ? folder : "") / name;
}

// The items the number import reads from a file (a shared string at its first cell only);
// nullopt when the file cannot be read.
std::optional<Texts> Items(bool (*visit)(const std::filesystem::path&,
                                         const std::function<void(std::string_view)>&),
                           const std::string& name) {
    Texts items;
    if (!visit(Fixture(name), [&items](std::string_view item) { items.emplace_back(item); }))
        return std::nullopt;
    return items;
}
std::optional<Texts> ExcelItems(const std::string& name) {
    return Items(VisitExcelCells, name);
}
std::optional<Texts> WordItems(const std::string& name) {
    return Items(VisitWordText, name);
}

TEST(OfficeReaders, WorkbookCellsSheetBySheetInOneTextForm) {
    const std::pair<const char*, Texts> books[] = {
        {"book.xlsx",
         {"13912345678", "张三", "2024-05-06", "13812345678, 13712345678", "3.25", "no number", "王五",
          "True", "13612345678", "2024-05-06 10:30:00", "0755-12345678"}},
        // workbook order, joined runs without phonetics, inline strings, the 1904 system, errors empty
        {"handmade.xlsx",
         {"13912345678", "1904-01-01", "13712345678", "True", "0.5", "A&B 张三", "13512345678"}},
        {"book.xls", {"13312345678", "李四", "2024-05-06", "Tel: 010-12345678"}},
        {"datetime.xls", {"2024-05-06 10:30:05", "2024-05-06"}},
        {"breaks.xlsx", {"13812345678\n13712345678"}},  // a line break in a cell stays
        {"bad-index.xlsx", {"13100000000"}},  // a shared-string index that is no number names no string
    };
    for (const auto& [name, cells] : books) EXPECT_EQ(ExcelItems(name), cells) << name;
}

// Texts longer than a record, continued in CONTINUE records (some parts one byte a character,
// others two), read whole; every kind of number and formula cell; a chart inside the sheet passed over.
TEST(OfficeReaders, XlsCellsAreReadWholeWhateverRecordsTheirTextsSpan) {
    std::string chinese;
    for (char32_t i = 0; i < 20000; ++i) AppendUtf8(chinese, 0x4E00 + i);
    chinese += std::string(12767 - 11, 'x') + "13812345678";  // 32,767 characters
    const std::string latin = std::string(20000 - 11, 'x') + "13712345678";
    std::string phone;
    for (int i = 0; i < 4500; ++i) phone += "电话";
    const Texts first = {"13912345678",
                         chinese,
                         latin,
                         std::string(8150, 'y') + "13612345678",
                         "13312345678",
                         "42",
                         "3.25",
                         "2024-05-06",
                         "0.5",
                         "13512345678",
                         phone + " 0755-12345678",
                         "True",
                         "False",
                         std::string(9000, 'z') + " 13412345678",
                         "2024-05-06 10:30:00"};
    Texts both = first;
    both.push_back("13212345678");
    EXPECT_EQ(ExcelItems("long.xls"), both);
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture("long.xls"));
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->Rows(), 5u);
    EXPECT_EQ(grid->Columns(), 5u);
    EXPECT_EQ(grid->Cell(0, 1), chinese);
    EXPECT_EQ(grid->Cell(1, 4), "0.50");  // as its format (0.00) shows it
    // as a common writer saves them; Excel 95's texts in the workbook's code page
    EXPECT_EQ(ExcelItems("long-xlwt.xls"), (Texts{chinese, latin}));
    EXPECT_EQ(ExcelItems("excel95.xls"), (Texts{"张三 13912345678", "2024-05-06", "李四 13812345678"}));
    EXPECT_EQ(ImportMobsFile(Fixture("long.xls")),
              (Texts{"075512345678", "13212345678", "13312345678", "13412345678", "13512345678",
                     "13612345678", "13712345678", "13812345678", "13912345678"}));
}

// Each form of a record alone in a workbook: an Excel 95 text going on in a continuation in code
// page 1252, an Excel 95 book naming no code page (the system's, GBK); shared strings with
// formatting runs only and with a phonetic extension only, RK numbers negative and in hundredths,
// a TRUE cell.
TEST(OfficeReaders, XlsRecordsAreReadInEachOfTheirForms) {
    EXPECT_EQ(ExcelItems("excel95-1252.xls"), (Texts{"café " + std::string(9000, 'x') + " 13812345678"}));
    EXPECT_EQ(ExcelItems("excel95-no-codepage.xls"), (Texts{"张三 13912345678"}));
    EXPECT_EQ(ExcelItems("forms.xls"),
              (Texts{"13912345678", "13812345678", "13712345678", "-5", "0.015", "True"}));
}

TEST(OfficeReaders, AnEncryptedXlsIsRefusedWithoutHandingOutACell) {
    std::size_t handed = 0;
    EXPECT_FALSE(VisitExcelCells(Fixture("encrypted.xls"), [&handed](std::string_view) { ++handed; }));
    EXPECT_EQ(handed, 0u);
    EXPECT_FALSE(ReadFirstSheet(Fixture("encrypted.xls")));
}

TEST(OfficeReaders, FirstSheetGridRunsFromA1ToTheLastUsedCell) {
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture("handmade.xlsx"));
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->Columns(), 5u);
    ASSERT_EQ(grid->Rows(), 6u);
    EXPECT_EQ(grid->Cell(4, 2), "13912345678");
    EXPECT_EQ(grid->Cell(5, 0), "13712345678");  // cells without references follow each other
    EXPECT_EQ(grid->Cell(5, 1), "");             // the error cell
    EXPECT_EQ(grid->Cell(0, 0), "");
    const std::optional<SheetGrid> xls = ReadFirstSheet(Fixture("book.xls"));
    ASSERT_TRUE(xls);
    EXPECT_EQ(xls->Rows(), 2u);
    EXPECT_EQ(xls->Columns(), 3u);
    EXPECT_EQ(xls->Cell(1, 2), "2024-05-06");
}

// A line break keeps the numbers on either side apart.
TEST(OfficeReaders, DocxGivesOneLinePerParagraphWithItsRunsJoinedAndItsLineBreaks) {
    EXPECT_EQ(WordItems("numbers.docx"), (Texts{"客户 13812345678\ntel 010-12345678\n13612345678\n"}));
    EXPECT_EQ(WordItems("breaks.docx"), (Texts{"13812345678\n13912345678\n"}));
    EXPECT_EQ(ImportMobsFile(Fixture("breaks.docx")), (Texts{"13812345678", "13912345678"}));
}

TEST(OfficeReaders, ADocumentMakesAt64MiBOfText) {
    EXPECT_EQ(WordItems("long-document.docx"), std::nullopt);
}

TEST(OfficeReaders, DamagedFilesAreUnreadableNotEmpty) {
    for (const char* name : {"truncated-book.xlsx", "truncated-book.xls", "secret.xlsx", "bomb.xlsx"}) {
        EXPECT_EQ(ExcelItems(name), std::nullopt) << name;
        EXPECT_FALSE(ReadFirstSheet(Fixture(name))) << name;
        EXPECT_THROW(ImportMobsFile(Fixture(name)), FileReadError) << name;
    }
    EXPECT_EQ(WordItems("truncated-numbers.docx"), std::nullopt);
    // An empty workbook or document file is no workbook or document; an empty text file holds no number.
    for (const char* name : {"empty.xlsx", "empty.xls", "empty.doc", "empty.docx"})
        EXPECT_THROW(ImportMobsFile(Fixture(name)), FileReadError) << name;
    for (const char* name : {"empty.xlsx", "empty.xls"}) EXPECT_FALSE(ReadFirstSheet(Fixture(name))) << name;
    EXPECT_EQ(ImportMobsFile(Fixture("empty.txt")), Texts{});
}

void ExpectRefused(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        EXPECT_FALSE(ReadFirstSheet(Fixture(name))) << name;
        EXPECT_THROW(ImportMobsFile(Fixture(name)), FileReadError) << name;
    }
}

TEST(OfficeReaders, HostileWorkbooksAreRefusedBeforeTheyFillMemoryOrTime) {
    // no worksheet, strings longer than a cell, a run of 17 MiB of blanks
    ExpectRefused({"no-sheet.xls", "no-sheet.xlsx", "strings.xlsx", "blank-run.xlsx"});
    // a sheet declaring far more cells than it holds is the cells it holds
    EXPECT_EQ(ExcelItems("declared.xls"), ExcelItems("book.xls"));
}

// One cell more than a workbook holds: empty rows of an .xlsx, numbers of an .xls; and an .xls
// cell one character longer than a cell holds.
TEST(OfficeReaders, AnXlsxOfMoreThan4000000CellsIsRefused) {
    EXPECT_THROW(ImportMobsFile(Fixture("4000001-cells.xlsx")), FileReadError);
}

TEST(OfficeReaders, TheCellLimitsHoldForXlsToo) {
    for (const char* name : {"4000001-cells.xls", "32768-characters.xls"})
        EXPECT_THROW(ImportMobsFile(Fixture(name)), FileReadError) << name;
}

// Each string costs its place in the table, an empty one too.
TEST(OfficeReaders, ATableOfMoreStringsThanAWorkbookHasCellsIsRefused) {
    EXPECT_THROW(ImportMobsFile(Fixture("empty-strings.xlsx")), FileReadError);
}

// What a file may inflate to follows what it makes, not how well it packs.
TEST(OfficeReaders, A100000RowSheetOfInlineChineseTextsIsReadThoughItPacks90To1) {
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture("entities.xlsx"));
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->Rows(), 100000u);
    EXPECT_EQ(grid->Cell(99999, 0), "13900100000");
    EXPECT_EQ(grid->Cell(99999, 1).size(), 140u * 3);
    EXPECT_TRUE(grid->Cell(99999, 1).starts_with("尊敬的客户您好，"));
}

TEST(OfficeReaders, A12000RowSheetOfLongTextsIsReadThoughItPacks110To1) {
    EXPECT_EQ(ImportMobsFile(Fixture("long-texts.xlsx")), Texts{"13800000000"});
}

TEST(OfficeReaders, WhatMakesNothingInflatesTo64MiBAtMost) {
    ExpectRefused({"no-cells.xlsx"});
    EXPECT_TRUE(ReadFirstSheet(Fixture("among-texts.xlsx")));
}

TEST(OfficeReaders, ACellStandsWithinXfd1048576AndEveryGridRowCountsAsACell) {
    ExpectRefused({"far-row.xlsx", "past-last-row.xlsx", "past-last-column.xlsx"});
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture("last-cell.xlsx"));
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->Rows(), 1048576u);
    EXPECT_EQ(grid->Columns(), 16384u);
    EXPECT_EQ(grid->Cell(1048575, 16383), "13912345678");
    // 200 rows as wide as a sheet, and the rows below them to the last one
    EXPECT_FALSE(ReadFirstSheet(Fixture("tall.xlsx")));
    EXPECT_EQ(ImportMobsFile(Fixture("tall.xlsx")), Texts{"13912345678"});
}

TEST(OfficeReaders, ACellHoldsAt32767CharactersAndTheTextsHandedOutAreBounded) {
    // a shared string of 12 MiB, an inline one of 32,768 characters, 33,000 cells showing 32,767
    ExpectRefused({"long-string.xlsx", "cell-plus-one.xlsx", "handed-out.xlsx"});
    const std::optional<SheetGrid> grid = ReadFirstSheet(Fixture("cell-sized.xlsx"));
    ASSERT_TRUE(grid);
    std::string longest;
    for (int i = 0; i < 32767; ++i) longest += "字";
    EXPECT_EQ(grid->Rows(), 3u);
    EXPECT_EQ(grid->Cell(0, 0), longest);
    EXPECT_EQ(grid->Cell(2, 99), longest);
    EXPECT_EQ(ImportMobsFile(Fixture("cell-sized.xlsx")), Texts{});
}

// Qt sets the C library's locale from the desktop's.
TEST(OfficeReaders, CellNumbersReadTheSameUnderADecimalCommaLocale) {
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "scripts/setup.sh makes this locale";
    const std::optional<std::vector<std::string>> cells = ExcelItems("book.xlsx");
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(cells);
    EXPECT_THAT(*cells, ::testing::IsSupersetOf({"3.25", "2024-05-06 10:30:00"}));
}

// Every form of text file: InputText (core/input_text_test.cpp).
TEST(ImportMobsFile, TextInUtf16WithoutByteOrderMarkIsReadAndZeroBytesAreRefused) {
    for (const char* name : {"utf16le.txt", "utf16be.txt"})
        EXPECT_EQ(ImportMobsFile(Fixture(name)), (Texts{"13812345678", "13912345678"})) << name;
    EXPECT_THROW(ImportMobsFile(Fixture("zeros.txt")), FileReadError);
}

TEST(ImportMobsFile, DocAndDocxGiveTheSameTextWithTheirLastTableAndNoHeaderOrFooter) {
    Texts mobs{"13000000003", "13812345678"};  // the body with its tracked deletion
    for (int row = 0; row < 20; ++row)
        mobs.push_back("139000000" + std::string(row < 10 ? "0" : "") + std::to_string(row));
    for (const char* name : {"ending-table.doc", "ending-table.docx"})
        EXPECT_EQ(ImportMobsFile(Fixture(name)), mobs) << name;
    // a name that looks like an option is still a file name
    test::TempDir dir;
    std::filesystem::copy_file(Fixture("ending-table.doc"), dir / "-b");
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(ImportMobsFile("-b"), mobs);
    std::filesystem::current_path(was);
}

TEST(ImportMobsFile, FindsTheNumbersOfEveryKindOfFile) {
    const std::pair<const char*, Texts> files[] = {
        {"book.xlsx", {"075512345678", "13612345678", "13712345678", "13812345678", "13912345678"}},
        {"book.xls", {"01012345678", "13312345678"}},
        {"numbers.docx", {"01012345678", "13612345678", "13812345678"}},
        {"html.xls", {"13212345678"}},
        {"x.doc/numbers.txt", {"13112345678"}},
    };
    for (const auto& [name, mobs] : files) EXPECT_EQ(ImportMobsFile(Fixture(name)), mobs) << name;
}

TEST(RunProgramOutput, ReadsTheOutputOfAProgramThatEndsWellInTime) {
    test::TempDir dir;
    const auto script = [&](const std::string& name, const std::string& body) {
        test::WriteFile(dir / name, "#!/bin/sh\n" + body + "\n");
        chmod((dir / name).c_str(), 0700);
        return (dir / name).string();
    };
    const std::string echo = script("echo", "echo \"$@\"; echo 你好 >&2");
    EXPECT_EQ(ReadDocText("/some where/a.doc", echo), "-w 0 -m UTF-8.txt -- /some where/a.doc\n");
    using std::chrono::milliseconds;
    const std::pair<std::string, std::size_t> failing[] = {
        {script("fail", "echo half; exit 1"), 100},
        {script("sleeper", "echo started; exec sleep 10"), 100},
        {script("chatty", "head -c 5000 /dev/zero"), 4096},
        {(dir / "absent").string(), 100},
    };
    for (const auto& [program, cap] : failing) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RunProgramOutput(program, {}, milliseconds(300), cap), std::nullopt) << program;
        EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(3000)) << program;
    }
}

}  // namespace
}  // namespace xunda
