xunda_bench(mailbox DEPS xunda_mailbox)
