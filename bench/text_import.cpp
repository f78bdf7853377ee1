// The number import of a large text file: 16 M lines of 11-digit numbers (208 MB), every number
// distinct; the same size holding 1 M numbers sixteen times over; 16 M numbers on one line, after
// commas. Each is imported in a child whose peak resident memory above an idle child is set
// against the goal, the file's size plus the distinct numbers as the import hands them back; its
// time against `grep -oE | sort -u` on the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "bench_support.h"
#include "compose/number_tidy.h"

namespace {

using namespace xunda;
using bench::ChildRun;
using bench::RunInChild;

// `lines` numbers "13" + 9 digits, each followed by `end`; number i is i % distinct (all distinct
// below 10^9).
void WriteList(const std::filesystem::path& file, std::uint64_t lines, std::uint64_t distinct,
               const char* end) {
    std::ofstream out(file, std::ios::binary);
    std::string block;
    for (std::uint64_t i = 0; i < lines; ++i) {
        const std::uint64_t n = (i % distinct) * 2654435761u % 1000000000u;  // a bijection on 0..10^9-1
        char line[16];
        std::snprintf(line, sizeof line, "13%09llu%s", static_cast<unsigned long long>(n), end);
        block += line;
        if (block.size() >= (1u << 20)) {
            out << block;
            block.clear();
        }
    }
    out << block;
}

}  // namespace

int main() {
    const bench::TempFolder dir;
    const double idle = RunInChild([] { return std::uint64_t{0}; }).peakKiB / 1024.0;
    std::printf(
        "number import of text files (peak memory above an idle process; goal: within the file's\n"
        "size plus the distinct numbers as handed back, %zu bytes each):\n",
        sizeof(std::string));
    const std::tuple<const char*, std::uint64_t, const char*> lists[] = {
        {"16 M distinct", 16'000'000, "\r\n"},
        {"1 M, 16 times", 1'000'000, "\r\n"},
        {"one line", 16'000'000, ","}};
    for (const auto& [name, distinct, end] : lists) {
        const auto file = dir / "list.txt";
        WriteList(file, 16'000'000, distinct, end);
        const double fileMiB = std::filesystem::file_size(file) / 1048576.0;
        const ChildRun ours = RunInChild([&] { return std::uint64_t{ImportMobsFile(file).size()}; });
        const std::string sort =
            "LC_ALL=C grep -oE '1[3-8][0-9]{9}' '" + file.string() + "' | LC_ALL=C sort -u > /dev/null";
        const ChildRun anchor = RunInChild([&] { return std::uint64_t{std::system(sort.c_str()) == 0}; });
        const double numbersMiB = ours.result * sizeof(std::string) / 1048576.0;
        const double peak = ours.peakKiB / 1024.0 - idle;
        std::printf(
            "  %-14s file %.0f MiB, %zu numbers (%.0f MiB): peak %.0f MiB = %.2fx the file, %.2fx the goal "
            "(%.0f MiB); %.2f s, grep -oE | sort -u %.2f s, ratio %.2f\n",
            name, fileMiB, static_cast<std::size_t>(ours.result), numbersMiB, peak, peak / fileMiB,
            peak / (fileMiB + numbersMiB), fileMiB + numbersMiB, ours.seconds, anchor.seconds,
            ours.seconds / anchor.seconds);
        std::filesystem::remove(file);
    }
    return 0;
}
