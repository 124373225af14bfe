# The two commands a new machine needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo

.PHONY: all deps configure build package run test test-sanitize bench screenshots clean fuzz

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR)

# verselet_<version>_<arch>.deb in the build folder, made by CPack
# (cmake/packaging.cmake) from what `cmake --install` puts under /usr.
package: build
	cmake --build $(BUILD_DIR) --target package

run: build
	$(BUILD_DIR)/verselet

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --timeout 600
	@$(MAKE) --no-print-directory test-sanitize

# The same tests built with ASan and UBSan in build-asan (preset "sanitize");
# the suppressions and options are in tools/sanitizers and the tests' CTest
# environment.
test-sanitize: deps
	@if [ ! -f build-asan/build.ninja ]; then cmake --preset sanitize; fi
	cmake --build --preset sanitize
	ctest --test-dir build-asan --output-on-failure --timeout 900

# Every benchmark program (not the folders CMake keeps beside them); a
# benchmark that fails makes the target fail after the others have run.
bench: build
	@status=0; for b in $(BUILD_DIR)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || status=1; fi; \
	done; exit $$status

screenshots: build
	$(BUILD_DIR)/tools/screenshots/make_screenshots docs
	$(BUILD_DIR)/tools/screenshots/make_screenshots docs en

# libFuzzer targets in build-fuzz (clang, ASan, UBSan), each run for
# FUZZ_SECONDS (60 unless given) on a scratch copy of its corpus in fuzz/corpus;
# FUZZ_TARGETS chooses some of them.
ALL_FUZZ_TARGETS = fuzz_user_text fuzz_work_lines fuzz_timing_list fuzz_drive_config fuzz_disc_sheets fuzz_lrc \
  fuzz_recovery fuzz_mpeg_header fuzz_subtitles
# The tags of an LRC line each give a line of all its text: the reader must
# refuse such a document before it is built, and no allocation may come near
# what 64 KB of tags times text would ask for.
LRC_FUZZ_LIMITS = -rss_limit_mb=2048 -malloc_limit_mb=256
# Every count in a recovery file is held to what the bytes after it can hold,
# so no input may make the reader grow past these.
RECOVERY_FUZZ_LIMITS = -rss_limit_mb=256 -malloc_limit_mb=256
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
	  -DVERSELET_FUZZ=ON
	cmake --build build-fuzz --target fuzzers
	@status=0; for t in $(or $(FUZZ_TARGETS),$(ALL_FUZZ_TARGETS)); do \
	  run=build-fuzz/fuzz-run/$$t; rm -rf $$run; mkdir -p $$run/corpus; cp fuzz/corpus/$$t/* $$run/corpus/; \
	  case $$t in fuzz_lrc) limits="$(LRC_FUZZ_LIMITS)";; fuzz_recovery) limits="$(RECOVERY_FUZZ_LIMITS)";; \
	    *) limits="";; esac; \
	  echo "== $$t ($(or $(FUZZ_SECONDS),60) s)"; \
	  build-fuzz/fuzz/$$t $$run/corpus -max_len=65536 -max_total_time=$(or $(FUZZ_SECONDS),60) $$limits \
	    -print_final_stats=1 -artifact_prefix=$$run/ </dev/null >$$run/log 2>&1 || status=1; \
	  grep -E '^#[0-9]+ +DONE|number_of_executed_units|property broken|ERROR|SUMMARY|Test unit written' $$run/log; \
	done; exit $$status

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
