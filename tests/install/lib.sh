# Shared by the install tests: a temporary folder, failures that are collected
# so one run names every fault, and installs of the build folder $VOSTEL_BUILD_DIR.
INSTALL_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TMP=$(mktemp -d "${TMPDIR:-/tmp}/vostel-install.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
FAILED=0
fail() {
  echo "FAIL: $*" >&2
  FAILED=1
}
finish() {
  [ "$FAILED" = 0 ] && echo ok
  exit "$FAILED"
}

# install_into ROOT PREFIX: cmake --install into ROOT (a DESTDIR) under PREFIX,
# or, with an empty ROOT, straight into PREFIX.
install_into() {
  DESTDIR=$1 cmake --install "${VOSTEL_BUILD_DIR:?}" --prefix "$2" >"$TMP/install.log" ||
    { cat "$TMP/install.log" >&2; exit 1; }
}

# The files (not folders) under a folder, relative to it, sorted.
files_under() { (cd "$1" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); }

# The expected files under PREFIX (a relative path such as usr, or empty).
expected_files() { sed "s|^|${1:+$1/}|" "$INSTALL_TESTS/expected-files.txt" | LC_ALL=C sort; }
