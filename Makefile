# The two commands of the README, plus the benchmarks.
.PHONY: demo check bench

demo:
	@scripts/demo.sh

check:
	@scripts/check.sh

bench:
	@scripts/bench.sh
