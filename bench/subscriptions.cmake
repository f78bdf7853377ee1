xunda_bench(subscriptions DEPS xunda_subscriptions SQLite::SQLite3 benchmark::benchmark)
