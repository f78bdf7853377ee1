#include "compose/number_tidy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/codepage.h"
#include "support/temp_dir.h"

namespace xunda {
namespace {

using test::TempDir;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The UTF-16 form of a text behind its byte-order mark.
std::string Utf16WithBom(const std::string& utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : Utf8ToUtf16(utf8))
        bytes += bigEndian ? std::string{char(c >> 8), char(c)} : std::string{char(c), char(c >> 8)};
    return bytes;
}

TEST(TidyMobs, CountsLinesSortsAndRemovesRepeats) {
    const std::pair<const char*, std::size_t> lines[] = {
        {"", 0}, {"a", 1}, {"a\n", 1}, {"a\n\n", 2}, {"a\r\nb\rc", 3}};
    for (const auto& [text, count] : lines) EXPECT_EQ(MemoLineCount(text), count) << text;
    EXPECT_THAT(TidyMobs("a: 13912345678, b: 0755-12345678\nc: 01012345678 13912345678\r13812345678"),
                ElementsAre("01012345678", "075512345678", "13812345678", "13912345678"));
    EXPECT_THAT(TidyMobs("hello\nworld\n"), IsEmpty());
}

TEST(ImportMobsFile, ReadsTextFilesInEveryInputEncoding) {
    TempDir dir;
    const std::pair<std::string, std::string> files[] = {
        {"utf8.csv", "\xEF\xBB\xBF张三,13912345678\r\n李四（010）12345678\r\n"},
        {"gbk.txt", Utf8ToGbk("张三 13912345678\r\n李四（010）12345678\r\n")},
        {"le.html", Utf16WithBom("<td>张三13912345678</td>\n<td>010-12345678</td>\n", false)},
        {"be.xml", Utf16WithBom("<m>张三13912345678</m>\r<m>李四010-12345678</m>", true)},
        {"plain.txt", "客户 13912345678\n01012345678 13912345678"},  // UTF-8 without a byte-order mark
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(dir / name, bytes);
        EXPECT_THAT(ImportMobsFile(dir / name), ElementsAre("01012345678", "13912345678")) << name;
    }
    EXPECT_THROW(ImportMobsFile(dir / "missing.txt"), std::runtime_error);  // unreadable: refused
}

TEST(ImportMobsFile, TheContentDecidesTheReaderAndTheExtensionBreaksTies) {
    TempDir dir;
    const std::string ole2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest of a compound file";
    std::filesystem::create_directory(dir / "x.doc");
    using File = std::pair<std::string, std::string>;
    for (const auto& [name, bytes] :
         {File{"x.doc/plain.txt", "13812345678\n"}, File{"html.xls", "<td>13812345678</td>"},
          File{"a.XLSX", ole2}, File{"a.Doc", ole2}, File{"a.bin", ole2},
          File{"a.zip", "PK\x03\x04 13812345678"}})
        WriteFile(dir / name, bytes);
    std::vector<std::string> asked;
    const auto reader = [&asked](const char* what, bool readable) {
        return [&asked, what, readable](const std::filesystem::path& file, const ItemSink& item) {
            asked.push_back(what + file.filename().string());
            item("13912345678");  // dropped when the reader then fails
            return readable;
        };
    };
    const OfficeReaders readers{reader("cells:", false), reader("text:", true)};
    using Asked = std::pair<const char*, std::vector<std::string>>;
    // The content decides (a.zip holds text lines); a.Doc is read as text, the unknown a.bin by both.
    for (const auto& [name, readersAsked] :
         {Asked{"x.doc/plain.txt", {}}, Asked{"html.xls", {}}, Asked{"a.zip", {}},
          Asked{"a.Doc", {"text:a.Doc"}}, Asked{"a.bin", {"cells:a.bin", "text:a.bin"}}}) {
        asked.clear();
        EXPECT_EQ(ImportMobsFile(dir / name, readers).size(), 1u) << name;
        EXPECT_EQ(asked, readersAsked) << name;
    }
    // A workbook its reader cannot read is refused with the notice, not taken as "no numbers".
    try {
        ImportMobsFile(dir / "a.XLSX", readers);
        ADD_FAILURE() << "an unreadable workbook was taken";
    } catch (const FileReadError& e) {
        EXPECT_EQ(e.what(), "文件读取失败: " + (dir / "a.XLSX").string());
    }
}

}  // namespace
}  // namespace xunda
