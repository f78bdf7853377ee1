xunda_bench(broadcast DEPS xunda_subscriptions)
