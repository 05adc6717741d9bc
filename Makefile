# make run    installs what is missing, builds, and starts Quorvane
# make test   installs what is missing, builds, and runs every test
# make bench  builds and runs the benchmarks
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

# Paths in the compiler cache are taken relative to the checkout, so a fresh clone in
# another folder (as CI makes) still finds what an earlier build compiled.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps configure build run test unit e2e bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/quorvane

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

unit: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -L unit

e2e: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -L e2e

bench: build
	@set -e; for b in $(BUILD_DIR)/bench/*_bench; do [ -x "$$b" ] || continue; echo "== $$b"; "$$b"; done
	@set -e; for f in bench/*_figures.py; do echo "== $$f"; \
	  QUORVANE_BINARY=$(CURDIR)/$(BUILD_DIR)/quorvane PYTHONPATH=$(CURDIR)/e2e PYTHONDONTWRITEBYTECODE=1 python3 "$$f"; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
