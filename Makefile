BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/quillory

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_DIR)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BUILD_TESTS=OFF -DQUILLORY_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	for b in $(BUILD_DIR)-bench/bench/bench_*; do QT_QPA_PLATFORM=offscreen $$b || exit 1; done

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench
