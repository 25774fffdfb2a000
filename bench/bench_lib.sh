# Shared by the benchmark scripts: source it once $src (the source tree)
# is set, then call bench_init.

# bench_init NAME [BUILD_DIR] [RUNS]: sets $build, $runs, $corvimg and a
# scratch folder $work that is removed when the script ends.
bench_init() {
  local name=$1
  build=${2:-$src/build/native}
  runs=${3:-5}
  corvimg=$build/tools/corvimg/corvimg
  [ -x "$corvimg" ] || { echo "$name: no $corvimg (build the native preset first)" >&2; exit 2; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/$name.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

now() { date +%s.%N; }

# best_of CMD...: the shortest wall time of $runs runs, in seconds.
best_of() {
  local best= t0 t1 dt
  for _ in $(seq "$runs"); do
    t0=$(now)
    "$@" >/dev/null 2>&1
    t1=$(now)
    dt=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$dt < $best" | bc -l)" = 1 ]; then best=$dt; fi
  done
  echo "$best"
}

size_of() { stat -c %s "$1"; }
