#include "compose/number_tidy.h"

#include <algorithm>
#include <iterator>

#include "compose/number_extract.h"
#include "compose/office_readers.h"
#include "core/codepage.h"
#include "core/stream.h"

namespace xunda {
namespace {

// Appends the numbers of a text to `mobs`.
void AddMobs(std::string_view text, std::vector<std::string>& mobs) {
    std::vector<std::string> found = ExtractMobs(text);
    std::move(found.begin(), found.end(), std::back_inserter(mobs));
}

void SortDistinct(std::vector<std::string>& mobs) {
    std::sort(mobs.begin(), mobs.end());
    mobs.erase(std::unique(mobs.begin(), mobs.end()), mobs.end());
}

// The numbers of the file's items, not yet sorted.
std::vector<std::string> FileMobs(const std::filesystem::path& file, const OfficeReaders& readers) {
    std::vector<std::string> mobs;
    const auto read = [&](const auto& reader) {
        const bool ok = reader && reader(file, [&mobs](std::string_view item) { AddMobs(item, mobs); });
        if (!ok) mobs.clear();
        return ok;
    };
    bool ok = true;
    switch (DetectOfficeKind(file)) {
        case OfficeKind::Text: {
            MemoryStream bytes;
            try {
                bytes.LoadFromFile(file);
            } catch (const std::exception&) {
                throw FileReadError(file);
            }
            const std::string text = DecodeInputBytes(bytes.Bytes());
            if (text.find('\0') != std::string::npos) throw FileReadError(file);  // binary, not text
            for (std::string_view line : SplitLines(text)) AddMobs(line, mobs);
            break;
        }
        case OfficeKind::Workbook:
            ok = read(readers.readExcelCells);
            break;
        case OfficeKind::Document:
            ok = read(readers.readWordText);
            break;
        case OfficeKind::Either:
            ok = read(readers.readExcelCells) || read(readers.readWordText);
            break;
    }
    if (!ok) throw FileReadError(file);
    return mobs;
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

std::string MobLinesCaption(std::size_t lines) {
    return "手机号码行数(" + std::to_string(lines) + ")";
}

std::vector<std::string> DistinctSortedMobs(const std::vector<std::string_view>& items) {
    std::vector<std::string> mobs;
    for (std::string_view item : items) AddMobs(item, mobs);
    SortDistinct(mobs);
    return mobs;
}

std::vector<std::string> TidyMobs(std::string_view memoText) {
    return DistinctSortedMobs(SplitLines(memoText));
}

OfficeReaders DefaultOfficeReaders() {
    return {.readExcelCells = VisitExcelCells, .readWordText = VisitWordText};
}

FileReadError::FileReadError(const std::filesystem::path& file)
    : std::runtime_error("文件读取失败: " + file.string()) {}

std::vector<std::string> ImportMobsFile(const std::filesystem::path& file, const OfficeReaders& readers) {
    std::vector<std::string> mobs = FileMobs(file, readers);
    SortDistinct(mobs);
    return mobs;
}

}  // namespace xunda
