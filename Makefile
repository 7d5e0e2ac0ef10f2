# Ferrovane: `make run` builds and starts the program (a demo database is made for it),
# `make test` runs the tests.
# Both install what they need first (Debian 12, apt as root).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-asan fuzz fuzz-build run demo example bench bench-large screenshots format format-check clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The suite, the layout check, and every fuzz target for a short while so they keep working.
test: build format-check fuzz-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SMOKE_SECONDS)

# The fuzz targets (fuzz/README.md), built with clang in build-fuzz: make fuzz runs each
# for FUZZ_SECONDS, growing its corpus there; make fuzz FUZZ_TARGETS="dbase text" some.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 300
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_TARGETS ?=

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DFERROVANE_FUZZ=ON -DFERROVANE_TESTS=OFF -DFERROVANE_APP=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The whole suite again with AddressSanitizer and UBSan, in build-asan (the "asan" preset).
# A Debug build: it compiles in far less time than an optimised one, and nothing is inlined
# away from the reports' stacks. The sanitizer options come with the build folder's ctest.
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

demo: deps
	bash scripts/make-demo-db.sh demo/demo.fdb

# Without a display the program runs on the offscreen platform: it starts and waits, unseen,
# until stopped with Ctrl+C. README.md tells how to watch it with xvfb-run instead.
run: build demo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/src/app/ferrovane; \
	else \
	  echo "No display: starting ferrovane on the offscreen platform (Ctrl+C ends it)."; \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/src/app/ferrovane; \
	fi

# Loads examples/customers.csv into the demo database from the command line.
example: build demo
	$(BUILD_DIR)/cli/ferrovane-import --database demo/demo.fdb --user SYSDBA --charset UTF8 --dialect 3 \
	  --spec examples/customers.vxi

# Load speed against the client library and isql (bench/README.md); minutes, not part of test.
# make bench SIZES=2000 is a quick run.
bench: build
	FERROVANE=$(BUILD_DIR)/cli/ferrovane-import BASELINE_A=$(BUILD_DIR)/bench/bench_baseline_a bash bench/run.sh

# Delimited appends of 1,000,000 and 10,000,000 rows (a 1.7 GB file): memory stays bounded and
# time grows with the rows. Long, and several GB of disk: never in CI.
bench-large: build
	SIZES="1000000 10000000" CASES="append-delimited" TCP_SIZES="" \
	  FERROVANE=$(BUILD_DIR)/cli/ferrovane-import BASELINE_A=$(BUILD_DIR)/bench/bench_baseline_a bash bench/run.sh

# Layout of every C++ file git tracks by .clang-format: format rewrites them, format-check
# lists what it would change and fails if anything would.
CLANG_FORMAT ?= clang-format
CXX_FILES = git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc'

# Pictures of the windows as a user first sees them, rendered offscreen into
# docs/screenshots (the README shows some of them). Look at them after a change to a window.
SHOTS_DIR ?= $(CURDIR)/docs/screenshots
screenshots: build
	mkdir -p $(SHOTS_DIR)
	FERROVANE_SCREENSHOT=$(SHOTS_DIR) QT_QPA_PLATFORM=offscreen \
	  $(BUILD_DIR)/tests/wizard/wizard_tests --gtest_filter='*Screenshots.*:*.ProgressScreenshots'
	FERROVANE_SCREENSHOT=$(SHOTS_DIR) QT_QPA_PLATFORM=offscreen \
	  $(BUILD_DIR)/tests/app/app_tests --gtest_filter='MainWindowTest.LaidOutAtTheSmallestSize:*Screenshots.*'

format: deps
	$(CXX_FILES) | xargs -0 $(CLANG_FORMAT) -i

format-check: deps
	$(CXX_FILES) | xargs -0 $(CLANG_FORMAT) --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
