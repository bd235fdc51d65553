#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout and the RPATHs,
# moves the prefix and runs the installed zuv from an empty folder elsewhere,
# with no option or variable naming its package or library. With the Python
# module's files named, $ZUV_PYTHON imports the moved module and decodes the
# demo's recording with it.
# Usage: install_tree_test.sh CMAKE BUILD_DIR BINDIR PACKAGEDIR VERSION [PYTHON_FILE...]
set -uo pipefail
cmake=$1 build=$2 bindir=$3 pkgdir=$4 version=$5
shift 5
python_files=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

"$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }

expected=$(printf '%s\n' "$bindir/zuv" "$pkgdir/libzuvLib.so" "$pkgdir/zuv.pck" "${python_files[@]}" | sort)
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
[ "$(cd "$work/moved" && find . -type f | wc -l)" -eq $((3 + ${#python_files[@]})) ] || fail "demo wrote into the installed tree"

if [ ${#python_files[@]} -gt 0 ]; then
  site=$work/moved/$(dirname "$(dirname "${python_files[0]}")")
  # The moved module finds the moved package; the demo's recording decodes as the tool's lines say.
  lines=$(grep -c '"pin":"decoder.oImu"' "${folders[0]}/demo.jsonl")
  # shellcheck disable=SC2086 # ZUV_PYTHON_ENV is a list of assignments
  env -u ZUV_PACKAGE ${ZUV_PYTHON_ENV:-} PYTHONPATH="$site" PYTHONDONTWRITEBYTECODE=1 "${ZUV_PYTHON:-/usr/bin/python3}" -c '
import sys, zuv
assert zuv.package_path().startswith(sys.argv[1]), zuv.package_path()
frames = zuv.decode(sys.argv[2], {"pImuData": "Enabled", "pVerbose": False})
print(len(frames["oImu"]))' "$work/moved/" "${folders[0]}/demo.zrec" >"$work/out" 2>&1 || fail "python: $(<"$work/out")"
  [ "$(<"$work/out")" = "$lines" ] || fail "python decoded '$(<"$work/out")' IMU rows, the demo's lines hold $lines"
fi

# A working folder it cannot write into: a clear error, not a crash.
mkdir "$work/gone" && cd "$work/gone" && rmdir "$work/gone"
if run demo --duration 1; then
  fail "demo in a removed folder reported success"
else
  grep -q "cannot create a folder for the demo" "$work/out" || fail "demo in a removed folder: $(<"$work/out")"
fi

[ "$fails" -eq 0 ] && echo "install tree: all checks pass"
exit $((fails > 0))
