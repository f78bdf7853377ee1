// Importing the numbers of a 100,000 x 5 workbook against `unzip -p | grep -oE | sort -u` on the
// same file, and the import's peak memory for 10,000 and 100,000 rows (flat: the sheet is read
// row by row). Then hostile files, each imported in a child whose peak memory and time are set
// against the limits: an .xls read or refused in 64 MiB + 4x its size, an .xlsx of up to 1 MB in
// 256 MiB, any file of up to 10 MB in 5 s.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "bench_times.h"
#include "compose/number_tidy.h"
#include "compose/office_readers.h"

namespace {

using namespace xunda;
using namespace xunda::bench;

// A workbook as spreadsheet programs write it: the phone as a number, a name and a text with a
// fixed-line number as shared strings, a date and an amount.
void WriteWorkbook(const std::filesystem::path& file, int rows) {
    std::string sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns="
        "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    std::string strings =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns="
        "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        const std::string at = std::to_string(2 * r - 2), at2 = std::to_string(2 * r - 1);
        sheet += "<row r=\"" + n + "\" spans=\"1:5\"><c r=\"A" + n + "\"><v>139" +
                 std::to_string(10000000 + r) + "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" + at +
                 "</v></c><c r=\"C" + n + "\" t=\"s\"><v>" + at2 + "</v></c><c r=\"D" + n + "\" s=\"1\"><v>" +
                 std::to_string(45000 + r % 1000) + "</v></c><c r=\"E" + n + "\"><v>" +
                 std::to_string(r % 977) + ".25</v></c></row>";
        strings +=
            "<si><t>客户" + n + "</t></si><si><t>电话 0755-" + std::to_string(20000000 + r) + "</t></si>";
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
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, text] : parts)
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, text.data(), text.size(), 0), 0);
    zip_close(archive);
}

const TempFolder& Dir() {
    static const TempFolder dir;
    return dir;
}

std::filesystem::path Workbook(int rows) {
    const auto file = Dir() / ("book" + std::to_string(rows) + ".xlsx");
    if (!std::filesystem::exists(file)) WriteWorkbook(file, rows);
    return file;
}

void ImportWorkbook(benchmark::State& state) {
    const auto file = Workbook(100000);
    std::size_t found = 0;
    for (auto _ : state) found = ImportMobsFile(file).size();
    state.counters["numbers"] = static_cast<double>(found);
}

void UnzipGrepSort(benchmark::State& state) {
    TimeNumbersPipeline(state,
                        "unzip -p '" + Workbook(100000).string() +
                            "' xl/worksheets/sheet1.xml xl/sharedStrings.xml | LC_ALL=C grep -oE "
                            "'1[3-8][0-9]{9}|0[1-9][0-9]{1,2}-?[0-9]{7,8}' | LC_ALL=C sort -u",
                        Dir() / "count.txt");
}

// The peak resident memory (KiB) of a child that imports the workbook of `rows` rows (0: none).
long PeakKiB(int rows) {
    const auto file = rows ? Workbook(rows) : std::filesystem::path();
    const pid_t child = fork();
    if (child == 0) {
        if (rows) ImportMobsFile(file);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

}  // namespace

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

// The hostile packages, each within the inflate budget its size gives (a member of random bytes
// makes a file large enough): sheets that together inflate beyond it, empty cells, shared strings
// and styles beyond their bounds, and a 10 MB file whose sheet takes its whole budget.
std::vector<std::pair<std::string, std::filesystem::path>> HostilePackages() {
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const auto sheet = [&](const std::string& rows) {
        return "<worksheet " + ns + "><sheetData>" + rows + "</sheetData></worksheet>";
    };
    const std::string first = sheet("<row r=\"1\"><c r=\"A1\"><v>13912345678</v></c></row>");
    const auto book = [&](int sheets) {
        std::string list;
        for (int i = 0; i < sheets; ++i)
            list += "<sheet name=\"S" + std::to_string(i) + "\" sheetId=\"" + std::to_string(i + 1) + "\"/>";
        return "<workbook " + ns + "><sheets>" + list + "</sheets></workbook>";
    };
    std::map<std::string, std::string> sheets = {{"xl/workbook.xml", book(20)}};
    for (int i = 1; i <= 20; ++i)
        sheets["xl/worksheets/sheet" + std::to_string(i) + ".xml"] = sheet(Repeat("<row/>", 15u << 20));
    const std::string pad = Random(800u << 10);
    std::string farRight;  // one cell in the last column of each row: the page's grid grows by whole rows
    for (int r = 1; r <= 1000; ++r)
        farRight += "<row><c r=\"XFD" + std::to_string(r) + "\"><v>1</v></c></row>";
    const std::pair<std::string, std::map<std::string, std::string>> packages[] = {
        {"20 sheets of 15 MB", sheets},
        {"cells far right", {{"xl/workbook.xml", book(1)}, {"xl/worksheets/sheet1.xml", sheet(farRight)}}},
        {"empty cells",
         {{"xl/workbook.xml", book(1)},
          {"xl/pad.bin", pad},
          {"xl/worksheets/sheet1.xml", sheet("<row>" + Repeat("<c/>", 60u << 20) + "</row>")}}},
        {"shared strings",
         {{"xl/workbook.xml", book(1)},
          {"xl/worksheets/sheet1.xml", first},
          {"xl/pad.bin", pad},
          {"xl/sharedStrings.xml", "<sst " + ns + ">" + Repeat("<si><t>1</t></si>", 60u << 20) + "</sst>"}}},
        {"styles",
         {{"xl/workbook.xml", book(1)},
          {"xl/worksheets/sheet1.xml", first},
          {"xl/pad.bin", pad},
          {"xl/styles.xml",
           "<styleSheet " + ns + "><cellXfs>" + Repeat("<xf/>", 7u << 20) + "</cellXfs></styleSheet>"}}},
        {"10 MB, all budget",
         {{"xl/workbook.xml", book(1)},
          {"xl/pad.bin", Random(9u << 20)},
          {"xl/worksheets/sheet1.xml",
           sheet("<row r=\"1\"><c r=\"A1\"><v>13912345678</v></c></row>" + Repeat("<row/>", 63u << 20))}}},
    };
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    for (const auto& [name, parts] : packages) {
        files.emplace_back(name, Dir() / ("hostile" + std::to_string(files.size()) + ".xlsx"));
        WritePackage(files.back().second, parts);
    }
    return files;
}

// Sixteen sheets each declaring cells up to IV65536 (libfreexl would reserve 4.2 GB): the
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

struct ChildRun {
    long peakKiB;
    double seconds;
    bool read;
};

// Reads the file in a child, as the number import (or the Excel page: the first sheet's grid):
// its peak resident memory, its time and whether it read the file.
ChildRun ReadInChild(const std::filesystem::path& file, bool grid) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        try {
            if (grid) _exit(ReadFirstSheet(file) ? 0 : 1);
            ImportMobsFile(file);
        } catch (const FileReadError&) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {usage.ru_maxrss, took.count(), WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

void ReportHostile() {
    std::vector<std::pair<std::string, std::filesystem::path>> files = HostilePackages();
    files.emplace_back("16 sheets declaring IV65536", DeclaringXls());
    malloc_trim(0);  // a child must not find the files' text freed but resident to allocate into
    const long base = PeakKiB(0);
    std::printf(
        "\nhostile files, as the number import / the Excel page read them (peak memory above the idle\n"
        "process against the limit; time, goal <= 5 s):\n");
    for (const auto& [name, file] : files) {
        const auto size = std::filesystem::file_size(file);
        const bool xls = file.extension() == ".xls";
        const double limitMiB = xls ? 64.0 + 4.0 * size / 1048576.0 : size <= (1u << 20) ? 256.0 : 0.0;
        const std::string limit =
            limitMiB > 0 ? std::to_string(static_cast<int>(limitMiB)) + " MiB" : "none, > 1 MB";
        for (const bool grid : {false, true}) {
            const ChildRun run = ReadInChild(file, grid);
            std::printf("  %-28s %8.1f KB %-6s %-7s %7.1f MiB (limit %s), %.2f s\n", grid ? "" : name.c_str(),
                        size / 1024.0, grid ? "page:" : "import:", run.read ? "read," : "refused,",
                        (run.peakKiB - base) / 1024.0, limit.c_str(), run.seconds);
        }
    }
}

int main(int argc, char** argv) {
    Workbook(100000);
    Workbook(10000);
    const long base = PeakKiB(0), small = PeakKiB(10000), large = PeakKiB(100000);
    benchmark::RegisterBenchmark("import_xlsx_100000x5", ImportWorkbook)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("unzip_grep_sort_u", UnzipGrepSort)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    const Times times = RunBenchmarks(argc, argv);
    const double ours = times.Seconds("import_xlsx_100000x5");
    const double anchor = times.Seconds("unzip_grep_sort_u");
    std::printf(
        "\nimport of 100,000 x 5 .xlsx: %.3f s; unzip -p | grep -oE | sort -u: %.3f s; ratio %.2f (goal <= "
        "3)\n",
        ours, anchor, anchor > 0 ? ours / anchor : 0.0);
    std::printf(
        "peak memory above the idle process: %ld KiB for 10,000 rows, %ld KiB for 100,000 rows (goal: "
        "flat)\n",
        small - base, large - base);
    ReportHostile();
    return 0;
}
