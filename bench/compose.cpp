// Number tidying against `grep -oE ... | sort -u` on the same input, extraction from one long line,
// and queueing a batch of outbox rows.
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "bench_support.h"
#include "bench_times.h"
#include "compose/number_extract.h"
#include "compose/number_tidy.h"
#include "compose/sms_queue.h"
#include "store/database.h"
#include "store/log.h"

namespace {

using namespace xunda;
using namespace xunda::bench;

// Text that holds `count` numbers taken from the prefix tables, with random text (no digits)
// around them; `perLine` numbers to a line, or everything on one line when perLine is 0.
std::string NumbersInText(std::size_t count, std::size_t perLine, unsigned seed) {
    static const char* const kFiller[] = {"张三", " ", ",", "Tel:", "手机", "abc", ";", "客户 ", "x", "\t"};
    std::mt19937 rng(seed);
    auto entries = AllPrefixEntries();
    std::uniform_int_distribution<std::size_t> entry(0, entries.size() - 1);
    std::uniform_int_distribution<int> digit(0, 9), filler(0, std::size(kFiller) - 1), words(1, 3);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        for (int w = words(rng); w > 0; --w) text += kFiller[filler(rng)];
        // Mobile numbers four times as often as fixed-line ones.
        std::string_view e = entries[rng() % 5 == 0 ? entry(rng) : entry(rng) % 29].entry;
        text += PrefixOf(e);
        for (std::size_t d = PrefixOf(e).size(); d < NumberLength(e); ++d) text += char('0' + digit(rng));
        text += kFiller[filler(rng)];
        if (perLine && (i + 1) % perLine == 0) text += "\n";
    }
    return text;
}

const std::string& MemoText() {
    static const std::string text = NumbersInText(1000000, 2, 1);
    return text;
}

const std::string& LongLine() {
    static const std::string text = NumbersInText(500000, 0, 2);
    return text;
}

void TidyMillionNumbers(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) found = TidyMobs(MemoText()).size();
    state.counters["numbers"] = static_cast<double>(found);
}

void GrepSortMillionNumbers(benchmark::State& state) {
    const TempFolder dir;
    const auto input = dir / "mobs.txt";
    std::ofstream(input, std::ios::binary) << MemoText();
    TimeNumbersPipeline(
        state,
        "LC_ALL=C grep -oE '1[3-8][0-9]{9}|0[1-9][0-9]{9,10}' '" + input.string() + "' | LC_ALL=C sort -u",
        dir / "count.txt");
}

void ExtractFromTenMegabyteLine(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) found = ExtractMobs(LongLine()).size();
    state.counters["numbers"] = static_cast<double>(found);
    state.counters["MB"] = static_cast<double>(LongLine().size()) / 1e6;
}

// Queues 30,000 numbers into a fresh database; with `placeholders`, the text holds all three tokens
// and every number is a contact.
void Queue30000Rows(benchmark::State& state, bool placeholders) {
    constexpr int kRows = 30000;
    PrintingPrompts prompts;
    SmsBatch batch;
    batch.text = placeholders ? "[称呼]您好,[姓名]:您的生日[生日]快到了,祝您生日快乐!"
                              : "尊敬的客户您好,您的订单已发货,请注意查收.";
    for (int i = 0; i < kRows; ++i) batch.mobs.push_back("139" + std::to_string(10000000 + i));
    std::size_t queued = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<TempFolder> dir(std::in_place);  // removed outside the timing
        auto db = Database::Create(*dir / "TOLVI_DY.db", prompts);
        if (placeholders) {
            db->Transaction([&] {
                for (const std::string& mob : batch.mobs)
                    db->pAdoCom("INSERT INTO mobs (corpID,mob,userName,nickName,bir) VALUES (10001,'" + mob +
                                "','张三','张先生','1990-05-01')");
                return true;
            });
        }
        Log log(*dir / "LOG");
        state.ResumeTiming();
        queued = QueueSmsBatch(*db, log, "10001", batch,
                               [](const std::string& text) { benchmark::DoNotOptimize(text); });
        state.PauseTiming();
        db.reset();
        dir.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(queued);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("tidy_1M_numbers", TidyMillionNumbers)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("grep_sort_u_1M_numbers", GrepSortMillionNumbers)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("extract_10MB_line", ExtractFromTenMegabyteLine)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("queue_30000_rows", Queue30000Rows, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("queue_30000_rows_placeholders", Queue30000Rows, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    const Times times = RunBenchmarks(argc, argv);
    const double tidy = times.Seconds("tidy_1M_numbers");
    const double grep = times.Seconds("grep_sort_u_1M_numbers");
    const double line = times.Seconds("extract_10MB_line");
    std::printf("\ntidy 1M numbers: %.3f s; grep -oE | sort -u: %.3f s; ratio grep/tidy %.2f (goal > 1)\n",
                tidy, grep, tidy > 0 ? grep / tidy : 0.0);
    std::printf("10 MB line, 500000 numbers: %.3f s (goal < 0.5 s)\n", line);
    std::printf("queue 30000 rows: %.3f s, with placeholders filled: %.3f s (goal < 2 s)\n",
                times.Seconds("queue_30000_rows"), times.Seconds("queue_30000_rows_placeholders"));
    return 0;
}
