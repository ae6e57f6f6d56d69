# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= 2

NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan
TSAN := $(BUILD)/tsan
WIN := $(BUILD)/win
FUZZ := $(BUILD)/fuzz

.PHONY: test run bench dist bootstrap native asan tsan fuzz windows test-native test-asan test-tsan test-fuzz test-windows test-dist format-check layout-check format clean mutation

test: format-check layout-check test-native test-asan test-tsan test-fuzz test-windows test-dist

# Every C++ file of the project as clang-format writes it with the committed
# .clang-format; `make format` rewrites them so.
SOURCES = $(shell git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null)
format-check: bootstrap
	@test -n "$(SOURCES)" || { echo "The formatting check lists the files through git."; exit 1; }
	@clang-format --dry-run --Werror $(SOURCES) && echo "Formatting: every file as clang-format writes it."

# No folder includes one above it; no source file over 600 lines.
layout-check:
	@tools/check-layout

format: bootstrap
	@clang-format -i $(SOURCES)

bootstrap:
	@tools/bootstrap

native: bootstrap
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

asan: bootstrap
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVANTOREL_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN) -j$(JOBS)

# The core's work that runs on threads of its own, under the thread sanitizer.
tsan: bootstrap
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DVANTOREL_TSAN=ON >/dev/null
	@cmake --build $(TSAN) -j$(JOBS) --target core_tests

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS)

windows: bootstrap
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=tools/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure -j$(JOBS)

test-asan: asan
	ctest --test-dir $(ASAN) --output-on-failure -j$(JOBS)

test-tsan: tsan
	TSAN_OPTIONS=halt_on_error=1 $(TSAN)/bin/core_tests --gtest_brief=1

test-fuzz: fuzz
	ctest --test-dir $(FUZZ) --output-on-failure -j$(JOBS)

# Wine tests share one prefix and one wineserver; they run one at a time
# because they share the service control manager too.
test-windows: windows
	tools/wine-session ctest --test-dir $(WIN) --output-on-failure

# Mutants of the core's lines, each built and tested in copies of the
# sources under build/mutation; the survivors and the score are listed.
# `make mutation FILES="scm/PendingWait.cpp ..."` or `SINCE=<commit>`; one
# mutant at a time unless JOBS is given (each job builds a tree of its own);
# MUTATE_ARGS passes more options (tools/mutate --help).
MUTATION_JOBS := $(if $(filter command line,$(origin JOBS)),$(JOBS),1)
mutation: bootstrap
	@test -n "$(FILES)$(SINCE)" || { echo 'make mutation FILES="core .cpp files" or SINCE=<commit>'; exit 1; }
	tools/mutate --jobs $(MUTATION_JOBS) --build $(BUILD)/mutation $(if $(SINCE),--since $(SINCE)) $(MUTATE_ARGS) $(FILES)

# The portable zip for Windows users, in dist/.
dist: windows
	@tools/make-dist dist

test-dist: windows
	tools/test-dist

# Native benchmarks first, then those that need the real platform under Wine.
# They are built optimized in a tree of their own: the test trees are debug
# builds, whose timings say little. Each benchmark ends non-zero when one of
# its ratios misses its target (or its result is wrong); all of them run,
# and then the target fails if any did.
BENCH_NATIVE := $(BUILD)/bench-native
# The history bench reads timestamps in the user's locale, which Wine takes
# from LC_ALL: it runs in each of these, and once more with named months.
HISTORY_LOCALES := es_ES en_US de_DE fr_FR ja_JP
BENCH_MISSED := $(BUILD)/bench-missed
bench: windows
	@cmake -S . -B $(BENCH_NATIVE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BENCH_NATIVE) -j$(JOBS)
	@: > $(BENCH_MISSED); \
	for b in $(BENCH_NATIVE)/bin/*_native_bench; do \
	    [ -x "$$b" ] || continue; "$$b" || echo "$${b##*/}" >> $(BENCH_MISSED); done; \
	tools/wine-session bash -c 'for b in $(WIN)/bin/*_wine_bench.exe; do \
	    case "$$b" in *history_wine_bench.exe) continue;; esac; \
	    [ -f "$$b" ] || continue; wine "$$b" || echo "$${b##*/}" >> $(BENCH_MISSED); done; \
	  for l in $(HISTORY_LOCALES); do LC_ALL=$$l.UTF-8 wine $(WIN)/bin/history_wine_bench.exe \
	    || echo "history_wine_bench.exe in $$l" >> $(BENCH_MISSED); done; \
	  LC_ALL=es_ES.UTF-8 wine $(WIN)/bin/history_wine_bench.exe dd-MMM-yyyy \
	    || echo "history_wine_bench.exe with dd-MMM-yyyy" >> $(BENCH_MISSED)' \
	  || echo "the Wine session" >> $(BENCH_MISSED); \
	if [ -s $(BENCH_MISSED) ]; then \
	    echo "make bench: a target missed or a result was wrong in"; sed 's/^/  /' $(BENCH_MISSED); \
	    exit 1; fi; \
	echo "make bench: every benchmark met its targets."

run: windows
	@if [ -f $(WIN)/bin/Vantorel.exe ]; then tools/run; \
	else echo "Vantorel.exe is not built yet: the program window arrives with its own issue."; exit 1; fi

clean:
	rm -rf $(BUILD) dist
