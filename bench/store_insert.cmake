xunda_bench(store_insert DEPS xunda_store SQLite::SQLite3 benchmark::benchmark)
