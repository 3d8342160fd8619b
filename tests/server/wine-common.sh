# Shared by the Wine suites (sourced after setting $suite): checks, a fresh prefix, the bridge.
wine32=wine
wine64=/usr/lib/wine/wine64
# Where the kernel runs no 32-bit programs the x86 checks are counted as skipped.
if $wine32 --version >/dev/null 2>&1; then have32=1 archs="x86 x64"; else have32=0 archs=x64; fi
[ "$have32" = 1 ] || echo "$suite: this kernel runs no 32-bit programs: the x86 checks are SKIPPED"
host_of() { if [ "$1" = x86 ]; then echo "$wine32"; else echo "$wine64"; fi; }

passed=0 failed=0 skipped=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
check() { local what=$1; shift; if "$@"; then pass; else fail "$what"; fi; }
x86() { if [ "$have32" = 1 ]; then "$@"; else skipped=$((skipped + 1)); fi; }
on() { local arch=$1; shift; if [ "$arch" = x86 ]; then x86 "$@"; else "$@"; fi; }  # on ARCH COMMAND...
finish() { echo "$passed passed, $failed failed, $skipped skipped"; [ "$failed" -eq 0 ]; }
nothing() { if [ -z "$2" ]; then pass; else echo "$2" | head -n 20; fail "$1"; fi; }  # nothing WHAT TEXT

# Output of a Windows program without carriage returns; the program's status is kept.
run() { "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
winepath_of() { echo "Z:${1//\//\\}"; }

# expect NAME STATUS COMMAND...: one check that the command exits with STATUS and prints
# a line matching each regex of the array want, and none of the array unwanted; the
# output stays in $output.
want=() unwanted=()
expect() {
  local name=$1 status=$2 got pattern ok=true
  shift 2
  output=$(run "$@"); got=$?
  awk -v name="$name" '{print "  [" name "] " $0}' <<<"$output"
  [ "$got" -eq "$status" ] || ok=false
  for pattern in "${want[@]}"; do grep -qE "$pattern" <<<"$output" || { echo "  no line: $pattern"; ok=false; }; done
  for pattern in "${unwanted[@]}"; do ! grep -qE "$pattern" <<<"$output" || { echo "  line: $pattern"; ok=false; }; done
  if $ok; then pass; else fail "$name (exit $got)"; fi
}
# A test program or script that counts its own checks, as one check.
run_suite() { local name=$1 want=('^[0-9]+ passed, 0 failed$') unwanted=(); shift; expect "$name" 0 "$@"; }
# What the example prints after a full read (a Base64 DER certificate starts with MII).
full_read=('^Insurer: .*\(12345\)$' '^Name: .*\(10203040506\)$' '^Signer \(Base64\):  MII'
  '^All four blocks verified\.$' '^Card origin checked\.$')

# A fresh prefix in a work folder (also wineserver's TMPDIR), kept after a failure or with KAVRIN_BENCH_KEEP=1.
server_pid=
fresh_prefix() {
  work=$(mktemp -d "/tmp/kavrin-$suite.XXXXXX")
  mkdir -p "$work/tmp"
  export WINEPREFIX=$work/prefix TMPDIR=$work/tmp WINEDEBUG=-all DISPLAY=
  export WINEDLLOVERRIDES="${1:+$1;}mscoree,mshtml="
  trap 'cleanup $?' EXIT
  echo "$suite: making a fresh prefix"
  $wine64 wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  drive_c=$WINEPREFIX/drive_c
}
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  if [ "$1" -ne 0 ] || [ "${KAVRIN_BENCH_KEEP:-0}" = 1 ]; then echo "$suite: files kept in $work"; else rm -rf "$work"; fi
}
# The bridge's server and its winscard.dll (Wine's is a stub); needs fresh_prefix "winscard=n".
start_bridge() {
  "$1/wine-pcsc-bridge" >"$work/bridge.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do grep -q "listening on" "$work/bridge.log" && break; sleep 0.1; done
  grep -q "listening on" "$work/bridge.log" || { cat "$work/bridge.log"; echo "wine-pcsc-bridge did not start"; exit 1; }
  cp "$1/x64/winscard.dll" "$drive_c/windows/system32/winscard.dll"
  cp "$1/x86/winscard.dll" "$drive_c/windows/syswow64/winscard.dll"
}
