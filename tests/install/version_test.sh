#!/usr/bin/env bash
# `zuv --version` prints "zuv VERSION" and exits 0. Usage: version_test.sh ZUV VERSION
set -uo pipefail
out=$("$1" --version 2>&1)
status=$?
if [ "$status" -ne 0 ] || [ "$out" != "zuv $2" ]; then
  echo "FAIL: zuv --version gave status $status and '$out', expected 'zuv $2'"
  exit 1
fi
