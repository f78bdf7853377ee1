xunda_bench(office_import DEPS xunda_compose xunda_testsupport benchmark::benchmark)
