# Sourced by the build scripts: compile through ccache when it is installed,
# so that a second build of the same sources (another clone or build folder
# of this machine, a CI run after the last) reuses the object files. Paths
# below the source root are hashed relative to it. Sets ccache_args.
ccache_args=()
if command -v ccache >/dev/null 2>&1 && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  ccache_args=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
