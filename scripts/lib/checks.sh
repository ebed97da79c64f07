# Sourced by the check scripts: one line per check, and the tally.
#   check DESCRIPTION SEEN EXPECTED
# counts into $passed and $failed, which the script prints at its end.
passed=0
failed=0

check() {
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
    echo "  ok    $1"
  else
    failed=$((failed + 1))
    echo "  FAIL  $1"
    echo "        expected: $3"
    echo "        found:    ${2:-<nothing>}"
  fi
}
