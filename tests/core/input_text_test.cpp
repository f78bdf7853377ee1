#include "core/input_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "core/unicode.h"
#include "support/temp_dir.h"

namespace xunda {
namespace {

using test::TempDir;
using test::WriteFile;

// The text of bytes written to a file and read in pieces of `pieceBytes`, and the pieces.
std::string ReadBytes(const std::string& bytes, std::size_t pieceBytes = 1 << 20,
                      std::vector<std::string>* pieces = nullptr) {
    TempDir dir;
    WriteFile(dir / "in.txt", bytes);
    std::string text;
    ReadInputText(
        dir / "in.txt",
        [&](std::string_view piece) {
            text += piece;
            if (pieces) pieces->emplace_back(piece);
        },
        pieceBytes);
    return text;
}

// The bytes of a text in UTF-16 or UTF-32, either order, with or without the byte-order mark.
std::string Wide(const std::string& utf8, int unitBytes, bool bigEndian, bool mark = true) {
    std::u32string chars;
    for (std::size_t i = 0; i < utf8.size(); i += DecodeUtf8(utf8, i).length) chars += DecodeUtf8(utf8, i).cp;
    std::u32string units = mark ? U"\uFEFF" : U"";
    if (unitBytes == 4) {
        units += chars;
    } else {
        for (char16_t c : Utf8ToUtf16(utf8)) units += c;
    }
    std::string bytes;
    for (char32_t u : units)
        for (int k = 0; k < unitBytes; ++k)
            bytes += static_cast<char>(u >> 8 * (bigEndian ? unitBytes - 1 - k : k));
    return bytes;
}

TEST(InputText, EveryEncodingGivesTheSameGbkSafeText) {
    const std::string text = "手机😀13812345678\r\n";
    const std::string le = Wide(text, 2, false), be = Wide(text, 2, true);
    for (const std::string& bytes :
         {text, "\xEF\xBB\xBF" + text, le, le + "x", be, le.substr(2), be.substr(2), Utf8ToGbk(text),
          Wide(text, 4, false), Wide(text, 4, true)})
        EXPECT_EQ(ReadBytes(bytes), "手机?13812345678\r\n") << bytes;
}

TEST(InputText, Utf16WithoutAMarkIsKnownByItsCharactersEvenWhenMostlyChinese) {
    const std::string chinese =
        "张三李四王五赵六钱七孙八周九吴十郑一冯二陈三褚四卫五蒋六沈七韩八杨九朱十秦尤许何吕施"
        "张孔曹严华金魏陶姜 13812345678\r\n";
    const std::string english = "the numbers are in the list below, one per line\n13812345678\n";
    for (const std::string& text : {chinese, english})
        for (const bool bigEndian : {false, true})
            EXPECT_EQ(ReadBytes(Wide(text, 2, bigEndian, false)), text) << text << bigEndian;
}

TEST(InputText, PiecesAreWholeLinesAndEveryFormIsKnownFromTheWholeFile) {
    // whole lines where a piece holds a line break, else parts; the last line needs no line break
    std::vector<std::string> pieces;
    EXPECT_EQ(ReadBytes("ab\ncdefghijkl\r\nm\rn", 4, &pieces), "ab\ncdefghijkl\r\nm\rn");
    EXPECT_EQ(pieces, (std::vector<std::string>{"ab\n", "cdefg", "hijk", "l\r\n", "m\rn"}));
    // a long line comes in parts that end after a character that is no part of a number
    pieces.clear();
    EXPECT_EQ(ReadBytes("13812345678,13912345678 1371;5", 8, &pieces), "13812345678,13912345678 1371;5");
    EXPECT_EQ(pieces, (std::vector<std::string>{"13812345678,", "13912345678 ", "1371;5"}));
    const std::string lines = "客户 13812345678\r\n（010）12345678\r\n";
    for (const std::size_t piece : {1, 3, 5, 7, 64}) {
        // UTF-8 characters cut by pieces; GBK bytes after pieces of ASCII; wide units
        EXPECT_EQ(ReadBytes(lines + lines, piece), lines + lines) << piece;
        EXPECT_EQ(ReadBytes("13812345678\r\n" + Utf8ToGbk(lines), piece), "13812345678\r\n" + lines) << piece;
        EXPECT_EQ(ReadBytes(Wide(lines, 2, true), piece), lines) << piece;
        EXPECT_EQ(ReadBytes(Wide(lines, 4, false), piece), lines) << piece;
    }
}

// However a line joins its numbers, the pieces stay within three pieces' bytes and hold whole
// numbers: "，" and "、", full-width brackets and dashes kept with their digits; a run of digits
// longer than two pieces is cut.
TEST(InputText, ALongLineIsCutAfterAnyCharacterThatIsNoPartOfANumber) {
    std::string line;
    for (int i = 0; i < 200; ++i) line += (i % 2 ? "13812345678，" : "（010）－12345678、");
    const std::string digits(100, '1');
    const std::pair<std::string, std::string> files[] = {
        {line, line}, {Utf8ToGbk(line), line}, {Wide(line, 2, false), line}, {digits, digits}};
    for (const auto& [bytes, text] : files) {
        std::vector<std::string> pieces;
        EXPECT_EQ(ReadBytes(bytes, 16, &pieces), text);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_LE(pieces[i].size(), 3u * 16 * 3 / 2) << pieces[i];  // GBK and UTF-16 make more UTF-8
            if (text == line && i + 1 < pieces.size()) {
                EXPECT_TRUE(pieces[i].ends_with("，") || pieces[i].ends_with("、")) << pieces[i];
            }
        }
    }
}

// A UTF-32 text whose last unit is cut short: no byte past it is read and no character added.
TEST(InputText, AUtf32UnitCutShortAtTheEndIsDropped) {
    const std::string bytes = Wide("13812345678", 4, false, false) + "\x31\0";
    const std::unique_ptr<char[]> exact(new char[bytes.size()]);
    bytes.copy(exact.get(), bytes.size());
    EXPECT_EQ(WideToUtf8(std::string_view(exact.get(), bytes.size()), WideForm::Utf32Le), "13812345678");
    EXPECT_EQ(ReadBytes(Wide("13812345678", 4, true) + "\0\0"), "13812345678");
}

TEST(InputText, ZeroBytesThatAreNoWideTextAreNoText) {
    const std::string binary = std::string("\x01\x00\x02\x00\xFF\xD8\xFF\xE0", 8) + "13812345678";
    EXPECT_THROW(ReadBytes(binary + "x"), std::runtime_error);
    EXPECT_THROW(ReadBytes(std::string(1 << 10, 'a') + '\0', 64),
                 std::runtime_error);  // past the first piece
    TempDir dir;
    EXPECT_THROW(ReadInputText(dir / "missing.txt", [](std::string_view) {}), std::runtime_error);
}

}  // namespace
}  // namespace xunda
