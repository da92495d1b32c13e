# The two commands of the README. Each installs what is missing, builds what
# is out of date and then runs.
.PHONY: run replay test bench deps clean screenshots msi

# kestrix.exe under Wine with a demo database and notepad to type into.
run:
	@bash scripts/run-app.sh

# The matcher alone: a recorded typing session replayed through kxtool.
replay:
	@bash scripts/run.sh

test:
	@bash scripts/test.sh

# The benchmarks, optimized, for the figures in docs/PERFORMANCE.md. The test
# run only compiles them.
bench:
	@bash scripts/install-deps.sh
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX_BENCH=ON >/dev/null
	@cmake --build build/native -j2 --target kx_bench
	@build/native/bench/kx_bench $(BENCH_ARGS)

# Refreshes docs/screenshots on purpose: runs the GUI tests (which keep their
# screenshots under the build) and copies them over only when all passed.
SHOTS_BUILD ?= build/win64
screenshots:
	@bash scripts/install-deps.sh
	@test -f $(SHOTS_BUILD)/CMakeCache.txt || cmake -S . -B $(SHOTS_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	@echo "==> Building kestrix.exe and the GUI probe in $(SHOTS_BUILD) (output in $(SHOTS_BUILD)/screenshots-build.log)"
	@cmake --build $(SHOTS_BUILD) -j2 --target kestrix kx_gui_probe kxtool >$(SHOTS_BUILD)/screenshots-build.log 2>&1 \
	  || { tail -40 $(SHOTS_BUILD)/screenshots-build.log; exit 1; }
	@echo "==> Running the GUI tests (a few minutes)"
	@env -u WINEPREFIX -u DISPLAY bash tests/gui/run_gui.sh $(SHOTS_BUILD)
	@cp $(SHOTS_BUILD)/gui-artifacts/screenshots/*.png docs/screenshots/
	@echo "==> docs/screenshots now holds this run's screenshots: review them, then commit"

# The Windows Installer packages build/msi/kestrix-x64.msi and kestrix-x86.msi
# from the x86_64 and i686 builds (installer/build_msi.sh tells how to sign).
MSI_WIN64 ?= build/win64
MSI_WIN32 ?= build/win32
msi:
	@bash scripts/install-deps.sh
	@test -f $(MSI_WIN64)/CMakeCache.txt || cmake -S . -B $(MSI_WIN64) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	@test -f $(MSI_WIN32)/CMakeCache.txt || cmake -S . -B $(MSI_WIN32) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKX_TESTS=OFF >/dev/null
	@echo "==> Building the programs in $(MSI_WIN64) and $(MSI_WIN32) (output in build/msi-build.log)"
	@mkdir -p build
	@{ cmake --build $(MSI_WIN64) -j2 --target kestrix kestrix64 && cmake --build $(MSI_WIN32) -j2 --target kestrix; } \
	  >build/msi-build.log 2>&1 || { tail -40 build/msi-build.log; exit 1; }
	@bash installer/build_msi.sh $(MSI_WIN64) $(MSI_WIN32) build/msi

deps:
	@bash scripts/install-deps.sh

clean:
	rm -rf build
