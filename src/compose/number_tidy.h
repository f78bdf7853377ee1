// Tidying number lists: every number found in a text or a file, sorted and each kept once.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace xunda {

// The lines of a text, split at CR LF, LF or CR; a line break at the very end opens no line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The number of lines of a memo's text, an empty last line not counted.
std::size_t MemoLineCount(std::string_view memoText);
// The caption of a number memo's group box: "手机号码行数(" + line count + ")".
std::string MobLinesCaption(std::size_t lines);

// The numbers found in the items (ExtractMobs with all three tables, no filter), sorted as text in
// ascending order, each kept once.
std::vector<std::string> DistinctSortedMobs(const std::vector<std::string_view>& items);

// The tidied form of a number memo's text: DistinctSortedMobs of its lines.
std::vector<std::string> TidyMobs(std::string_view memoText);

// Receives the texts a reader finds, one at a time.
using ItemSink = std::function<void(std::string_view)>;

// Readers of workbooks and documents (office_readers.h by default); false: the file cannot be read
// that way (items handed over before that are dropped).
struct OfficeReaders {
    // Hands over the texts of all non-empty cells of every worksheet.
    std::function<bool(const std::filesystem::path&, const ItemSink&)> readExcelCells;
    // Hands over the document's whole text as one item.
    std::function<bool(const std::filesystem::path&, const ItemSink&)> readWordText;
};
OfficeReaders DefaultOfficeReaders();

// A file that could not be read; what() is the notice "文件读取失败: " + the file's name.
class FileReadError : public std::runtime_error {
  public:
    explicit FileReadError(const std::filesystem::path& file);
};

// The distinct sorted numbers of a file. Its content decides how it is read (DetectOfficeKind):
// as text lines (ReadInputText, in pieces; bytes that are no text are unreadable), as a workbook's
// cells or as a document's whole text. Throws FileReadError when the file cannot be read.
std::vector<std::string> ImportMobsFile(const std::filesystem::path& file,
                                        const OfficeReaders& readers = DefaultOfficeReaders());

}  // namespace xunda
