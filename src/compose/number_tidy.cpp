#include "compose/number_tidy.h"

#include <algorithm>
#include <cstdint>

#include "compose/number_extract.h"
#include "compose/office_readers.h"
#include "core/input_text.h"

namespace xunda {
namespace {

// The numbers found in texts, held as keys of 8 bytes rather than strings, so that a file of
// millions of lines costs little more than its distinct numbers: repeats are dropped whenever the
// list is full, before it grows.
class MobCollector {
  public:
    void Add(std::string_view text) {
        VisitMobs(text, [this](std::string_view mob) {
            if (keys_.size() == keys_.capacity()) {
                SortDistinct();
                if (keys_.size() > keys_.capacity() / 2) keys_.reserve(2 * keys_.capacity());
            }
            keys_.push_back(Key(mob));
        });
    }
    // The numbers sorted as text in ascending order, each once.
    std::vector<std::string> SortedDistinct() {
        SortDistinct();
        std::vector<std::string> mobs;
        mobs.reserve(keys_.size());
        for (std::uint64_t key : keys_) mobs.push_back(Text(key));
        return mobs;
    }
    void Clear() { keys_ = {}; }

  private:
    // A number (all digits; the tables make at most 12) as its digits padded with zeros to kDigits,
    // times 32, plus its length: keys sort as the texts do, a number before a longer one it begins.
    static constexpr std::size_t kDigits = 17;
    static std::uint64_t Key(std::string_view mob) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < kDigits; ++i) value = value * 10 + (i < mob.size() ? mob[i] - '0' : 0);
        return value * 32 + mob.size();
    }
    static std::string Text(std::uint64_t key) {
        char digits[kDigits];  // made whole first: a number of up to 15 digits needs no heap block
        for (std::uint64_t value = key / 32, i = kDigits; i-- > 0; value /= 10)
            digits[i] = static_cast<char>('0' + value % 10);
        return std::string(digits, key % 32);
    }
    void SortDistinct() {
        std::sort(keys_.begin(), keys_.end());
        keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    }

    std::vector<std::uint64_t> keys_;
};

// Collects the numbers of the file's items.
void CollectFileMobs(const std::filesystem::path& file, const OfficeReaders& readers, MobCollector& mobs) {
    const auto read = [&](const auto& reader) {
        const bool ok = reader && reader(file, [&mobs](std::string_view item) { mobs.Add(item); });
        if (!ok) mobs.Clear();
        return ok;
    };
    bool ok = true;
    switch (DetectOfficeKind(file)) {
        case OfficeKind::Text:
            try {
                ReadInputText(file, [&mobs](std::string_view lines) {
                    for (std::string_view line : SplitLines(lines)) mobs.Add(line);
                });
            } catch (const std::exception&) {
                ok = false;
            }
            break;
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
    MobCollector mobs;
    for (std::string_view item : items) mobs.Add(item);
    return mobs.SortedDistinct();
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
    MobCollector mobs;
    CollectFileMobs(file, readers, mobs);
    return mobs.SortedDistinct();
}

}  // namespace xunda
