// Bulk subscribing 10,000 numbers to 3 categories (half of them known, each known number already
// subscribed to the first category; no rest between chunks) through BulkSubscribe, against its
// statements run as bare prepared sqlite3 statements with a transaction per 100 numbers, on copies
// of the same seeded file. Goal: ratio <= 2. Then the subscriber page's first screen (the listing,
// 40 rows of five fields and the first row's subscriptions) over 1,000,000 subscribers. Goal: <= 1 s.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_times.h"
#include "store/database.h"
#include "store/log.h"
#include "subscriptions/bulk_subscribe.h"
#include "subscriptions/subscribers.h"

namespace {
namespace fs = std::filesystem;
using namespace xunda;
using namespace xunda::bench;

constexpr int kNumbers = 10000;
constexpr int kPageRows = 1000000;
constexpr const char* kCorp = "10001";
const std::vector<std::string> kCategories = {"天气", "股票", "新闻"};
const std::string kExpiry = "2027-12-06 00:00:00";

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::abort();
    }
}

sqlite3* OpenBare(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_busy_timeout(db, 5000);
    Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    return db;
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) std::abort();
    return stmt;
}

// A private folder with a seeded database: even numbers known, each subscribed to the first category.
struct Seeded {
    Seeded() {
        PrintingPrompts prompts;
        if (!Database::Create(seed, prompts)) std::abort();
        sqlite3* db = OpenBare(seed);
        Exec(db, "BEGIN");
        sqlite3_stmt* mob = Prepare(db, "INSERT INTO mobs (corpID,mob) VALUES (10001,?)");
        sqlite3_stmt* order = Prepare(
            db, "INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) VALUES (10001,?,?,'2020-01-01')");
        for (int i = 0; i < kNumbers; i += 2) {
            const std::string m = Mob(i);
            for (sqlite3_stmt* s : {mob, order})
                sqlite3_bind_text(s, 1, m.data(), static_cast<int>(m.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(order, 2, kCategories[0].data(), static_cast<int>(kCategories[0].size()),
                              SQLITE_STATIC);
            for (sqlite3_stmt* s : {mob, order}) {
                if (sqlite3_step(s) != SQLITE_DONE) std::abort();
                sqlite3_reset(s);
            }
        }
        sqlite3_finalize(mob);
        sqlite3_finalize(order);
        Exec(db, "COMMIT");
        Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
        sqlite3_close(db);
    }
    // A fresh copy of the seeded file.
    fs::path Copy() {
        fs::path file = dir / "work.db";
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
        fs::copy_file(seed, file);
        return file;
    }
    TempFolder dir;
    fs::path seed = dir / "seed.db";
};

Seeded& Seed() {
    static Seeded seeded;
    return seeded;
}

std::vector<std::string> Numbers() {
    std::vector<std::string> mobs;
    for (int i = 0; i < kNumbers; ++i) mobs.push_back(Mob(i));
    return mobs;
}

void BM_BareStatements(benchmark::State& state) {
    const std::vector<std::string> mobs = Numbers();
    for (auto _ : state) {
        sqlite3* db = OpenBare(Seed().Copy());
        Exec(db, "SELECT COUNT(*) FROM sqlite_master");  // the schema read, as opening the store does
        const auto start = Steady::now();
        sqlite3_stmt* addMob = Prepare(db,
                                       "INSERT INTO mobs (corpID,mob) SELECT ?1,?2"
                                       " WHERE NOT EXISTS (SELECT 1 FROM mobs WHERE corpID=?1 AND mob=?2)");
        sqlite3_stmt* renew =
            Prepare(db, "UPDATE mobOrder SET dgTimeOut=?1 WHERE corpID=?2 AND mob=?3 AND +msgType=?4");
        sqlite3_stmt* subscribe =
            Prepare(db, "INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) VALUES (?,?,?,?)");
        auto text = [](sqlite3_stmt* s, int i, const std::string& v) {
            sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
        };
        auto run = [](sqlite3_stmt* s) {
            if (sqlite3_step(s) != SQLITE_DONE) std::abort();
            sqlite3_reset(s);
        };
        for (std::size_t first = 0; first < mobs.size(); first += 100) {
            Exec(db, "BEGIN IMMEDIATE");
            for (std::size_t i = first; i < first + 100 && i < mobs.size(); ++i) {
                sqlite3_bind_int64(addMob, 1, 10001);
                text(addMob, 2, mobs[i]);
                run(addMob);
                const bool known = sqlite3_changes(db) == 0;
                for (const std::string& category : kCategories) {
                    if (known) {
                        text(renew, 1, kExpiry);
                        sqlite3_bind_int64(renew, 2, 10001);
                        text(renew, 3, mobs[i]);
                        text(renew, 4, category);
                        run(renew);
                        if (sqlite3_changes(db) > 0) continue;
                    }
                    sqlite3_bind_int64(subscribe, 1, 10001);
                    text(subscribe, 2, mobs[i]);
                    text(subscribe, 3, category);
                    text(subscribe, 4, kExpiry);
                    run(subscribe);
                }
            }
            Exec(db, "COMMIT");
        }
        for (sqlite3_stmt* s : {addMob, renew, subscribe}) sqlite3_finalize(s);
        state.SetIterationTime(SecondsSince(start));
        sqlite3_close(db);
    }
}

void BM_BulkSubscribe(benchmark::State& state) {
    PrintingPrompts prompts;
    Log log(Seed().dir / "log");
    BulkSubscribeInput in{.mobs = Numbers(), .categories = kCategories, .dgTimeOut = kExpiry};
    for (auto _ : state) {
        auto db = Database::Open(Seed().Copy(), prompts);
        const auto start = Steady::now();
        BulkSubscribe(
            *db, log, kCorp, in, [](const std::string&) {}, [](std::chrono::milliseconds) {});
        state.SetIterationTime(SecondsSince(start));
    }
}

void BM_UserPageFirstScreen(benchmark::State& state) {
    const fs::path file = Seed().dir / "million.db";
    if (!fs::exists(file)) {
        PrintingPrompts prompts;
        if (!Database::Create(file, prompts)) std::abort();
        sqlite3* db = OpenBare(file);
        Exec(db, "BEGIN");
        sqlite3_stmt* s = Prepare(db,
                                  "INSERT INTO mobs (corpID,mob,userName,nickName,bir,usermemo)"
                                  " VALUES (10001,?,'王小明','先生','1990-05-07 00:00:00','老客户')");
        for (int i = 0; i < kPageRows; ++i) {
            const std::string m = Mob(i);
            sqlite3_bind_text(s, 1, m.data(), static_cast<int>(m.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(s) != SQLITE_DONE) std::abort();
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        Exec(db, "COMMIT");
        sqlite3_close(db);
    }
    PrintingPrompts prompts;
    auto db = Database::Open(file, prompts);
    for (auto _ : state) {
        Account<> host(*db);
        SubscriberList list(host);
        const auto start = Steady::now();
        list.pUser("");
        std::size_t bytes = 0;
        for (std::size_t r = 0; r < 40; ++r)
            for (std::size_t c = 0; c < 5; ++c) bytes += list.grid().Text(r, c).size();
        benchmark::DoNotOptimize(bytes);
        state.SetIterationTime(SecondsSince(start));
    }
}

BENCHMARK(BM_BareStatements)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulkSubscribe)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UserPageFirstScreen)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const Times times = RunBenchmarks(argc, argv);
    const double bare = times.Seconds("BM_BareStatements") * 1e3,
                 bulk = times.Seconds("BM_BulkSubscribe") * 1e3;
    if (bare > 0 && bulk > 0)
        std::printf(
            "\n%d numbers x %zu categories: BulkSubscribe %.1f ms, bare statements %.1f ms, ratio %.3f"
            " (goal <= 2)\n",
            kNumbers, kCategories.size(), bulk, bare, bulk / bare);
    if (const double page = times.Seconds("BM_UserPageFirstScreen") * 1e3; page > 0)
        std::printf("subscriber page's first screen over %d subscribers: %.1f ms (goal <= 1000 ms)\n",
                    kPageRows, page);
}
