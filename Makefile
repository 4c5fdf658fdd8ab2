# The two commands of the README, plus the benchmarks.
.PHONY: demo check bench screenshots

demo:
	@scripts/demo.sh $(ARGS)

check:
	@scripts/check.sh

bench:
	@scripts/bench.sh

screenshots:
	@scripts/screenshots.sh
