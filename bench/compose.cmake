find_package(benchmark REQUIRED)
xunda_bench(compose DEPS xunda_compose xunda_testsupport benchmark::benchmark)
