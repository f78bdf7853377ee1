xunda_bench(text_import DEPS xunda_compose)
