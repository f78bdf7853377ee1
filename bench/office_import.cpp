// Importing the numbers of a 100,000 x 5 and a 300,000 x 10 workbook against `unzip -p | grep -oE
// | sort -u` on the same file, and the peak memory of the import and of the Excel page's grid for
// 10,000 to 300,000 rows (flat for the import: the sheet is read row by row). Then workbooks that
// pack far better than 64:1, files of one shared string in many cells and hostile files, each read
// in a child whose peak memory and time are reported: 256 MiB for the shared string; for the
// hostile files, an .xls read or refused in 64 MiB + 4x its size, an .xlsx of up to 1 MB in
// 256 MiB; their time shows what the inflation bound gives (64 MiB for what makes nothing, 2 GiB
// at most). The workbooks are written at the start, in a temporary folder.
#include <malloc.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "bench_times.h"
#include "compose/number_tidy.h"
#include "compose/office_readers.h"

namespace {

using namespace xunda;
using namespace xunda::bench;

// A package of the given members (name, text), stored deflated.
void WritePackage(const std::filesystem::path& file, const std::map<std::string, std::string>& parts) {
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, text] : parts) {
        const zip_int64_t index =
            zip_file_add(archive, name.c_str(), zip_source_buffer(archive, text.data(), text.size(), 0), 0);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 name.ends_with(".bin") ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
    }
    zip_close(archive);
}

// A workbook as spreadsheet programs write it: the phone as a number, a name and a text with a
// fixed-line number as shared strings, a date and an amount; with 10 columns also a city and a
// remark among a few shared ones, a postcode, a count and an inline code.
void WriteWorkbook(const std::filesystem::path& file, int rows, int columns) {
    std::string sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns="
        "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    std::string strings =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns="
        "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    const std::string span = columns == 10 ? "1:10" : "1:5";
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        const std::string at = std::to_string(2 * r - 2), at2 = std::to_string(2 * r - 1);
        sheet += "<row r=\"" + n + "\" spans=\"" + span + "\"><c r=\"A" + n + "\"><v>139" +
                 std::to_string(10000000 + r) + "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" + at +
                 "</v></c><c r=\"C" + n + "\" t=\"s\"><v>" + at2 + "</v></c><c r=\"D" + n + "\" s=\"1\"><v>" +
                 std::to_string(45000 + r % 1000) + "</v></c><c r=\"E" + n + "\"><v>" +
                 std::to_string(r % 977) + ".25</v></c>";
        if (columns == 10)
            sheet += "<c r=\"F" + n + "\" t=\"s\"><v>" + std::to_string(2 * rows + r % 50) +
                     "</v></c><c r=\"G" + n + "\"><v>" + std::to_string(510000 + r % 9000) +
                     "</v></c><c r=\"H" + n + "\" t=\"s\"><v>" + std::to_string(2 * rows + 50 + r % 20) +
                     "</v></c><c r=\"I" + n + "\"><v>" + std::to_string(r % 100) + "</v></c><c r=\"J" + n +
                     "\" t=\"inlineStr\"><is><t>KH-" + n + "</t></is></c>";
        sheet += "</row>";
        strings +=
            "<si><t>客户" + n + "</t></si><si><t>电话 0755-" + std::to_string(20000000 + r) + "</t></si>";
    }
    if (columns == 10) {
        for (int i = 0; i < 50; ++i) strings += "<si><t>城市" + std::to_string(i) + "</t></si>";
        for (int i = 0; i < 20; ++i) strings += "<si><t>备注：第" + std::to_string(i) + "类客户</t></si>";
    }
    sheet += "</sheetData></worksheet>";
    strings += "</sst>";
    const std::map<std::string, std::string> parts = {
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
         "<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/styles.xml",
         "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
        {"xl/sharedStrings.xml", strings},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    WritePackage(file, parts);
}

const TempFolder& Dir() {
    static const TempFolder dir;
    return dir;
}

// The bytes the members of a package inflate to.
double UnpackedBytes(const std::filesystem::path& file) {
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &error);
    double bytes = 0;
    zip_stat_t stat;
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i)
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) == 0)
            bytes += static_cast<double>(stat.size);
    if (archive) zip_discard(archive);
    return bytes;
}

std::filesystem::path Workbook(int rows, int columns) {
    const auto file = Dir() / ("book" + std::to_string(rows) + "x" + std::to_string(columns) + ".xlsx");
    if (!std::filesystem::exists(file)) WriteWorkbook(file, rows, columns);
    return file;
}

void ImportWorkbook(benchmark::State& state, int rows, int columns) {
    const auto file = Workbook(rows, columns);
    std::size_t found = 0;
    for (auto _ : state) found = ImportMobsFile(file).size();
    state.counters["numbers"] = static_cast<double>(found);
}

void UnzipGrepSort(benchmark::State& state, int rows, int columns) {
    TimeNumbersPipeline(state,
                        "unzip -p '" + Workbook(rows, columns).string() +
                            "' xl/worksheets/sheet1.xml xl/sharedStrings.xml | LC_ALL=C grep -oE "
                            "'1[3-8][0-9]{9}|0[1-9][0-9]{1,2}-?[0-9]{7,8}' | LC_ALL=C sort -u",
                        Dir() / "count.txt");
}

}  // namespace

std::string Repeat(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes) text += unit;
    return text;
}

std::string Random(std::size_t bytes) {
    std::string text(bytes, '\0');
    std::uint64_t x = 88172645463325252ull;
    for (char& c : text) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        c = static_cast<char>(x);
    }
    return text;
}

// The hostile packages: sheets that together make too many cells, cells far right, and files of
// 10 MB (a member of random bytes makes them large) whose sheets make nothing but would inflate
// without end: blanks in runs just short of the longest one, elements that are no cells, empty
// cells, empty rows; shared strings and styles beyond their bounds; the most time a file can take,
// its texts earning the inflation of elements that are no cells up to the 2 GiB every file stops at.
std::vector<std::pair<std::string, std::filesystem::path>> HostilePackages() {
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const auto sheet = [&](const std::string& rows) {
        return "<worksheet " + ns + "><sheetData>" + rows + "</sheetData></worksheet>";
    };
    const auto book = [&](int sheets) {
        std::string list;
        for (int i = 0; i < sheets; ++i)
            list += "<sheet name=\"S" + std::to_string(i) + "\" sheetId=\"" + std::to_string(i + 1) + "\"/>";
        return "<workbook " + ns + "><sheets>" + list + "</sheets></workbook>";
    };
    using Parts = std::map<std::string, std::string>;
    const auto twentySheets = [&] {
        Parts parts = {{"xl/workbook.xml", book(20)}};
        for (int i = 1; i <= 20; ++i)
            parts["xl/worksheets/sheet" + std::to_string(i) + ".xml"] = sheet(Repeat("<row/>", 15u << 20));
        return parts;
    };
    const auto farRight =
        [&] {  // one cell in the last column of each row: the page's grid grows by whole rows
            std::string rows;
            for (int r = 1; r <= 1000; ++r)
                rows += "<row><c r=\"XFD" + std::to_string(r) + "\"><v>1</v></c></row>";
            return Parts{{"xl/workbook.xml", book(1)}, {"xl/worksheets/sheet1.xml", sheet(rows)}};
        };
    const std::string pad = Random(10u << 20);
    const std::string start = "<row r=\"1\"><c r=\"A1\"><v>13912345678</v></c></row>";
    // 100 MiB of XML behind a 10 MB file: past what any of them may inflate to
    const auto tenMB = [&](const std::string& member, const std::string& head, const std::string& unit,
                           const std::string& tail) {
        return [=, &pad, &book, &sheet] {
            Parts parts = {{"xl/workbook.xml", book(1)}, {"xl/pad.bin", pad}};
            parts["xl/worksheets/sheet1.xml"] = sheet(start);
            parts[member] = head + Repeat(unit, 100u << 20) + tail;
            return parts;
        };
    };
    const std::string rows = "<worksheet " + ns + "><sheetData>", rowsEnd = "</sheetData></worksheet>";
    // Each text of 30,000 bytes earns 120,000 bytes of XML, each empty cell 256: elements that are
    // no cells take what they earn, up to 2 GiB (the member a little short of it) or 4,000,000 cells.
    const auto earning = [&](const std::string& unit) {
        return [=, &book, &sheet] {
            return Parts{{"xl/workbook.xml", book(1)},
                         {"xl/worksheets/sheet1.xml", sheet(start + Repeat(unit, 2040u << 20))}};
        };
    };
    const std::string text =
        "<row><c t=\"inlineStr\"><is><t>" + std::string(30000, '1') + "</t></is></c></row>";
    const std::pair<std::string, std::function<Parts()>> packages[] = {
        {"20 sheets of 15 MB", twentySheets},
        {"cells far right", farRight},
        {"10 MB, blank runs of 15 MiB",
         tenMB("xl/worksheets/sheet1.xml", rows + start, std::string(15u << 20, ' ') + "<x/>", rowsEnd)},
        {"10 MB, elements no cells", tenMB("xl/worksheets/sheet1.xml", rows + start, "<x/>", rowsEnd)},
        {"10 MB, empty cells",
         tenMB("xl/worksheets/sheet1.xml", rows, "<row>" + Repeat("<c/>", 64000) + "</row>", rowsEnd)},
        {"10 MB, empty rows", tenMB("xl/worksheets/sheet1.xml", rows + start, "<row/>", rowsEnd)},
        {"10 MB, shared strings",
         tenMB("xl/sharedStrings.xml", "<sst " + ns + ">", "<si><t>1</t></si>", "</sst>")},
        {"10 MB, styles",
         tenMB("xl/styles.xml", "<styleSheet " + ns + "><cellXfs>", "<xf/>", "</cellXfs></styleSheet>")},
        {"texts earning 2 GiB", earning(text + Repeat("<x/>", 90000))},
        {"empty cells earning 1 GiB", earning("<row><c/>" + Repeat("<x/>", 240) + "</row>")},
    };
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    for (const auto& [name, parts] : packages) {
        files.emplace_back(name, Dir() / ("hostile" + std::to_string(files.size()) + ".xlsx"));
        WritePackage(files.back().second, parts());
    }
    return files;
}

// Sixteen sheets each declaring cells up to IV65536 (4.2 GB for a reader that reserved them): the
// DIMENSIONS records of a workbook written by hand in a compound file of 512-byte sectors.
std::filesystem::path DeclaringXls() {
    std::string stream;
    const auto record = [&](std::uint16_t id, const std::string& body) {
        stream += {static_cast<char>(id), static_cast<char>(id >> 8), static_cast<char>(body.size()),
                   static_cast<char>(body.size() >> 8)};
        stream += body;
    };
    const auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    const std::string bof = std::string("\x00\x06\x05\x00", 4) + std::string(12, '\0');
    record(0x0809, bof);
    std::vector<std::size_t> sheetAt;
    for (int s = 0; s < 16; ++s) {
        sheetAt.push_back(stream.size());
        record(0x0085, u32(0) + std::string("\x00\x00\x02\x00S", 5) + char('A' + s));
    }
    record(0x000A, "");
    for (int s = 0; s < 16; ++s) {
        const std::string at = u32(static_cast<std::uint32_t>(stream.size()));
        stream.replace(sheetAt[s] + 4, 4, at);
        record(0x0809, std::string("\x00\x06\x10\x00", 4) + std::string(12, '\0'));
        record(0x0200, u32(0) + u32(65536) + std::string("\x00\x00\x00\x01\x00\x00", 6));
        record(0x000A, "");
    }
    stream.resize((stream.size() + 4095) / 4096 * 4096, '\0');  // a full-size stream, not a mini one
    const std::size_t sectors = stream.size() / 512;
    // sector 0: FAT; 1: directory; 2..: the stream
    std::string fat;
    fat += u32(0xFFFFFFFD) + u32(0xFFFFFFFE);
    for (std::size_t i = 0; i < sectors; ++i)
        fat += u32(i + 1 < sectors ? static_cast<std::uint32_t>(i + 3) : 0xFFFFFFFE);
    fat.resize(512, '\xFF');
    const auto entry = [&](const std::string& name, char type, std::uint32_t start, std::uint32_t size) {
        std::string e(128, '\0');
        for (std::size_t i = 0; i < name.size(); ++i) e[2 * i] = name[i];
        e[64] = static_cast<char>(2 * (name.size() + 1));
        e[66] = type;
        e.replace(68, 12, u32(0xFFFFFFFF) + u32(0xFFFFFFFF) + u32(type == 5 ? 1 : 0xFFFFFFFF));
        e.replace(116, 8, u32(start) + u32(size));
        return e;
    };
    std::string directory = entry("Root Entry", 5, 0xFFFFFFFE, 0) +
                            entry("Workbook", 2, 2, static_cast<std::uint32_t>(stream.size()));
    directory.resize(512, '\0');
    std::string header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    header.replace(24, 10, std::string("\x3E\x00\x03\x00\xFE\xFF\x09\x00\x06\x00", 10));
    header.replace(44, 8, u32(1) + u32(1));
    header.replace(56, 20, u32(4096) + u32(0xFFFFFFFE) + u32(0) + u32(0xFFFFFFFE) + u32(0));
    header.replace(76, 4, u32(0));
    for (std::size_t at = 80; at < 512; at += 4) header.replace(at, 4, u32(0xFFFFFFFF));
    const auto file = Dir() / "declaring.xls";
    std::ofstream(file, std::ios::binary) << header << fat << directory << stream;
    return file;
}

// Reads the file in a child, as the number import (or the Excel page: the first sheet's grid):
// its peak resident memory, its time and whether it read the file (result 1). No file: a child that
// reads nothing, the idle process.
ChildRun ReadInChild(const std::filesystem::path& file, bool grid) {
    return RunInChild([&]() -> std::uint64_t {
        try {
            if (file.empty()) return 1;
            if (grid) return ReadFirstSheet(file) ? 1 : 0;
            ImportMobsFile(file);
            return 1;
        } catch (const FileReadError&) {
            return 0;
        }
    });
}

// Each file through the number import and the Excel page: read or refused, the peak memory above
// the idle process against `limitMiB` (0: none) and the time against 5 s.
void ReportChildren(const std::vector<std::pair<std::string, std::filesystem::path>>& files,
                    double (*limitMiB)(const std::filesystem::path&)) {
    malloc_trim(0);  // a child must not find the files' text freed but resident to allocate into
    const long base = ReadInChild({}, false).peakKiB;
    for (const auto& [name, file] : files) {
        const auto size = std::filesystem::file_size(file);
        const double limit = limitMiB(file);
        const std::string limitText = limit > 0 ? std::to_string(static_cast<int>(limit)) + " MiB" : "none";
        for (const bool grid : {false, true}) {
            const ChildRun run = ReadInChild(file, grid);
            std::printf("  %-28s %8.1f KB %-7s %-8s %7.1f MiB (limit %s), %.2f s\n", grid ? "" : name.c_str(),
                        size / 1024.0, grid ? "page:" : "import:", run.result == 1 ? "read," : "refused,",
                        (run.peakKiB - base) / 1024.0, limitText.c_str(), run.seconds);
        }
    }
}

// An .xls read or refused in 64 MiB + 4x its size, an .xlsx of up to 1 MB in 256 MiB.
double HostileLimitMiB(const std::filesystem::path& file) {
    const auto size = std::filesystem::file_size(file);
    if (file.extension() == ".xls") return 64.0 + 4.0 * size / 1048576.0;
    return size <= (1u << 20) ? 256.0 : 0.0;
}

// Workbooks that pack far better than 64:1, as common writers store them (every text inline, a
// Chinese text as numeric references): 100,000 rows of a phone number and the same text of 140
// characters, 12,000 rows of one text of 560 characters each.
std::vector<std::pair<std::string, std::filesystem::path>> WellPackedWorkbooks() {
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const std::u32string phrase =
        U"尊敬的客户您好，本店春季新品上市，全场八折，会员再享九五折，详情请咨询门店。";
    std::string text140;
    for (int i = 0; i < 140; ++i)
        text140 += "&#" + std::to_string(static_cast<unsigned>(phrase[i % phrase.size()])) + ";";
    std::string phones, texts;
    for (int r = 1; r <= 100000; ++r)
        phones += "<row r=\"" + std::to_string(r) + "\"><c><v>" + std::to_string(13900000000 + r) +
                  "</v></c><c t=\"inlineStr\"><is><t>" + text140 + "</t></is></c></row>";
    for (int r = 1; r <= 12000; ++r)
        texts += "<row r=\"" + std::to_string(r) + "\"><c t=\"inlineStr\"><is><t>第" + std::to_string(r) +
                 "条 " + Repeat(text140, 4 * text140.size()) + " 13800000000</t></is></c></row>";
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    for (const auto& [name, rows] :
         {std::pair{"100,000 phones and texts", &phones}, {"12,000 long texts", &texts}}) {
        files.emplace_back(name, Dir() / ("packed" + std::to_string(files.size()) + ".xlsx"));
        WritePackage(files.back().second,
                     {{"xl/workbook.xml",
                       "<workbook " + ns + "><sheets><sheet name=\"A\" sheetId=\"1\"/></sheets></workbook>"},
                      {"xl/worksheets/sheet1.xml",
                       "<worksheet " + ns + "><sheetData>" + *rows + "</sheetData></worksheet>"}});
        std::printf("  %s: %.1f MB, %.1f MB unpacked\n", name,
                    std::filesystem::file_size(files.back().second) / 1e6,
                    UnpackedBytes(files.back().second) / 1e6);
    }
    return files;
}

// One string of 12 MiB shown in many cells: a 14 KB file with 50 or 200 such cells, a 24 KB one
// with 2,000.
std::vector<std::pair<std::string, std::filesystem::path>> AmplifiedStrings() {
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    for (const int cells : {50, 200, 2000}) {
        std::string rows;
        for (int r = 1; r <= cells; ++r)
            rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
                    "\" t=\"s\"><v>0</v></c></row>";
        const std::map<std::string, std::string> parts = {
            {"xl/workbook.xml",
             "<workbook " + ns + "><sheets><sheet name=\"A\" sheetId=\"1\"/></sheets></workbook>"},
            {"xl/worksheets/sheet1.xml",
             "<worksheet " + ns + "><sheetData>" + rows + "</sheetData></worksheet>"},
            {"xl/sharedStrings.xml",
             "<sst " + ns + "><si><t>" + Repeat("13912345678 ", 12u << 20) + "</t></si></sst>"},
        };
        files.emplace_back("12 MiB string in " + std::to_string(cells) + " cells",
                           Dir() / ("amplified" + std::to_string(cells) + ".xlsx"));
        WritePackage(files.back().second, parts);
    }
    return files;
}

int main(int argc, char** argv) {
    for (const auto& [rows, columns] : {std::pair{10000, 5}, {100000, 5}, {300000, 10}})
        Workbook(rows, columns);
    for (const auto& [rows, columns, iterations] : {std::tuple{100000, 5, 3}, {300000, 10, 2}}) {
        const std::string size = std::to_string(rows) + "x" + std::to_string(columns);
        benchmark::RegisterBenchmark(("import_xlsx_" + size).c_str(), ImportWorkbook, rows, columns)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
        benchmark::RegisterBenchmark(("unzip_grep_sort_u_" + size).c_str(), UnzipGrepSort, rows, columns)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    }
    const Times times = RunBenchmarks(argc, argv);
    for (const char* size : {"100000x5", "300000x10"}) {
        const double ours = times.Seconds(std::string("import_xlsx_") + size);
        const double anchor = times.Seconds(std::string("unzip_grep_sort_u_") + size);
        const auto file = Dir() / (std::string("book") + size + ".xlsx");
        std::printf(
            "import of %s .xlsx (%.1f MB, %.1f MB unpacked): %.3f s; unzip -p | grep -oE | sort -u: %.3f s; "
            "ratio %.2f (goal <= 3)\n",
            size, std::filesystem::file_size(file) / 1e6, UnpackedBytes(file) / 1e6, ours, anchor,
            anchor > 0 ? ours / anchor : 0.0);
    }

    std::printf("\nworkbooks read whole (peak memory above the idle process; goal: flat for the import):\n");
    ReportChildren({{"10,000 x 5", Workbook(10000, 5)},
                    {"100,000 x 5", Workbook(100000, 5)},
                    {"300,000 x 10", Workbook(300000, 10)}},
                   [](const std::filesystem::path&) { return 0.0; });
    std::printf("\nworkbooks that pack far better than 64:1 (goal: read):\n");
    ReportChildren(WellPackedWorkbooks(), [](const std::filesystem::path&) { return 0.0; });
    std::printf("\none shared string in many cells (goal: within 256 MiB and 5 s, refused or read):\n");
    ReportChildren(AmplifiedStrings(), [](const std::filesystem::path&) { return 256.0; });
    std::vector<std::pair<std::string, std::filesystem::path>> hostile = HostilePackages();
    hostile.emplace_back("16 sheets declaring IV65536", DeclaringXls());
    std::printf("\nhostile files (goal: within the limit; what makes nothing within 5 s):\n");
    ReportChildren(hostile, HostileLimitMiB);
    return 0;
}
