// Over 1,000,000 subscriptions of one account (mobOrder, the program's schema: 300,000 numbers in
// 10 categories, one in ten closed, expiries spread over two years around today):
//  - the broadcast selection for three ticked categories up to the send page's memo text
//    (btnSendDgClick, then the numbers joined one per line) against the same statement in the
//    sqlite3 command-line tool writing its rows to a file, same database file, same run, best of
//    5 each: goal <= 1.5x;
//  - the search page's first screen with no filter ticked: the listing opened on a freshly opened
//    database, its count caption and the 30 rows of a screen with every column: goal <= 1 s.
#include "subscriptions/broadcast.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "core/date_text.h"
#include "store/database.h"
#include "subscriptions/categories.h"
#include "subscriptions/subscription_search.h"

namespace {
namespace fs = std::filesystem;
using namespace xunda;
using namespace xunda::bench;

constexpr int kRows = 1000000;
const std::vector<std::string> kTicked = {"天气", "股票", "新闻"};

// The broadcast's question answered Yes.
class YesPrompts : public PrintingPrompts {
  public:
    bool Confirm(const std::string&) override { return true; }
};

std::string Today() {
    const auto now = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return DayText(std::chrono::year_month_day(now));
}

}  // namespace

int main() {
    const TempFolder dir;
    const fs::path file = dir / "TOLVI_DY.db";
    PrintingPrompts prompts;
    {
        auto db = Database::Create(file, prompts);
        if (!db ||
            !db->pAdoCom("INSERT INTO msgType (corpID,msgType) VALUES (10001,'天气'),(10001,'股票'),"
                         "(10001,'新闻'),(10001,'体育'),(10001,'财经'),(10001,'娱乐'),(10001,'健康'),"
                         "(10001,'教育'),(10001,'旅游'),(10001,'汽车')") ||
            !db->pAdoCom("INSERT INTO mobOrder (corpID,mob,msgType,dgStatus,dgTime,dgTimeOut) WITH RECURSIVE"
                         " n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
                         std::to_string(kRows) +
                         ") SELECT 10001, 13800000000 + (i*7919) % 300000,"
                         " (SELECT msgType FROM msgType WHERE rowid=1+i%10), i%10<>3,"
                         " datetime('now','localtime','-'||(i%365)||' days'),"
                         " date('now','localtime','-365 days','+'||(i*31%730)||' days')||' 00:00:00' FROM n"))
            return 1;
    }
    const std::string today = Today();

    // The search page's first screen.
    auto db = Database::Open(file, prompts);
    Account<AccountHost, YesPrompts> host(*db);
    SubscriptionSearch search(host);
    auto start = Steady::now();
    search.btnMobOrderSearchClick({});
    const std::string caption = search.Caption();
    std::size_t bytes = 0;
    for (std::size_t r = 0; r < 30; ++r)
        for (std::size_t c = 0; c < search.grid().Columns().size(); ++c)
            bytes += search.grid().Text(r, c).size();
    const double first = SecondsSince(start);
    std::printf("search page's first screen, %s: %.3f s (goal <= 1: ratio %.2f)\n", caption.c_str(), first,
                first);

    // The broadcast selection against the command-line tool.
    const std::string sql = "SELECT DISTINCT mob FROM mobOrder WHERE corpID=10001 AND dgTimeOut>='" + today +
                            "' AND dgStatus=1 AND msgType IN (" + QuotedList(kTicked) + ") ORDER BY +mob";
    const std::string command =
        "sqlite3 '" + file.string() + "' \"" + sql + "\" > '" + (dir / "anchor.txt").string() + "'";
    double ours = 1e9, anchor = 1e9;
    std::size_t count = 0;
    for (int round = 0; round < 5; ++round) {
        start = Steady::now();
        const auto mobs = btnSendDgClick(host, kTicked, today);
        if (!mobs) return 1;
        std::string memo;
        for (const std::string& mob : *mobs) (memo += mob) += '\n';
        ours = std::min(ours, SecondsSince(start));
        count = mobs->size();
        bytes += memo.size();
        start = Steady::now();
        if (std::system(command.c_str()) != 0) return 1;
        anchor = std::min(anchor, SecondsSince(start));
    }
    std::printf(
        "broadcast selection of %zu numbers from %d subscriptions: %.3f s, sqlite3 %.3f s (%.1f MB):"
        " ratio %.2f (goal <= 1.5)\n",
        count, kRows, ours, anchor, fs::file_size(dir / "anchor.txt") / 1e6, ours / anchor);
    return bytes == 0;
}
