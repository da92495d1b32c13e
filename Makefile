# The two commands of the README. Each installs what is missing, builds what
# is out of date and then runs.
.PHONY: run replay test deps clean

# kestrix.exe under Wine with a demo database and notepad to type into.
run:
	@bash scripts/run-app.sh

# The matcher alone: a recorded typing session replayed through kxtool.
replay:
	@bash scripts/run.sh

test:
	@bash scripts/test.sh

deps:
	@bash scripts/install-deps.sh

clean:
	rm -rf build
