#!/usr/bin/env bash
# What the built programs carry, read back from the files themselves: the
# manifest of vostel.exe (common controls 6, per-monitor DPI awareness v2, the
# supported-OS entry of Windows 10 and 11), its icon in every size, the
# version resource of both programs with the version of project(), and the
# AVX2 path of the matching code.
#   resources_test.sh VOSTEL.EXE VOSTEL-TOOL.EXE VERSION
set -euo pipefail
exe=$1 tool=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

manifest=$(wrestool -x -R -t24 --name=1 "$exe")
for want in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
            '>PerMonitorV2' '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' \
            'version="'"$version"'.0"' 'level="asInvoker"'; do
  grep -qF "$want" <<<"$manifest" || fail "the manifest of $exe lacks $want"
done

# The icon group: a count, then 14 bytes an entry with the width first (0 is 256).
read -r -a group < <(wrestool -x -R -t14 --name=1 "$exe" | od -An -v -tu1 -w100000)
widths=()
for ((i = 0; i < group[4]; i++)); do widths+=($((group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]))); done
[ "${widths[*]}" = "16 24 32 48 64 128 256" ] || fail "the icon of $exe has the sizes ${widths[*]}"

for program in "$exe" "$tool"; do
  strings=$(wrestool -x -R -t16 "$program" | strings -el)
  for key in FileVersion ProductVersion; do
    [ "$(grep -A1 -x "$key" <<<"$strings" | tail -n 1)" = "$version" ] ||
      fail "$program: $key is not $version"
  done
  [ "$(grep -A1 -x OriginalFilename <<<"$strings" | tail -n 1)" = "$(basename "$program")" ] ||
    fail "$program: OriginalFilename is not $(basename "$program")"
  # The fixed part of the version: its major, minor and patch numbers.
  read -r -a fixed < <(wrestool -x -R -t16 "$program" | od -An -v -tu2 -j 48 -N 8 -w100)
  IFS=. read -r major minor patch <<<"$version"
  [ "${fixed[*]}" = "$minor $major 0 $patch" ] || fail "$program: the fixed file version is ${fixed[*]}"
done

# The matching code's AVX2 clone: 256-bit registers in vostel.exe.
[ "$(x86_64-w64-mingw32-objdump -d "$exe" | grep -c 'vpmaxsw.*%ymm')" -gt 0 ] ||
  fail "$exe has no AVX2 matching path"
echo "ok"
