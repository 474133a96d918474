#!/usr/bin/env bash
# Runs a validator on an installed file; skipped (77) where it is not installed.
#   usage: validate.sh VALIDATOR [ARG...] FILE
command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (bash scripts/deps.sh)"; exit 77; }
"$@" 2>&1
