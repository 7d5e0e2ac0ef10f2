# Ferrovane: `make run` starts the program on a demo database, `make test` runs the tests.
# Both install what they need first (Debian 12, apt as root).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run demo clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: deps
	bash scripts/make-demo-db.sh demo/demo.fdb

run: build demo
	$(BUILD_DIR)/cli/ferrovane-import --database $(CURDIR)/demo/demo.fdb --user SYSDBA --charset UTF8 --dialect 3 --list-tables

clean:
	rm -rf $(BUILD_DIR)
