# The two commands of the README. Each installs what is missing, builds what
# is out of date and then runs.
.PHONY: run test deps clean

run:
	@bash scripts/run.sh

test:
	@bash scripts/test.sh

deps:
	@bash scripts/install-deps.sh

clean:
	rm -rf build
