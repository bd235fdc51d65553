#!/usr/bin/env bash
# scripts/install-deps against fake dpkg-query, apt-get, sudo and id: nothing on
# this machine is installed or removed. Usage: install_deps_test.sh SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0

fail() { echo "FAIL [$case]: $*"; fails=$((fails + 1)); }
expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }

# The fakes log every call to $work/log. FAKE_MISSING lists packages that are
# not installed, FAKE_CONFIG_ONLY removed ones whose configuration remains.
make_fakes() {
  local bin=$work/bin
  rm -rf "$bin" && mkdir -p "$bin"
  ln -s /usr/bin/env "$bin/env"
  ln -s /bin/true "$bin/true"
  cat >"$bin/dpkg-query" <<'FAKE'
#!/bin/bash
echo "dpkg-query $*" >>"$FAKE_LOG"
[ "$1" = -W ] && [ "$2" = '-f=${db:Status-Status} ${Package}\n' ] || { echo "fake dpkg-query: unexpected $1 $2" >&2; exit 64; }
shift 2
status=0
for p in "$@"; do
  if [[ " $FAKE_MISSING " == *" $p "* ]]; then
    echo "dpkg-query: no packages found matching $p" >&2; status=1
  elif [[ " ${FAKE_CONFIG_ONLY:-} " == *" $p "* ]]; then
    echo "config-files $p"
  else
    echo "installed $p"
  fi
done
exit $status
FAKE
  cat >"$bin/apt-get" <<'FAKE'
#!/bin/bash
echo "apt-get [${FAKE_VIA:-direct} ${DEBIAN_FRONTEND:-}] $*" >>"$FAKE_LOG"
[ "$1" = install ] && [ -n "${FAKE_INSTALL_FAILS:-}" ] && exit 100
exit 0
FAKE
  cat >"$bin/id" <<'FAKE'
#!/bin/bash
[ "$1" = -u ] && echo "$FAKE_UID"
FAKE
  if [ "$1" != no-sudo ]; then
    cat >"$bin/sudo" <<'FAKE'
#!/bin/bash
echo "sudo $*" >>"$FAKE_LOG"
[ "$1" = -n ] || exit 64
[ -n "$FAKE_SUDO_REFUSES" ] && { echo "sudo: a password is required" >&2; exit 1; }
shift
FAKE_VIA=sudo exec "$@"
FAKE
  fi
  chmod +x "$bin"/*
}

# run_case NAME UID SUDO(works|refuses|no-sudo) MISSING [GROUP...]
run_case() {
  case=$1
  local uid=$2 sudo=$3 missing=$4
  shift 4
  make_fakes "$sudo"
  : >"$work/log"
  PATH=$work/bin FAKE_LOG=$work/log FAKE_UID=$uid FAKE_MISSING=$missing \
    FAKE_SUDO_REFUSES=$([ "$sudo" = refuses ] && echo 1) /bin/bash "$script" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(<"$work/out")
  err=$(<"$work/err")
  log=$(<"$work/log")
  apt_calls=$(grep -c '^apt-get' "$work/log")
  [ -n "${DEBUG:-}" ] && { echo "--- $case status=$status"; cat "$work/log" "$work/err"; }
}

q='-f=${db:Status-Status} ${Package}\n'

run_case present-root 0 works ""
expect_eq "$status" 0 status
expect_eq "$out$err" "" output
expect_eq "$(grep -c '^dpkg-query' "$work/log")" 1 "dpkg-query calls"
expect_eq "$apt_calls" 0 "apt-get calls"

run_case present-user 1000 no-sudo "" build fuzz ci
expect_eq "$status" 0 status
expect_eq "$out$err" "" output
expect_eq "$log" "dpkg-query -W $q cmake ninja-build make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libfmt-dev clang libclang-rt-14-dev ccache binutils python3 clang-format" "the one query"

run_case missing-root 0 works "libfmt-dev libgtest-dev"
expect_eq "$status" 0 status
expect_eq "$(grep '^apt-get' "$work/log")" "apt-get [direct noninteractive] update -qq
apt-get [direct noninteractive] install -y --no-install-recommends libgtest-dev libfmt-dev" "apt-get calls"
[[ "$log" != *sudo* ]] || fail "root used sudo"

FAKE_CONFIG_ONLY=ccache run_case config-files-root 0 works "" ci
expect_eq "$(grep 'install' "$work/log")" "apt-get [direct noninteractive] install -y --no-install-recommends ccache" "removed package counts as missing"

run_case missing-sudo 1000 works "libcli11-dev ccache" build ci
expect_eq "$status" 0 status
expect_eq "$(grep '^apt-get' "$work/log")" "apt-get [sudo noninteractive] update -qq
apt-get [sudo noninteractive] install -y --no-install-recommends libcli11-dev ccache" "apt-get through sudo"

for sudo in refuses no-sudo; do
  run_case "missing-user-$sudo" 1000 $sudo "libfmt-dev clang" build fuzz
  expect_eq "$status" 1 status
  expect_eq "$out" "apt-get install -y --no-install-recommends libfmt-dev clang" "printed line"
  [[ "$err" == *"missing Debian packages: libfmt-dev clang"* ]] || fail "no explanation: $err"
  expect_eq "$apt_calls" 0 "apt-get calls"
done

FAKE_INSTALL_FAILS=1 run_case install-fails 0 works "libfmt-dev"
[ "$status" -ne 0 ] || fail "a failed apt-get install reported success"

run_case duplicate-groups 0 works "cmake" build build
expect_eq "$(grep 'install' "$work/log")" "apt-get [direct noninteractive] install -y --no-install-recommends cmake" "one install of each package"

run_case unknown-group 0 works "" build frobnicate
expect_eq "$status" 2 status
[[ "$err" == *'unknown group "frobnicate"'* ]] || fail "no message: $err"
expect_eq "$log" "" "nothing run"

[ "$fails" -eq 0 ] && echo "install-deps: all cases pass"
exit $((fails > 0))
