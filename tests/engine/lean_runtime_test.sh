#!/usr/bin/env bash
# The downloaded programs' lean runtime (engine/lean_runtime_win32.cpp): library errors
# still arrive as exceptions our boundaries catch, with the library's texts, and the
# shipped programs carry neither the runtime's demangling terminate handler nor its
# exception texts.
set -eu
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
probe=$VEXA_BINARY_DIR/tests/engine/lean_runtime_probe.exe

expected="substr: std::exception: basic_string::substr: __pos (which is 5) > this->size() (which is 3)
at: std::exception: vector::_M_range_check: __n (which is 7) >= this->size() (which is 3)
too long: std::bad_alloc
null: std::exception: basic_string: construction from null is not valid
system: std::exception: Resource temporarily unavailable
fine: no exception"
expect_eq "library errors as our boundaries see them" "$expected" "$(wine "$probe" | tr -d '\r')"

for program in VexaInstall.exe Uninstall.exe VexaStandAloneWebProg.exe VexaLoad.ocx VEXAUSA.OCX; do
  expect_true "$program has no demangling terminate handler" \
    bash -c "! grep -aq 'terminate called after throwing' '$VEXA_SOURCE_DIR/dist/$program'"
done
finish
