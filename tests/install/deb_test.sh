#!/usr/bin/env bash
# Builds the .deb into a temporary folder and checks its name, control fields
# and files, without installing it.
# Usage: deb_test.sh CPACK BUILD_DIR VERSION BINDIR PACKAGEDIR [PYTHON_FILE...]
set -uo pipefail
cpack=$1 build=$2 version=$3 bindir=$4 pkgdir=$5
shift 5
python_files=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

(cd "$build" && "$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$work/zuv_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb: $(ls "$work")"; cat "$work/cpack.log"; exit 1; }
if grep -q "warning" "$work/cpack.log"; then fail "cpack warned: $(grep warning "$work/cpack.log")"; fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zuv ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
# From shlibdeps: the C and C++ runtimes and fmt, each with a version.
IFS=, read -r -a entries <<<"$depends"
for lib in libc6 libstdc++6 libfmt; do
  found=
  for entry in "${entries[@]}"; do
    entry=${entry# }
    [[ "$entry" == "$lib"*" (>= "*")" ]] && found=1
  done
  [ -n "$found" ] || fail "Depends lacks a versioned $lib: '$depends'"
done
[[ "$depends" != *zuv* ]] || fail "the package depends on itself: '$depends'"
if [ ${#python_files[@]} -gt 0 ]; then
  for dep in "python3 (>= " "python3 (<< " python3-numpy python3-pandas; do
    [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep for the Python module: '$depends'"
  done
fi

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=$(printf './usr/%s\n' "$bindir/zuv" "$pkgdir/libzuvLib.so" "$pkgdir/zuv.pck" "${python_files[@]}" | sort)
[ "$files" = "$expected" ] || fail "files:
$files
expected:
$expected"

# Stripped: the package carries no debug sections.
mkdir "$work/x" && dpkg-deb -x "$deb" "$work/x"
for f in $expected; do
  [[ "$f" == *.py ]] && continue
  if readelf -S "$work/x/$f" | grep -q '\.debug_info'; then fail "$f is not stripped"; fi
done

[ "$fails" -eq 0 ] && echo "deb: all checks pass"
exit $((fails > 0))
