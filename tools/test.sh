#!/bin/sh
# Builds everything (the Windows cross-builds included) and runs every test: once in a
# release build with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the threading tests under ThreadSanitizer.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"
jobs=$(nproc)

run_suite() {
    name=$1
    shift
    dir="$top/build-$name"
    echo "== $name build"
    cmake -S "$top" -B "$dir" -G Ninja -DVRN07_WERROR=ON "$@"
    cmake --build "$dir" -j "$jobs"
}

# Formatting first: it takes a second and fails fast.
echo "== clang-format"
git -C "$top" ls-files '*.cpp' '*.h' | (cd "$top" && xargs clang-format --dry-run -Werror)

run_suite release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir "$top/build-release" --output-on-failure -j "$jobs"

run_suite asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRN07_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$top/build-asan" --output-on-failure -j "$jobs" -LE benchmark

run_suite tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRN07_SANITIZE=thread
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$top/build-tsan" --output-on-failure -L threads \
    --no-tests=ignore

# The plug-in driven as hosts drive it by libFuzzer for a bounded time, from the committed
# corpus (new inputs go to a scratch folder, not into the tree).
run_suite fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRN07_FUZZ=ON -DVRN07_SANITIZE=address,undefined \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
scratch="$top/build-fuzz/corpus"
mkdir -p "$scratch"
ASAN_OPTIONS=detect_leaks=1 \
    "$top/build-fuzz/tests/fuzz/vrn07-fuzz-plugin" -max_total_time=60 -timeout=30 \
    -artifact_prefix="$top/build-fuzz/" \
    -print_final_stats=1 "$scratch" "$top/tests/fuzz/corpus"

# What this machine could not run, in one line, where the output ends.
if ! reason=$("$top/tests/windows/run-under-wine.sh" --probe x86); then
    echo "== Not run here: the 32-bit Windows binaries were built but not run: $reason"
fi
