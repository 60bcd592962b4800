#!/usr/bin/env bash
# Builds and runs the tests under the sanitizers:
#
#   address    unit, host and fuzz-loop tests under AddressSanitizer + UndefinedBehaviorSanitizer
#              (build-asan, clang 14)
#   thread     both stress tests under ThreadSanitizer (build-tsan, g++)
#   fuzz       the libFuzzer state fuzzer, seeded with real saved states (build-asan)
#
#   scripts/sanitize.sh                 all three, in that order
#   scripts/sanitize.sh thread fuzz     the named ones
#
# build-asan serves the address tests and the fuzzer alike: all of it is compiled with the
# coverage instrumentation that libFuzzer needs (-fsanitize=fuzzer-no-link), which the
# other tests do not mind, and libFuzzer itself is linked into the fuzzer only. That saves
# a third build of the framework.
#
# VARNU_FUZZ_RUNS (default 200000) bounds the fuzzer; VARNU_FUZZ_SECONDS, when set, runs it
# for that long instead. VARNU_STRESS_SECONDS sets the length of each stress test (20 s
# through the host, 10 s in process, by default). Findings end the run with a failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(address thread fuzz)

log() { printf '[sanitize] %s\n' "$*"; }
die() { printf '[sanitize] error: %s\n' "$*" >&2; exit 1; }

"$root/scripts/setup.sh"
command -v clang++-14 >/dev/null || die "clang++-14 is missing (package clang-14)"

if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
    export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
    export TSAN_OPTIONS_SYMBOLIZER="external_symbolizer_path=/usr/lib/llvm-14/bin/llvm-symbolizer"
fi
suppressions="$root/tests/sanitizers"

# Every finding fails: UBSan stops at the first report, TSan's exit code is set on any report.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$suppressions/ubsan.supp"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0"

configure() { # build-dir, extra cmake arguments... (CC and CXX name the compiler)
    local dir="$1"; shift
    mkdir -p "$dir"
    # A directory configured with another compiler starts afresh.
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=$(command -v "$CXX")\$" "$dir/CMakeCache.txt"; then
        rm -f "$dir/CMakeCache.txt"
    fi
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNU_BUILD_BENCHMARKS=OFF "$@" >"$dir/configure.log" 2>&1 \
        || { cat "$dir/configure.log" >&2; die "configuring $dir failed"; }
}

in_x() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }

asan_dir="$root/build-asan"

configure_asan() {
    CC=clang-14 CXX=clang++-14 configure "$asan_dir" -DVARNU_SANITIZE=address,undefined -DVARNU_FUZZ=ON \
        -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
}

stage_address() {
    configure_asan
    cmake --build "$asan_dir" -j "$jobs" --target varnu_tests varnu_host_tests varnu_state_fuzz_loop
    # The real-time tests and the stress tests replace the allocator, which ASan owns here.
    (cd "$asan_dir" && in_x ctest --output-on-failure -j "$jobs" -R '^(unit|host|fuzz)\.')
}

stage_thread() {
    local dir="$root/build-tsan"
    CC=gcc CXX=g++ configure "$dir" -DVARNU_SANITIZE=thread
    cmake --build "$dir" -j "$jobs" --target varnu_host_stress varnu_inprocess_stress
    # The framework's MessageManager::Lock leaves a mutex locked on the message thread each
    # time it is taken there (see tsan.supp); the deadlock detector, which tracks at most 64
    # held locks per thread, would abort on them, so only races and mutex misuse are checked.
    export TSAN_OPTIONS="suppressions=$suppressions/tsan.supp:halt_on_error=0:exitcode=66:detect_deadlocks=0:${TSAN_OPTIONS_SYMBOLIZER:-}"
    (cd "$dir" && in_x ctest --output-on-failure -R '^stress\.')
}

stage_fuzz() {
    configure_asan
    cmake --build "$asan_dir" -j "$jobs" --target varnu_state_fuzzer varnu_state_seeds
    local work="$asan_dir/fuzz"
    rm -rf "$work/seeds"
    mkdir -p "$work/corpus"
    "$asan_dir/tests/fuzz/varnu_state_seeds" "$work/seeds"
    local bound=(-runs="${VARNU_FUZZ_RUNS:-200000}")
    [ -z "${VARNU_FUZZ_SECONDS:-}" ] || bound=(-max_total_time="$VARNU_FUZZ_SECONDS")
    (cd "$work" && "$asan_dir/tests/fuzz/varnu_state_fuzzer" "${bound[@]}" -seed=1 -max_len=4096 -print_final_stats=1 \
        -dict="$root/tests/fuzz/state.dict" corpus seeds "$root/tests/fuzz/regressions")
}

for stage in "${stages[@]}"; do
    case "$stage" in
        address|thread|fuzz) ;;
        *) die "unknown stage '$stage' (address, thread, fuzz)" ;;
    esac
    start=$(date +%s)
    log "stage $stage"
    "stage_$stage"
    log "stage $stage passed in $(( $(date +%s) - start )) s"
done
