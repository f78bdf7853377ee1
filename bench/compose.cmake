xunda_bench(compose DEPS xunda_compose benchmark::benchmark)
