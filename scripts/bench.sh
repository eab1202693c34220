#!/usr/bin/env bash
# The benchmarks under Wine: installs what is needed, builds the windows preset, and runs, in a
# prefix of their own (build/windows/wine-bench),
#   RondelBench.exe    how long a refresh takes, against a plain program doing the same listing;
#   RondelAnswers.exe  how long the real window goes without answering while other processes
#                      keep it waiting, and how soon it shows;
#   RondelLoad.exe     how the real window behaves while 5,000 services are listed and some keep
#                      changing (only with "load": about 10 minutes);
# then the native benchmarks of the sort and the catalogue against the in-memory machine.
#   scripts/bench.sh [--sizes 300,1000] [--rounds 9]
#   scripts/bench.sh answers [stop start browser dependencies refresh selections closing startup]   (the second alone)
#   scripts/bench.sh load [greyed clicks choices menu save scroll starts]                (the third alone)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
fail() { echo "bench.sh: $*" >&2; exit 1; }
targets=(RondelBench RondelAnswers)
[[ "${1:-}" == load ]] && targets=(RondelLoad)
cmake --preset windows >/dev/null && cmake --build --preset windows --target "${targets[@]}" >/dev/null ||
    fail "the windows build failed"
run=(tests/wine/wine-run --root build/windows/wine-bench)
"${run[@]}" --setup
trap '"${run[@]}" --shutdown' EXIT
echo "== under Wine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
if [[ "${1:-}" == answers ]]; then
    shift
    "${run[@]}" build/windows/bin/RondelAnswers.exe "$@" | iconv -f CP932 -t UTF-8
    exit 0
fi
if [[ "${1:-}" == load ]]; then
    shift
    "${run[@]}" build/windows/bin/RondelLoad.exe "$@" | iconv -f CP932 -t UTF-8
    exit 0
fi
# The native figures come from an optimised build without the sanitizers of the test preset.
cmake -S . -B build/native-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build/native-release --target rondel_bench >/dev/null || fail "the native release build failed"
"${run[@]}" build/windows/bin/RondelBench.exe "$@" | iconv -f CP932 -t UTF-8
echo "== the window while it waits"
"${run[@]}" build/windows/bin/RondelAnswers.exe | iconv -f CP932 -t UTF-8
echo "== natively, against the in-memory machine"
build/native-release/bin/rondel_bench --benchmark_min_time=0.2
