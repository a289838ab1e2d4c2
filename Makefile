# Entry points for people and CI. Every target installs what it needs first, so a fresh
# machine only needs `make test`.

BUILD     ?= build
BENCH_DIR ?= build-bench
FUZZ_DIR  ?= build-fuzz
CMAKE_ARGS ?=

PACKAGES := qt6-base-dev libgif-dev libjpeg-dev zlib1g-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libpng-dev cmake ninja-build g++ fonts-dejavu-core python3 \
            desktop-file-utils appstream
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test test-sanitize install bench fuzz clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD)

# The editor on the desktop's display; without one it runs inside a virtual X server.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./$(BUILD)/vimbrel; else \
	  $(MAKE) --no-print-directory deps PACKAGES="xvfb xauth" && xvfb-run -a ./$(BUILD)/vimbrel; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The same tests built with the address and undefined-behaviour sanitizers, in their own
# folder. Any report fails the test that made it.
SANITIZE_BUILD ?= build-asan
test-sanitize:
	$(MAKE) --no-print-directory test BUILD=$(SANITIZE_BUILD) CMAKE_ARGS="-DSANITIZE=ON $(CMAKE_ARGS)"

# Installs the built programs and their files under PREFIX (with sudo when PREFIX is not
# writable), e.g. `make install PREFIX=~/.local`.
PREFIX ?= /usr/local
install: build
	@mkdir -p "$(PREFIX)" 2>/dev/null || true; \
	if [ -w "$(PREFIX)" ]; then cmake --install $(BUILD) --prefix "$(PREFIX)"; \
	else $(SUDO) cmake --install $(BUILD) --prefix "$(PREFIX)"; fi

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON
	cmake --build $(BENCH_DIR)
	@for b in $(BENCH_DIR)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# libFuzzer targets need clang; FUZZ_SECONDS bounds each run.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_FUZZERS=ON -DBUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR)
	@for f in $(FUZZ_DIR)/fuzz/fuzz_*; do echo "== $$f"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$(basename $$f); \
	  $$f -max_total_time=$(FUZZ_SECONDS) $(FUZZ_DIR)/corpus/$$(basename $$f) fuzz/seeds/$$(basename $$f) || exit 1; done

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(BENCH_DIR) $(FUZZ_DIR)
