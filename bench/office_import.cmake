xunda_bench(office_import DEPS xunda_compose benchmark::benchmark)
