#!/usr/bin/env bash
# The loopback server's injected faults, which the web setup tests rely on to be exact: a
# one-time drop falls on the answer whose body holds the offset (never on a range that
# begins past it, which a parallel download may ask for first), and once only.
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
need_programs curl

scratch=$(mktemp -d)
trap 'stop_web_server; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/root"
head -c 1000 /dev/urandom >"$scratch/root/file.bin"
start_web_server "$scratch/root"

# Body bytes of one ranged GET (the connection may end early).
got() { curl -s -r "$1" "$web_base/file.bin" 2>/dev/null | wc -c; }

echo "drop /file.bin 500" >"$web_faults"
expect_eq "a range that begins past the drop offset is sent whole" 100 "$(got 600-699)"
expect_eq "a range that ends before it is sent whole" 100 "$(got 0-99)"
expect_true "the drop is still armed" grep -qx "drop /file.bin 500" "$web_faults"
expect_eq "the range holding the offset stops there" 200 "$(got 300-699)"
expect_true "the drop is then used up" grep -qx "dropped /file.bin 500" "$web_faults"
expect_eq "the next request of that range is sent whole" 400 "$(got 300-699)"

echo "drop-always /file.bin 500" >"$web_faults"
expect_eq "drop-always: every answer holding the offset stops there" "200 200" "$(got 300-699) $(got 300-699)"
expect_eq "drop-always: a range past the offset is sent whole" 100 "$(got 600-699)"
finish
