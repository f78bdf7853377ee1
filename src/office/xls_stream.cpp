#include "office/xls_stream.h"

#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "core/codepage.h"
#include "core/unicode.h"
#include "office/cell_text.h"
#include "office/compound_file.h"

namespace xunda {
namespace {

enum RecordId : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kCodePage = 0x0042,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kXf = 0x00E0,
    kRString = 0x00D6,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

struct Record {
    std::uint16_t id;
    std::string_view body;
    std::size_t bodyAt;  // where the body starts in the stream
};

Record RecordAt(std::string_view stream, std::size_t at) {
    const std::uint16_t id = U16(stream, at), length = U16(stream, at + 2);
    if (stream.size() - at - 4 < length) throw std::runtime_error("workbook record cut short");
    return {id, stream.substr(at + 4, length), at + 4};
}

std::uint8_t U8(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) throw std::runtime_error("workbook record cut short");
    return static_cast<std::uint8_t>(bytes[at]);
}

double F64(std::string_view bytes, std::size_t at) {
    const std::uint64_t bits = U32(bytes, at) | std::uint64_t{U32(bytes, at + 4)} << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// An RK number: a 30-bit integer or the high 30 bits of a double, divided by 100 when flagged.
double Rk(std::uint32_t rk) {
    double value;
    if (rk & 2) {
        value = static_cast<std::int32_t>(rk) >> 2;
    } else {
        const std::uint64_t bits = std::uint64_t{rk & 0xFFFFFFFCu} << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return rk & 1 ? value / 100 : value;
}

// Reads a record's body and goes on into the CONTINUE records that follow it.
class Cursor {
  public:
    Cursor(std::string_view stream, const Record& record, XlsTextForm form, std::size_t skip = 0)
        : stream_(stream), form_(form), at_(record.bodyAt + skip), end_(record.bodyAt + record.body.size()) {
        if (skip > record.body.size()) throw std::runtime_error("workbook record cut short");
    }

    // Whether the record and its continuations are read through.
    bool AtEnd() { return at_ == end_ && !NextPart(); }

    std::uint32_t Number(int bytes) {
        std::uint32_t value = 0;
        for (int k = 0; k < bytes; ++k) value |= std::uint32_t{Byte()} << 8 * k;
        return value;
    }

    // A string: its character count (`countBytes` of them), then in BIFF8 its flags, the
    // characters, its formatting runs and phonetic extension (skipped); in BIFF5 its bytes.
    std::string String(int countBytes = 2) {
        const std::size_t count = Number(countBytes);
        // BIFF5: bytes, going on over continuations as they are.
        if (form_ == XlsTextForm::Gbk) {
            std::string bytes;
            while (bytes.size() < count) bytes += static_cast<char>(Byte());
            return GbkToUtf8(bytes);
        }
        if (form_ == XlsTextForm::Latin1) {
            std::u16string units;
            while (units.size() < count) units += Byte();
            return Utf16ToUtf8(units);
        }
        const std::uint8_t flags = Byte();
        const std::uint64_t runs = flags & 8 ? Number(2) : 0, extension = flags & 4 ? Number(4) : 0;
        std::string text = Characters(count, flags & 1);
        Skip(4 * runs + extension);
        return text;
    }

  private:
    bool NextPart() {
        if (end_ + 4 > stream_.size() || U16(stream_, end_) != kContinue) return false;
        const Record next = RecordAt(stream_, end_);
        at_ = next.bodyAt;
        end_ = at_ + next.body.size();
        return true;
    }
    std::uint8_t Byte() {
        while (at_ == end_)
            if (!NextPart()) throw std::runtime_error("workbook record cut short");
        return static_cast<std::uint8_t>(stream_[at_++]);
    }
    void Skip(std::uint64_t bytes) {
        while (bytes > 0) {
            if (at_ == end_ && !NextPart()) throw std::runtime_error("workbook record cut short");
            const std::size_t step = std::min<std::uint64_t>(bytes, end_ - at_);
            at_ += step;
            bytes -= step;
        }
    }
    // BIFF8 characters of one or two bytes each; where a continuation takes over, a flags byte
    // there says which.
    std::string Characters(std::size_t count, bool wide) {
        std::u16string units;
        while (units.size() < count) {
            if (at_ == end_) {
                if (!NextPart()) throw std::runtime_error("workbook string cut short");
                wide = Byte() & 1;
            } else if (wide) {
                if (end_ - at_ < 2) throw std::runtime_error("workbook string cut short");
                units += static_cast<char16_t>(U16(stream_, at_));
                at_ += 2;
            } else {
                units += static_cast<unsigned char>(stream_[at_++]);
            }
        }
        return Utf16ToUtf8(units);
    }

    std::string_view stream_;
    XlsTextForm form_;
    std::size_t at_, end_;
};

// Calls `each` for the records of the substream whose BOF record is at `at`, up to its EOF, while
// it returns true; the records of substreams inside it (a chart's) are passed over. The substream
// must end before `limit`. Returns where the next record starts.
template <typename Each>
std::size_t ForEachRecord(std::string_view stream, std::size_t at, std::size_t limit, Each each) {
    for (int depth = 0;;) {
        if (at >= limit) throw std::runtime_error("workbook substream without its end");
        const Record record = RecordAt(stream, at);
        at = record.bodyAt + record.body.size();
        if (depth == 0 && record.id != kBof) throw std::runtime_error("workbook substream without BOF");
        if (record.id == kBof)
            ++depth;
        else if (record.id == kEof && --depth == 0)
            return at;
        else if (depth == 1 && !each(record))
            return at;
    }
}

// The version of the BIFF8 or BIFF5 substream of that type whose BOF record is at `at`.
std::uint16_t BofVersion(std::string_view stream, std::size_t at, std::uint16_t type) {
    const Record bof = RecordAt(stream, at);
    const std::uint16_t version = U16(bof.body, 0);
    if (bof.id != kBof || (version != 0x0600 && version != 0x0500) || U16(bof.body, 2) != type)
        throw std::runtime_error("no BIFF8 or BIFF5 workbook");
    return version;
}

}  // namespace

XlsWorkbook::XlsWorkbook(std::string stream, CellTexts texts)
    : stream_(std::move(stream)), styles_({}, {}, false, texts) {
    const std::string_view s = stream_;
    const std::uint16_t version = BofVersion(s, 0, 0x0005);
    form_ = version == 0x0600 ? XlsTextForm::Biff8 : XlsTextForm::Gbk;  // BIFF5: the system's code page
    std::map<int, std::string> formats;
    std::vector<int> xfFormats;
    bool date1904 = false;
    const std::size_t globalsEnd = ForEachRecord(s, 0, s.size(), [&](const Record& r) {
        switch (r.id) {
            case kFilePass:
                throw std::runtime_error("encrypted workbook");
            case kDateMode:
                date1904 = U16(r.body, 0) == 1;
                break;
            case kCodePage:
                if (form_ != XlsTextForm::Biff8)
                    form_ = U16(r.body, 0) == 936 ? XlsTextForm::Gbk : XlsTextForm::Latin1;
                break;
            case kFormat: {
                Cursor c(s, r, form_);
                const auto id = static_cast<std::uint16_t>(c.Number(2));
                formats[id] = c.String(form_ == XlsTextForm::Biff8 ? 2 : 1);
                break;
            }
            case kXf:
                xfFormats.push_back(U16(r.body, 2));
                break;
            case kBoundSheet:
                if (U8(r.body, 5) == 0) sheets_.push_back(U32(r.body, 0));  // a worksheet, not a chart
                break;
            case kSst: {
                Cursor c(s, r, form_, 8);
                for (std::uint32_t i = 0, declared = U32(r.body, 4); i < declared && !c.AtEnd(); ++i)
                    strings_.Add(c.String());
                break;
            }
            default:
                break;
        }
        return true;
    });
    if (sheets_.empty()) throw std::runtime_error("no worksheet");
    // Sheets follow the globals and each other, so that no record is read twice.
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (sheets_[i] < (i == 0 ? globalsEnd : sheets_[i - 1] + std::size_t{1}))
            throw std::runtime_error("worksheets out of order");
    styles_ = CellStyles(formats, xfFormats, date1904, texts);
}

bool XlsWorkbook::ReadSheet(std::size_t sheet, const CellSink& cell) const {
    const std::string_view s = stream_;
    const std::size_t start = sheets_.at(sheet),
                      limit = sheet + 1 < sheets_.size() ? sheets_[sheet + 1] : s.size();
    if (BofVersion(s, start, 0x0010) != (form_ == XlsTextForm::Biff8 ? 0x0600 : 0x0500))
        throw std::runtime_error("a worksheet of another version");
    bool going = true;
    const auto put = [&](std::size_t row, std::size_t column, std::string_view text,
                         std::size_t shared = kOwnText) {
        if (!text.empty()) going = cell({sheet, row, column, text, shared});
    };
    const auto putNumber = [&](std::string_view b, double value) {  // row, column, XF
        put(U16(b, 0), U16(b, 2), styles_.NumberText(value, U16(b, 4)));
    };
    // A text as its XF shows it: a shared string as it is keeps its number.
    const auto putText = [&](std::string_view b, std::string_view text, std::size_t shared = kOwnText) {
        if (const std::optional<std::string> shown = styles_.ShownText(text, U16(b, 4)))
            put(U16(b, 0), U16(b, 2), *shown);
        else
            put(U16(b, 0), U16(b, 2), text, shared);
    };
    std::optional<std::string_view> awaitingString;  // the row, column and XF of a formula's cell
    ForEachRecord(s, start, limit, [&](const Record& r) {
        const std::string_view b = r.body;
        switch (r.id) {
            case kLabelSst:
                if (const std::uint32_t i = U32(b, 6); i < strings_.Size()) putText(b, strings_[i], i);
                break;
            case kLabel:
            case kRString:
                putText(b, Cursor(s, r, form_, 6).String());
                break;
            case kNumber:
                putNumber(b, F64(b, 6));
                break;
            case kRk:
                putNumber(b, Rk(U32(b, 6)));
                break;
            case kMulRk:  // row, first column, (format, RK) for each column, last column
                for (std::size_t k = 0; going && 6 * k + 12 <= b.size(); ++k)
                    put(U16(b, 0), U16(b, 2) + k,
                        styles_.NumberText(Rk(U32(b, 6 + 6 * k)), U16(b, 4 + 6 * k)));
                break;
            case kFormula:  // a cached number, or a type and its value in a marked double
                if (U16(b, 12) != 0xFFFF)
                    putNumber(b, F64(b, 6));
                else if (U8(b, 6) == 0)  // a text, in the STRING record that follows
                    awaitingString.emplace(b.substr(0, 6));
                else if (U8(b, 6) == 1)
                    put(U16(b, 0), U16(b, 2), BoolCellText(U8(b, 8) != 0));
                break;
            case kString:
                if (awaitingString) putText(*awaitingString, Cursor(s, r, form_).String());
                awaitingString.reset();
                break;
            case kBoolErr:  // a value and whether it is an error code
                if (U8(b, 7) == 0) put(U16(b, 0), U16(b, 2), BoolCellText(U8(b, 6) != 0));
                break;
            default:
                break;
        }
        return going;
    });
    return going;
}

}  // namespace xunda
