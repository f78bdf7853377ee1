#include "compose/number_tidy.h"

#include <algorithm>
#include <iterator>

#include "compose/number_extract.h"
#include "compose/office_readers.h"
#include "core/codepage.h"
#include "core/stream.h"

namespace xunda {
namespace {

std::vector<std::string> ReadItems(const std::filesystem::path& file, const OfficeReaders& readers) {
    const auto read = [&file](const auto& reader) {
        return reader ? reader(file) : std::optional<std::vector<std::string>>();
    };
    std::optional<std::vector<std::string>> items;
    switch (DetectOfficeKind(file)) {
        case OfficeKind::Text: {
            MemoryStream bytes;
            try {
                bytes.LoadFromFile(file);
            } catch (const std::exception&) {
                throw FileReadError(file);
            }
            const std::string text = DecodeInputBytes(bytes.Bytes());
            items.emplace();
            for (std::string_view line : SplitLines(text)) items->emplace_back(line);
            break;
        }
        case OfficeKind::Workbook: items = read(readers.readExcelCells); break;
        case OfficeKind::Document: items = read(readers.readWordText); break;
        case OfficeKind::Either:
            items = read(readers.readExcelCells);
            if (!items) items = read(readers.readWordText);
            break;
    }
    if (!items) throw FileReadError(file);
    return std::move(*items);
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::size_t MemoLineCount(std::string_view memoText) {
    return SplitLines(memoText).size();
}

std::string MobLinesCaption(std::string_view memoText) {
    return "手机号码行数(" + std::to_string(MemoLineCount(memoText)) + ")";
}

std::vector<std::string> DistinctSortedMobs(const std::vector<std::string_view>& items) {
    std::vector<std::string> mobs;
    for (std::string_view item : items) {
        std::vector<std::string> found = ExtractMobs(item);
        std::move(found.begin(), found.end(), std::back_inserter(mobs));
    }
    std::sort(mobs.begin(), mobs.end());
    mobs.erase(std::unique(mobs.begin(), mobs.end()), mobs.end());
    return mobs;
}

std::vector<std::string> TidyMobs(std::string_view memoText) {
    return DistinctSortedMobs(SplitLines(memoText));
}

OfficeReaders DefaultOfficeReaders() {
    return {.readExcelCells = ReadExcelCells, .readWordText = ReadWordText};
}

FileReadError::FileReadError(const std::filesystem::path& file)
    : std::runtime_error("文件读取失败: " + file.string()) {}

std::vector<std::string> ImportMobsFile(const std::filesystem::path& file, const OfficeReaders& readers) {
    const std::vector<std::string> items = ReadItems(file, readers);
    return DistinctSortedMobs(std::vector<std::string_view>(items.begin(), items.end()));
}

}  // namespace xunda
