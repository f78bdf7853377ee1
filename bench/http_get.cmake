xunda_bench(http_get DEPS xunda_net)
