// Queueing 100,000 outbox rows through the store's bulk path (BulkWriter) against the limit: a
// bare sqlite3 prepared-insert loop in one transaction on the same kind of file (same schema,
// WAL, same synchronous setting). Prints the ratio store / bare; the goal is <= 1.5.
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "bench_times.h"
#include "store/database.h"

namespace {
using namespace xunda;
using namespace xunda::bench;

constexpr int kRows = 100000;
const std::string kMsg = "尊敬的客户您好，您的订单已发货，请注意查收。如有疑问请致电客服热线。[泊舟讯达]";

// A fresh database file with the program's schema, in a private folder.
struct FreshFile {
    FreshFile() {
        PrintingPrompts prompts;
        if (!Database::Create(file, prompts)) std::abort();
    }
    TempFolder dir;
    std::filesystem::path file = dir / "TOLVI_DY.db";
};

void BM_BareSqlite(benchmark::State& state) {
    for (auto _ : state) {
        FreshFile f;
        sqlite3* db = nullptr;
        sqlite3_open_v2(f.file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
        const auto start = Steady::now();
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(
            db, "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (?,?,?,?,?,?,0)",
            -1, &stmt, nullptr);
        for (int i = 0; i < kRows; ++i) {
            std::string mob = Mob(i);
            sqlite3_bind_int64(stmt, 1, 10001);
            sqlite3_bind_text(stmt, 2, mob.data(), static_cast<int>(mob.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 3, kMsg.data(), static_cast<int>(kMsg.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 4, "", 0, SQLITE_STATIC);
            sqlite3_bind_text(stmt, 5, "", 0, SQLITE_STATIC);
            sqlite3_bind_int64(stmt, 6, i < 500 ? 1 : i < 2000 ? 2 : 3);
            if (sqlite3_step(stmt) != SQLITE_DONE) std::abort();
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.SetIterationTime(SecondsSince(start));
        sqlite3_close(db);
    }
}

void BM_StoreBulkWriter(benchmark::State& state) {
    PrintingPrompts prompts;
    for (auto _ : state) {
        FreshFile f;
        auto db = Database::Open(f.file, prompts);
        const auto start = Steady::now();
        BulkWriter w(
            *db,
            "INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (?,?,?,?,?,?,0)");
        for (int i = 0; i < kRows; ++i) {
            std::string mob = Mob(i);
            w.Add({std::int64_t{10001}, std::string_view(mob), std::string_view(kMsg), std::string_view(),
                   std::string_view(),
                   std::int64_t{i < 500    ? 1
                                : i < 2000 ? 2
                                           : 3}});
        }
        if (!w.Commit()) std::abort();
        state.SetIterationTime(SecondsSince(start));
    }
}

BENCHMARK(BM_BareSqlite)->UseManualTime()->Iterations(1)->Repetitions(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBulkWriter)->UseManualTime()->Iterations(1)->Repetitions(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const Times times = RunBenchmarks(argc, argv);
    const double bare = times.Seconds("BM_BareSqlite") * 1e3,
                 store = times.Seconds("BM_StoreBulkWriter") * 1e3;
    if (bare > 0 && store > 0)
        std::printf(
            "\n%d outbox rows: store bulk path %.1f ms, bare sqlite3 %.1f ms, ratio %.3f (goal <= 1.5)\n",
            kRows, store, bare, store / bare);
}
