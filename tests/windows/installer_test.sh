#!/usr/bin/env bash
# Installs the Windows setup silently under a fresh Wine prefix, installs it again over itself
# (an upgrade in place), uninstalls it, and checks at each step what a user would find: the
# files, the Start-menu shortcuts, the Apps & features entry, the machine PATH, and at the end
# that nothing is left. Then installs into a folder holding a file of the user's own, which the
# uninstall must keep, with a PATH too long to edit safely, which both must keep.
# Usage: tests/windows/installer_test.sh SETUP_EXE [STAGE_DIR]
#   The files expected come from STAGE_DIR, else from the zip packed beside the setup.
#   MENSURO_INSTALLED_CHECK=SCRIPT runs SCRIPT with the installed folder's Unix path while the
#   install is in place (WINEPREFIX names the prefix); the test fails if it does.
set -euo pipefail

fail() {
  echo "installer test: FAILED: $*" >&2
  exit 1
}
pass() { echo "installer test: ok: $*"; }

{ [ $# -ge 1 ] && [ $# -le 2 ]; } || fail "usage: $0 SETUP_EXE [STAGE_DIR]"
[ -f "$1" ] || fail "no setup $1"
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
name="$(basename "$setup")"
[[ "$name" =~ ^Mensuro-(.+)-setup\.exe$ ]] || fail "not named Mensuro-VERSION-setup.exe: $name"
version="${BASH_REMATCH[1]}"

# What the install must hold: the stage's files and the uninstaller.
if [ $# -eq 2 ]; then
  [ -d "$2" ] || fail "no stage folder $2"
  staged="$(cd "$2" && find . -type f | sed 's|^\./||')"
else
  zip_file="$(dirname "$setup")/Mensuro-$version-windows-x64.zip"
  [ -f "$zip_file" ] || fail "no stage folder given and no $zip_file beside the setup"
  staged="$(unzip -Z1 "$zip_file" | grep -v '/$' | sed "s|^Mensuro-$version/||")"
fi
expected="$(printf '%s\nUninstall.exe\n' "$staged" | LC_ALL=C sort)"

WINEPREFIX="$(mktemp -d)"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
log="$(mktemp)"
# wineserver -k stops only this prefix's server, which the test started.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$log"' EXIT

# Runs a Windows program and waits for all it started: the uninstaller copies itself to the
# temporary folder, runs the copy and returns at once.
run() {
  local status=0
  wine "$@" >"$log" 2>&1 || status=$?
  wineserver -w
  [ "$status" -eq 0 ] || {
    cat "$log" >&2
    fail "wine $* exited with $status"
  }
}

# reg.exe prints "    NAME    TYPE    DATA" lines with CRLF endings; /reg:64 reads the 64-bit
# view the installer writes, not Wow6432Node.
# Runs reg.exe. Wine now and then fails to start a program while the server of one that just
# ended shuts down (status 127, or no output at all); reg's own answers are 0 (found, done) and
# 1 (not found), and asking again is harmless.
wine_reg() {
  local output status
  for _ in 1 2 3 4 5; do
    status=0
    output="$(wine reg "$@" 2>/dev/null)" || status=$?
    if [ "$status" -eq 1 ] || { [ "$status" -eq 0 ] && [ -n "$output" ]; }; then
      printf '%s\n' "$output"
      return "$status"
    fi
    sleep 1
  done
  echo "installer test: reg $* failed (status $status)" >&2
  return "$status"
}
reg_line() {
  local lines
  lines="$(wine_reg query "$1" /v "$2" /reg:64 | tr -d '\r')" || true
  grep "^    $2    " <<<"$lines" || true
}
reg_value() { reg_line "$1" "$2" | sed 's/^    [^ ]*    [A-Z_]*    //'; }
reg_type() { reg_line "$1" "$2" | awk '{print $2}'; }
has_key() { wine_reg query "$1" /reg:64 >/dev/null; }

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mensuro'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
settings_key='HKCU\Software\Mensuro'
folder='C:\Program Files\Mensuro'
dir="$WINEPREFIX/drive_c/Program Files/Mensuro"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Mensuro"

# The first start makes the prefix.
wineboot --init >"$log" 2>&1 || { cat "$log" >&2; fail "wineboot could not make a prefix"; }
wineserver -w
path_before="$(reg_value "$environment_key" Path)"
[ "$(reg_type "$environment_key" Path)" = REG_EXPAND_SZ ] || fail "the fresh prefix's PATH is odd"

check_installed() {
  local actual shortcuts kb
  [ -d "$dir" ] || fail "no $dir"
  actual="$(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
  diff -u <(echo "$expected") <(echo "$actual") >"$log" || {
    cat "$log" >&2
    fail "the installed files differ from the stage's (above)"
  }
  pass "every file of the stage in Program Files\\Mensuro, and the uninstaller"

  shortcuts="$(cd "$menu" 2>/dev/null && ls)" || fail "no Start-menu folder $menu"
  [ "$shortcuts" = "$(printf '%s\n' 'Mensuro User Guide.lnk' 'Mensuro.lnk' \
    'Uninstall Mensuro.lnk')" ] || fail "the Start-menu folder holds: $shortcuts"
  pass "Start-menu shortcuts Mensuro, Mensuro User Guide, Uninstall Mensuro"

  expect_value DisplayName Mensuro
  expect_value DisplayVersion "$version"
  expect_value Publisher "Mensuro project"
  expect_value DisplayIcon "$folder\\mensuro.exe,0"
  expect_value InstallLocation "$folder"
  expect_value UninstallString "\"$folder\\Uninstall.exe\""
  expect_value QuietUninstallString "\"$folder\\Uninstall.exe\" /S"
  expect_value URLInfoAbout https://www.mensuro.org
  expect_value NoModify 0x1
  expect_value NoRepair 0x1
  # NSIS counts each file in whole KB, rounded up.
  kb="$(cd "$dir" && find . -type f ! -name Uninstall.exe -printf '%s\n' |
    awk '{ kb += int(($1 + 1023) / 1024) } END { printf "0x%x", kb }')"
  expect_value EstimatedSize "$kb"
  pass "the Apps & features entry (64-bit view), EstimatedSize $((kb)) KB"

  [ "$(reg_value "$environment_key" Path)" = "$path_before;$folder" ] ||
    fail "PATH is not the old one and the folder once: $(reg_value "$environment_key" Path)"
  [ "$(reg_type "$environment_key" Path)" = REG_EXPAND_SZ ] || fail "PATH is no more REG_EXPAND_SZ"
  pass "the folder at the end of the machine PATH, once, REG_EXPAND_SZ kept"
}

expect_value() {
  local actual
  actual="$(reg_value "$uninstall_key" "$1")"
  [ "$actual" = "$2" ] || fail "uninstall entry $1 is '$actual', not '$2'"
}

started=$SECONDS
run "$setup" /S /PATH
pass "silent install with /PATH"
check_installed

# The window's settings, as QSettings keeps them: an upgrade keeps them, an uninstall does not.
wine_reg add "$settings_key\\MainWindow" /v geometry /d saved /f >/dev/null
run "$setup" /S
pass "silent install over the first (an upgrade in place), without /PATH"
check_installed
has_key "$settings_key" || fail "the upgrade removed the user's settings"
pass "the user's settings kept by the upgrade"

if [ -n "${MENSURO_INSTALLED_CHECK:-}" ]; then
  "$MENSURO_INSTALLED_CHECK" "$dir" || fail "$MENSURO_INSTALLED_CHECK failed on the install"
  pass "$MENSURO_INSTALLED_CHECK"
fi

run "$dir/Uninstall.exe" /S
pass "silent uninstall"
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find .)"
pass "the install folder gone"
[ ! -e "$menu" ] || fail "the Start-menu folder is still there"
pass "the Start-menu folder gone"
! has_key "$uninstall_key" || fail "the uninstall entry is still there"
pass "the uninstall entry gone"
! has_key "$settings_key" || fail "the user's settings are still there"
pass "the user's settings gone"
[ "$(reg_value "$environment_key" Path)" = "$path_before" ] ||
  fail "PATH is not as before: $(reg_value "$environment_key" Path)"
[ "$(reg_type "$environment_key" Path)" = REG_EXPAND_SZ ] || fail "PATH is no more REG_EXPAND_SZ"
pass "PATH as before the install"

# A folder the user chose that holds other things: the uninstall takes only what it put there.
# And a PATH longer than NSIS reads whole: asked for /PATH, the setup must leave it alone.
tools="$WINEPREFIX/drive_c/Tools"
mkdir -p "$tools"
echo "mine" >"$tools/notes.txt"
long_path="$(printf 'C:\\Long\\%04d;' $(seq 1 120))$path_before"
wine_reg add "$environment_key" /v Path /t REG_EXPAND_SZ /d "$long_path" /f /reg:64 >/dev/null
run "$setup" /S /PATH '/D=C:\Tools'
[ -f "$tools/mensuro.exe" ] || fail "/D=C:\\Tools installed elsewhere"
[ "$(reg_value "$environment_key" Path)" = "$long_path" ] || fail "the setup changed a long PATH"
pass "a PATH of ${#long_path} characters left as it was"
run "$tools/Uninstall.exe" /S
[ -f "$tools/notes.txt" ] || fail "the uninstall from C:\\Tools removed the user's file"
[ "$(cd "$tools" && find . -mindepth 1)" = "./notes.txt" ] ||
  fail "the uninstall from C:\\Tools left: $(cd "$tools" && find . -mindepth 1)"
pass "an install into a folder of the user's own: the uninstall keeps the user's file alone"
[ "$(reg_value "$environment_key" Path)" = "$long_path" ] || fail "the uninstall changed a long PATH"

echo "installer test: all passed in $((SECONDS - started)) s (after the prefix was made)"
