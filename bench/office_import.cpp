// Importing the numbers of a 100,000 x 5 workbook against `unzip -p | grep -oE | sort -u` on the
// same file, and the import's peak memory for 10,000 and 100,000 rows (flat: the sheet is read
// row by row).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench_support.h"
#include "bench_times.h"
#include "compose/number_tidy.h"

namespace {

using namespace xunda;
using namespace xunda::bench;

// A workbook as spreadsheet programs write it: the phone as a number, a name and a text with a
// fixed-line number as shared strings, a date and an amount.
void WriteWorkbook(const std::filesystem::path& file, int rows) {
    std::string sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns="
                        "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    std::string strings = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns="
                          "\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        const std::string at = std::to_string(2 * r - 2), at2 = std::to_string(2 * r - 1);
        sheet += "<row r=\"" + n + "\" spans=\"1:5\"><c r=\"A" + n + "\"><v>139" + std::to_string(10000000 + r) +
                 "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" + at + "</v></c><c r=\"C" + n + "\" t=\"s\"><v>" + at2 +
                 "</v></c><c r=\"D" + n + "\" s=\"1\"><v>" + std::to_string(45000 + r % 1000) + "</v></c><c r=\"E" +
                 n + "\"><v>" + std::to_string(r % 977) + ".25</v></c></row>";
        strings += "<si><t>客户" + n + "</t></si><si><t>电话 0755-" + std::to_string(20000000 + r) + "</t></si>";
    }
    sheet += "</sheetData></worksheet>";
    strings += "</sst>";
    const std::map<std::string, std::string> parts = {
        {"xl/workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                            "<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
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

int main(int argc, char** argv) {
    Workbook(100000);
    Workbook(10000);
    const long base = PeakKiB(0), small = PeakKiB(10000), large = PeakKiB(100000);
    benchmark::RegisterBenchmark("import_xlsx_100000x5", ImportWorkbook)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("unzip_grep_sort_u", UnzipGrepSort)->Unit(benchmark::kMillisecond)->Iterations(3);
    const Times times = RunBenchmarks(argc, argv);
    const double ours = times.Seconds("import_xlsx_100000x5");
    const double anchor = times.Seconds("unzip_grep_sort_u");
    std::printf("\nimport of 100,000 x 5 .xlsx: %.3f s; unzip -p | grep -oE | sort -u: %.3f s; ratio %.2f (goal <= 3)\n",
                ours, anchor, anchor > 0 ? ours / anchor : 0.0);
    std::printf("peak memory above the idle process: %ld KiB for 10,000 rows, %ld KiB for 100,000 rows (goal: flat)\n",
                small - base, large - base);
    return 0;
}
