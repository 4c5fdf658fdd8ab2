# The two commands of the README, plus the benchmarks.
.PHONY: demo check bench

demo:
	@scripts/demo.sh $(ARGS)

check:
	@scripts/check.sh

bench:
	@scripts/bench.sh
