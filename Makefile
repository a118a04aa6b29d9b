BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench sanitize-configure sanitize fuzz clean install

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/quillory

# Installs under PREFIX (DESTDIR for staged installs); the desktop's MIME and application
# caches are refreshed when installing for real.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	if [ -z "$(DESTDIR)" ]; then \
	  command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime || true; \
	  command -v update-desktop-database >/dev/null && update-desktop-database $(PREFIX)/share/applications || true; \
	  command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor || true; \
	fi

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_DIR)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BUILD_TESTS=OFF -DQUILLORY_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	for b in $(BUILD_DIR)-bench/bench/bench_*; do QT_QPA_PLATFORM=offscreen $$b || exit 1; done

# The suite under AddressSanitizer (leak checking on) and UndefinedBehaviorSanitizer, built with
# clang in its own folder; any report fails its test. The same build holds the fuzz programs
# (their coverage instrumentation changes nothing else), so fuzzing needs no second build.
SANITIZE_DIR ?= $(BUILD_DIR)-sanitize
SANITIZE_ENV = QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:strict_init_order=1:check_initialization_order=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan-suppressions.txt:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1
sanitize-configure: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DQUILLORY_SANITIZE=ON -DQUILLORY_FUZZ=ON

sanitize: sanitize-configure
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS, from its corpus in tests/fixtures/fuzz; new inputs and
# findings stay in $(SANITIZE_DIR)/corpus and $(SANITIZE_DIR)/findings.
FUZZ_SECONDS ?= 60
fuzz: sanitize-configure
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target fuzz_targets
	$(SANITIZE_ENV) bash scripts/run-fuzz $(SANITIZE_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench $(SANITIZE_DIR)
