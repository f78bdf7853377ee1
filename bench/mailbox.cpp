// The sent-history page over 1,000,000 rows of one account in mt_bak (the program's schema):
//  - CSV export of the page's listing through the store (streamed rows, the one CSV writer)
//    against the sqlite3 command-line tool's -csv output of the same columns, in the same order,
//    from the same file, in the same run (best of 3 each): goal <= 1.5x;
//  - the first screen: the page's listing opened on a freshly opened database, its count caption
//    and the 30 rows of a screen with every column: goal <= 0.05 s;
//  - resident memory growth while every row is read from the top to the bottom, as a grid
//    scrolled through shows them: goal <= 32 MB.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "mailbox/history_list.h"
#include "store/database.h"
#include "store/grid_files.h"

namespace {
namespace fs = std::filesystem;
using namespace xunda;
using namespace xunda::bench;

constexpr int kRows = 1000000;

class BenchHost : public Account<MailboxHost> {
  public:
    using Account::Account;
    void SaveGrid(const RowPager&) override {}
    void ReplyTo(const std::vector<std::string>&) override {}
    std::chrono::year_month_day Today() override { return {}; }
};

}  // namespace

int main() {
    const TempFolder dir;
    const fs::path file = dir / "TOLVI_DY.db";
    PrintingPrompts prompts;
    {
        auto db = Database::Create(file, prompts);
        if (!db ||
            !db->pAdoCom("INSERT INTO mt_bak (corpID, mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, "
                         "flag, mstatus) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE "
                         "i<" +
                         std::to_string(kRows) +
                         ") SELECT 10001, 880000000+i, "
                         "datetime('2026-01-01', '+'||(i*7)||' seconds'), 13800000000+i, "
                         "'尊敬的客户您好，您的订单'||i||'已发货，请注意查收。[泊舟讯达]', '01', '', '1', 1, "
                         "CASE WHEN i%50=0 THEN '2' ELSE '0' END FROM n"))
            return 1;
    }

    // The first screen, on a database opened as the program opens it.
    auto db = Database::Open(file, prompts);
    BenchHost host(*db);
    HistoryList list(host);
    const long unopened = ResidentKb();
    const auto firstStart = Steady::now();
    list.Open();
    const std::string caption = list.Caption();
    std::size_t bytes = 0;
    for (std::size_t r = 0; r < 30; ++r)
        for (std::size_t c = 0; c < list.grid().Columns().size(); ++c) bytes += list.grid().Text(r, c).size();
    const double first = SecondsSince(firstStart);
    std::printf("first screen of %s: %.3f s (goal <= 0.05: ratio %.2f)\n", caption.c_str(), first,
                first / 0.05);

    // Scrolling from top to bottom.
    const long before = ResidentKb();
    long peak = before;
    const auto scrollStart = Steady::now();
    list.grid().ReadRest();  // as the grid asks when it is scrolled past the first block
    for (std::size_t r = 0; r < list.grid().RowCount(); ++r) {
        for (std::size_t c = 0; c < list.grid().Columns().size(); ++c) bytes += list.grid().Text(r, c).size();
        if (r % 4096 == 0) peak = std::max(peak, ResidentKb());
    }
    peak = std::max(peak, ResidentKb());
    std::printf(
        "scrolling %zu rows: %.2f s, resident memory growth %.1f MB (goal <= 32: ratio %.2f); "
        "%.1f MB more with the first block's rowids read at the opening\n",
        list.grid().RowCount(), SecondsSince(scrollStart), (peak - before) / 1024.0,
        (peak - before) / 1024.0 / 32, (before - unopened) / 1024.0);

    // The export against the command-line tool.
    std::string columns;
    for (const GridColumn& c : list.grid().Columns()) columns += (columns.empty() ? "" : ", ") + c.field;
    const std::string anchorSql = list.grid().Query().Select(columns);
    const std::string command = "sqlite3 -csv -header '" + file.string() + "' \"" + anchorSql + "\" > '" +
                                (dir / "anchor.csv").string() + "'";
    double ours = 1e9, anchor = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove(dir / "ours.csv");
        auto start = Steady::now();
        if (!SaveDbGridToCsv(*db, list.grid().Sql(), list.grid().Columns(), dir / "ours.csv")) return 1;
        ours = std::min(ours, SecondsSince(start));
        start = Steady::now();
        if (std::system(command.c_str()) != 0) return 1;
        anchor = std::min(anchor, SecondsSince(start));
    }
    std::printf(
        "CSV export of %d rows: store %.3f s (%.1f MB), sqlite3 -csv %.3f s (%.1f MB): ratio %.2f"
        " (goal <= 1.5)\n",
        kRows, ours, fs::file_size(dir / "ours.csv") / 1e6, anchor, fs::file_size(dir / "anchor.csv") / 1e6,
        ours / anchor);
    return bytes == 0;
}
