# Sourced by the shell tests: check counts each named check as passed or
# failed, finish reports "$report: N passed, M failed" and exits 0 only when
# none failed. The sourcing script sets report first.
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"; else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
finish() {
  echo "$report: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}
