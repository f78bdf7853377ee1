xunda_bench(engine_drain DEPS xunda_engine xunda_smssim)
