#!/usr/bin/env bash
# Soak test of the command-line calculation on random models:
#   soak.sh VELOR_RANDOM_MODEL VELOR_CLI COUNT [FIRST_SEED]
# VELOR_SOAK_MODELS overrides COUNT (a longer run: VELOR_SOAK_MODELS=2000). For every model:
# "velor-cli calc" must exit 0 for a feasible model and 3 for an infeasible one, without a crash
# or a sanitizer report, and the model it saves must load again ("velor-cli convert").
set -uo pipefail
generator=$1
cli=$2
count=${VELOR_SOAK_MODELS:-$3}
first_seed=${4:-1}

work=$(mktemp -d "${TMPDIR:-/tmp}/velor-soak.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/models" "$work/out"

"$generator" "$work/models" "$count" "$first_seed" 10 || { echo "generator failed"; exit 1; }

failures=0
feasible=0
infeasible=0
fail() {
  echo "FAIL $1: $2"
  sed 's/^/    /' "$work/stderr" | head -40
  failures=$((failures + 1))
}
for model in "$work"/models/*.vlr; do
  name=$(basename "$model" .vlr)
  case "$name" in
    infeasible_*) expected=3; infeasible=$((infeasible + 1)) ;;
    *) expected=0; feasible=$((feasible + 1)) ;;
  esac
  out="$work/out/$name.vlr"
  "$cli" calc "$model" -o "$out" --quiet >/dev/null 2>"$work/stderr"
  code=$?
  if grep -qE "AddressSanitizer|LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer" "$work/stderr"; then
    fail "$name" "sanitizer report"
    continue
  fi
  if [ "$code" -ne "$expected" ]; then
    fail "$name" "exit code $code, expected $expected"
    continue
  fi
  if [ "$expected" -eq 0 ]; then
    "$cli" convert "$out" "$work/out/$name.again.vlr" --quiet >/dev/null 2>"$work/stderr"
    code=$?
    if [ "$code" -ne 0 ]; then
      fail "$name" "the saved model does not load back (convert exit $code)"
      continue
    fi
    if ! cmp -s "$out" "$work/out/$name.again.vlr"; then
      echo "" >"$work/stderr"
      fail "$name" "the saved model changes when it is loaded and saved again"
      continue
    fi
  fi
done
echo "soak: $((feasible + infeasible)) models ($feasible feasible, $infeasible infeasible)," \
  "$failures failures"
[ "$failures" -eq 0 ]
