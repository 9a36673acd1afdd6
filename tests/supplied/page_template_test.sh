#!/usr/bin/env bash
# The page template, filled as the release builder fills it (plain replacement of the eight
# placeholders, in the builder's order), checked with tidy and opened in headless Chromium
# at a desktop and a phone width. The screenshots are kept in build/artifacts/.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
need_programs identify tidy chromium

template=$VEXA_SOURCE_DIR/supplied/HtmlTemplates/TemplateSetup01.htm
artifacts=$VEXA_SOURCE_DIR/build/artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts" "$scratch/site"

placeholders=(VEXA_GENERATED_TIME VEXA_SCRIPT_FILENAME VEXA_HTML_TITLE VEXA_LOAD_OCX_URL VEXA_LOAD_OCX_VERSION
  VEXA_PROGRAM_FRIENDLY_NAME VEXA_STAND_ALONE_EXE_NAME VEXA_WIZARD_VERSION)
values=("12/7/2026 9:00:00 AM" "AcmePaintScript.Cab" "Install Acme Paint from the web"
  "http://www.acme.example/activex/VexaLoad.cab" "1,0,0,1" "Acme Paint 2.0" "AcmePaintWebSetup.exe" "1.0")

text=$(cat "$template")
for i in "${!placeholders[@]}"; do
  expect_true "the template uses ${placeholders[$i]}" grep -q "${placeholders[$i]}" "$template"
  text=${text//"${placeholders[$i]}"/"${values[$i]}"}
done
page=$scratch/site/AcmePaint.htm
printf '%s\n' "$text" >"$page"
# The stand-alone program lies beside the page, as the release directory holds it.
printf 'MZ' >"$scratch/site/AcmePaintWebSetup.exe"

expect_eq "no placeholder word is left" "" "$(grep -o 'VEXA_[A-Z_]*' "$page" | sort -u | paste -sd ' ')"
tidy_out=$(tidy -q -e "$page" 2>&1)
expect_eq "tidy: no errors and no warnings" "0 " "$? $tidy_out"
expect_eq "nothing is fetched from elsewhere (only the legacy loader's codebase names a site)" \
  'codebase="http://www.acme.example/activex/VexaLoad.cab#version=1,0,0,1"' \
  "$(grep -oiE '(src|href|codebase|data|action)="[a-z]+:[^"]*"|url\([^)]*\)|@import' "$page")"

chromium_run() {  # chromium_run ARGS... : a fresh profile each time, no network services
  local profile
  profile=$(mktemp -d "$scratch/profile.XXXX")
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    --enable-logging=stderr --v=0 "$@" "file://$page"
}

dom=$(chromium_run --dump-dom 2>"$scratch/console.txt")
expect_eq "Chromium: the title" "<title>Install Acme Paint from the web</title>" "$(grep -o '<title>[^<]*</title>' <<<"$dom")"
expect_eq "Chromium: the product name" '<p class="product">Acme Paint 2.0</p>' "$(grep -o '<p class="product">[^<]*</p>' <<<"$dom")"
href=$(grep -o '<a class="download" id="download" href="[^"]*"' <<<"$dom" | sed 's/.*href="//;s/"$//')
expect_eq "Chromium: the download link names the stand-alone program" "AcmePaintWebSetup.exe" "$href"
expect_true "the download link resolves to the file beside the page" test -f "$(dirname "$page")/$href"
expect_eq "Chromium: the loader names the script cabinet" '<param name="ScriptFile" value="AcmePaintScript.Cab">' \
  "$(grep -o '<param name="ScriptFile" value="[^"]*">' <<<"$dom")"
expect_eq "Chromium: small print with the time and the wizard version" \
  "<small>Page made 12/7/2026 9:00:00 AM with VexaWizard 1.0.</small>" "$(grep -o '<small>[^<]*</small>' <<<"$dom")"
expect_eq "Chromium: no script errors or console messages" "" \
  "$(grep -iE 'console|uncaught|error.*(script|\.htm)' "$scratch/console.txt")"

for shot in desktop:1280,900 phone:390,844; do
  name=${shot%%:*}
  size=${shot#*:}
  rm -f "$artifacts/page-template-$name.png"
  chromium_run --hide-scrollbars --screenshot="$artifacts/page-template-$name.png" --window-size="$size" \
    >/dev/null 2>&1
  expect_eq "Chromium: a $name screenshot of ${size/,/x}" "${size/,/x}" \
    "$(identify -format '%wx%h' "$artifacts/page-template-$name.png" 2>/dev/null)"
done
finish
