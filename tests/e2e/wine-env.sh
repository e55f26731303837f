# Sourced by the end-to-end scripts: a throw-away Wine prefix with CJK fonts
# and an X server of its own, torn down on every exit path.
#
#   source tests/e2e/wine-env.sh
#   wine_use_arch win32       # optional: a 32-bit Windows (default win64)
#   wine_env_start            # sets WINEPREFIX, DISPLAY, E2E_TMP; traps EXIT
#   wine_run 60 prog.exe args # a Windows program, killed after 60 s
#   wine_env_stop             # also run by the trap
#
# win64 is Debian's wine64; win32 is a 32-bit-only prefix run by Debian's
# 32-bit Wine (wine32:i386), which this x86_64 kernel runs through qemu-user
# (scripts/install-deps.sh registers qemu-i386 for i386 programs).
#
# wine_exports and wine_prefix_init also serve a lasting prefix on a desktop
# (scripts/win-open-demo.sh).
#
# Every wait is bounded: a stuck program or server fails the run instead of
# hanging it.

WINE_LOADER_WIN64=${WINE_LOADER_WIN64:-/usr/lib/wine/wine64}
WINE_LOADER_WIN32=${WINE_LOADER_WIN32:-/usr/lib/wine/wine}
E2E_WINEARCH=${E2E_WINEARCH:-win64}
WINE_LOADER=${WINE_LOADER:-$WINE_LOADER_WIN64}
# The 64-bit server serves 32-bit prefixes too, natively.
WINESERVER_BIN=${WINESERVER_BIN:-/usr/lib/wine/wineserver}
# The font the Chinese captions are drawn with (fonts-noto-cjk).
E2E_CJK_FACE=${E2E_CJK_FACE:-Noto Sans CJK TC}
E2E_CJK_FILE=${E2E_CJK_FILE:-NotoSansCJK-Regular.ttc}

_wine_env_log() { echo "[wine-env] $*" >&2; }

# Bytes of a text as the comma-separated hex of its UTF-16LE form, for
# hex(7) (multi-string) values of a .reg file. Arguments are the strings.
_reg_multi_sz() {
  local s out=""
  for s in "$@"; do
    out+=$(printf '%s' "$s" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' )
    out+="00,00,"
  done
  out+="00,00"
  out=${out#,}
  echo "${out//,,/,}"
}

# The registry of the prefix: CJK font replacements and links; with
# "headless" also the X11 settings for an X server without a window manager
# (Wine draws the captions and waits for no window manager's answer).
_wine_env_registry() {
  local reg="$WINEPREFIX/taliq-setup.reg" link headless=${1:-}
  link=$(_reg_multi_sz "$E2E_CJK_FILE,$E2E_CJK_FACE")
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"新細明體"="%s"\r\n' "$E2E_CJK_FACE"
    printf '"新細明體-ExtB"="%s"\r\n' "$E2E_CJK_FACE"
    printf '"PMingLiU"="%s"\r\n' "$E2E_CJK_FACE"
    printf '"PMingLiU-ExtB"="%s"\r\n' "$E2E_CJK_FACE"
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    printf '"Tahoma"=hex(7):%s\r\n' "$link"
    printf '"MS Shell Dlg"=hex(7):%s\r\n' "$link"
    printf '"MS Shell Dlg 2"=hex(7):%s\r\n' "$link"
    if [ "$headless" = headless ]; then
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
      printf '"Decorated"="N"\r\n'
      printf '"Managed"="N"\r\n'
    fi
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
    printf '"ShowCrashDialog"=dword:00000000\r\n'
    printf '\r\n'
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  # Checked by reading values back rather than by regedit's exit status:
  # under qemu-user a 32-bit process is now and then killed on its way out.
  local try check="$WINEPREFIX.reg-check"
  for try in 1 2 3; do
    wine_run 60 regedit /S "$(winepath_of "$reg")"
    wine_run 60 reg query 'HKCU\Software\Wine\Fonts\Replacements' /v PMingLiU >"$check" 2>&1
    if grep -q PMingLiU "$check"; then
      [ "$headless" = headless ] || return 0
      wine_run 60 reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >"$check" 2>&1
      grep -q Managed "$check" && return 0
    fi
    _wine_env_log "the registry settings did not land (try $try of 3)"
  done
  return 1
}

# The Windows path of a Unix path inside the prefix's Z: drive.
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

# Runs a Windows program with a time limit; its exit status, or 124 when it
# was killed.
wine_run() {
  local limit=$1
  shift
  timeout -k 5 "$limit" "$WINE_LOADER" "$@"
}

# The kind of Windows the next prefix is: win64 or win32.
wine_use_arch() {
  case "$1" in
    win64) E2E_WINEARCH=win64; WINE_LOADER=$WINE_LOADER_WIN64 ;;
    win32) E2E_WINEARCH=win32; WINE_LOADER=$WINE_LOADER_WIN32 ;;
    *) _wine_env_log "unknown Windows kind $1"; return 1 ;;
  esac
}

# The environment every Wine call of these scripts runs with.
wine_exports() {
  export WINEARCH=$E2E_WINEARCH
  # Which Windows the driver runs on, for what depends on it
  # (archsetup_scenarios.cc), and whether it runs under qemu-user, where no
  # process can read another's memory (dll_search_scenarios.cc).
  export E2E_WINDOWS=$E2E_WINEARCH
  E2E_EMULATED=""
  if [ "$E2E_WINEARCH" = win32 ] && grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
    E2E_EMULATED=1
  fi
  export E2E_EMULATED
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer dialogs, no desktop menu entries.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINESERVER="$WINESERVER_BIN"
}

wine_env_start() {
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/taliq-e2e.XXXXXX")
  export E2E_TMP
  export WINEPREFIX="$E2E_TMP/prefix"
  wine_exports
  trap wine_env_stop EXIT
  trap 'exit 130' INT TERM

  # Xvfb picks a free display and writes its number to fd 3.
  local display_file="$E2E_TMP/display"
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$display_file" >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$display_file" ] && break
    if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
      _wine_env_log "Xvfb failed to start:"; cat "$E2E_TMP/xvfb.log" >&2; return 1
    fi
    sleep 0.1
  done
  [ -s "$display_file" ] || { _wine_env_log "Xvfb gave no display within 10 s"; return 1; }
  export DISPLAY=":$(head -n1 "$display_file" | tr -d '[:space:]')"

  # One server for the whole run, so that every program starts fast.
  _wine_env_persistent=1
  wine_prefix_init headless || return 1
  # No crash debugger from here on: under emulation winedbg takes long to
  # start, and it holds the crashed program's output open. A crash still
  # fails its scenario.
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"
}

# Boots the prefix named by WINEPREFIX (wineboot), within `limit` seconds;
# true once Wine reports the prefix set up. Under emulation the boot's own
# process now and then crashes or hangs on its way out after that report;
# it is then stopped. The output goes to a file, never a pipe: a helper the
# boot starts (a crash debugger) may hold its output open long after.
# (DISPLAY stays set: the desktop process the boot starts keeps the display
# it was started with.)
_wine_boot() {
  local log=$1 limit=$2 pid i
  timeout -k 5 "$limit" "$WINE_LOADER" wineboot -i >"$log" 2>&1 </dev/null &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if grep -qs 'has been updated' "$log"; then
      for i in $(seq 1 10); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 1
      done
      kill "$pid" 2>/dev/null
      break
    fi
    sleep 1
  done
  wait "$pid"
  local status=$?
  [ $status -eq 0 ] || grep -qs 'has been updated' "$log"
}

# Creates and sets up the prefix named by WINEPREFIX: CJK fonts, and with
# "headless" the settings for Xvfb. Three tries, each with a fresh prefix:
# under emulation a boot hangs now and then (about one in six here).
wine_prefix_init() {
  local log="$WINEPREFIX.wineboot.log" try
  for try in 1 2 3; do
    mkdir -p "$WINEPREFIX"
    [ -n "${_wine_env_persistent:-}" ] && "$WINESERVER_BIN" -p >/dev/null 2>&1
    if _wine_boot "$log" 120 && _wine_env_registry "${1:-}" >>"$log" 2>&1 </dev/null; then
      rm -f "$log"
      # The caption buttons are drawn with Marlett; Debian keeps Wine's copy
      # where this Wine does not look.
      if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      fi
      return 0
    fi
    _wine_env_log "setting up the prefix failed (try $try of 3):"
    grep -v '^qemu: uncaught' "$log" | tail -n 10 >&2
    timeout 20 "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
    timeout 20 "$WINESERVER_BIN" -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  done
  return 1
}

# Sets the Program Files folder the next programs are told about.
wine_set_program_files() {
  wine_run 60 reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' \
    /v ProgramFilesDir /d "$1" /f >/dev/null 2>&1
}

# The Unix path of a folder below the prefix's C: drive.
wine_c_drive() { printf '%s/drive_c' "$WINEPREFIX"; }

wine_env_stop() {
  local status=$?
  trap - EXIT
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
    timeout 20 "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
    timeout 20 "$WINESERVER_BIN" -w >/dev/null 2>&1 || true
  fi
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  fi
  if [ -n "${E2E_TMP:-}" ] && [ -z "${E2E_KEEP:-}" ]; then
    rm -rf "$E2E_TMP"
  fi
  return $status
}
