# Sourced by every bench script (". bench/common.sh" from the script's own
# folder): $top, the top of the source tree, and $bin, the programs of the
# build folder named by the environment variable BUILD (absolute, or
# relative to the top of the tree; default build), whose core the Python
# tools load (PPTOOLS_CORE).
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
case $build in /*) ;; *) build=$top/$build ;; esac
bin=$build/bin
# The Python tools load the core of this build, not another build's.
PPTOOLS_CORE=$build/bridge/libpptools_core.so
export PPTOOLS_CORE

# built NAME: the path of a program of the build, or a line that says to
# build first and the end of the script.
built() {
  [ -x "$bin/$1" ] || { echo "$(basename "$0"): build first: $bin/$1 not found (BUILD=$build)" >&2; exit 1; }
  printf '%s\n' "$bin/$1"
}
