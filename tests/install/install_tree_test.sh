#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout and the RPATHs,
# moves the prefix and runs the installed zuv from an empty folder elsewhere,
# with no option or variable naming its package or library.
# Usage: install_tree_test.sh CMAKE BUILD_DIR BINDIR PACKAGEDIR VERSION
set -uo pipefail
cmake=$1 build=$2 bindir=$3 pkgdir=$4 version=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

"$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }

expected=$(printf '%s\n' "$bindir/zuv" "$pkgdir/libzuvLib.so" "$pkgdir/zuv.pck" | sort)
actual=$(cd "$work/prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$actual" = "$expected" ] || fail "installed files:
$actual
expected:
$expected"

runpath() { readelf -d "$1" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p'; }
rel=$(realpath -m --relative-to="/x/$bindir" "/x/$pkgdir")
[ "$(runpath "$work/prefix/$bindir/zuv")" = "\$ORIGIN/$rel" ] || fail "zuv runpath: $(runpath "$work/prefix/$bindir/zuv")"
[ "$(runpath "$work/prefix/$pkgdir/zuv.pck")" = "\$ORIGIN" ] || fail "zuv.pck runpath: $(runpath "$work/prefix/$pkgdir/zuv.pck")"
[ -z "$(runpath "$work/prefix/$pkgdir/libzuvLib.so")" ] || fail "libzuvLib.so has a runpath"

# Moved, the tree still works: nothing in it points at where it was installed.
mv "$work/prefix" "$work/moved"
zuv=$work/moved/$bindir/zuv
mkdir "$work/run"
cd "$work/run" || exit 1
run() { env -u ZUV_PACKAGE -u LD_LIBRARY_PATH "$zuv" "$@" >"$work/out" 2>&1; }

run --version || fail "--version: $(<"$work/out")"
[ "$(<"$work/out")" = "zuv $version" ] || fail "--version printed '$(<"$work/out")'"

run describe ZUV_FrameReader || fail "describe: $(<"$work/out")"
grep -q pComPort "$work/out" || fail "describe shows no pComPort: $(head -5 "$work/out")"

run demo --duration 2 || fail "demo: $(tail -5 "$work/out")"
grep -q "identical to demo.jsonl" "$work/out" || fail "demo replay not identical: $(tail -8 "$work/out")"
folders=(zuv-demo-*)
if [ ${#folders[@]} -ne 1 ] || [ ! -d "${folders[0]}" ]; then
  fail "demo left '$(ls -A)' in the working folder, expected one zuv-demo-* folder"
else
  for f in demo.zrec demo.jsonl replay.jsonl; do
    [ -s "${folders[0]}/$f" ] || fail "demo folder lacks $f"
  done
fi
[ "$(cd "$work/moved" && find . -type f | wc -l)" -eq 3 ] || fail "demo wrote into the installed tree"

# A working folder it cannot write into: a clear error, not a crash.
mkdir "$work/gone" && cd "$work/gone" && rmdir "$work/gone"
if run demo --duration 1; then
  fail "demo in a removed folder reported success"
else
  grep -q "cannot create a folder for the demo" "$work/out" || fail "demo in a removed folder: $(<"$work/out")"
fi

[ "$fails" -eq 0 ] && echo "install tree: all checks pass"
exit $((fails > 0))
