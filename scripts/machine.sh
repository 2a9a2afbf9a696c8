# Sourced by the scripts: what this machine can run, found by trying rather than by its name.
#   machine_runs_32bit   true when the kernel starts a 32-bit x86 program. HASHTALLY_NO_32BIT=1
#                        makes it false on any machine, so that the path of a machine without
#                        32-bit support can be tried anywhere.
#   machine_runs_win32   true when it also has the 32-bit Wine, so runs 32-bit Windows programs
#   machine_no_win32_why why not, as a clause
#   machine_wine64       the 64-bit Wine loader (wine64 is not on PATH in every package)

machine_runs_32bit() {
  [ "${HASHTALLY_NO_32BIT:-0}" = 1 ] && return 1
  if [ -z "${HT_RUNS_32BIT:-}" ]; then
    # A 32-bit ELF program of 93 bytes that only exits with status 0 (xor ebx,ebx; mov eax,1;
    # int 0x80), written out here so that the probe needs no 32-bit compiler or library.
    local probe
    probe=$(mktemp /tmp/hashtally-probe32.XXXXXX) || return 1
    printf '%b' \
      '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
      '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
      '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
      '\x00\x00\x00\x00' \
      '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
      '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
      '\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    if "$probe" >/dev/null 2>&1; then HT_RUNS_32BIT=1; else HT_RUNS_32BIT=0; fi
    rm -f "$probe"
    export HT_RUNS_32BIT
  fi
  [ "$HT_RUNS_32BIT" = 1 ]
}

machine_runs_win32() {
  machine_runs_32bit && [ -x /usr/lib/wine/wine ]
}

machine_no_win32_why() {
  if [ "${HASHTALLY_NO_32BIT:-0}" = 1 ]; then
    echo "HASHTALLY_NO_32BIT=1 treats this machine as one that cannot run 32-bit programs"
  elif ! machine_runs_32bit; then
    echo "this machine cannot run 32-bit programs"
  else
    echo "the 32-bit Wine is not installed (see scripts/setup.sh's warning)"
  fi
}

machine_wine64() {
  command -v wine64 2>/dev/null || echo /usr/lib/wine/wine64
}
