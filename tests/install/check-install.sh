#!/usr/bin/env bash
# Installs a build into temporary DESTDIR folders and checks what the desktop reads from it: the
# program beside its data folder, the desktop entry and the AppStream metadata (through
# desktop-file-validate and appstreamcli), the D-Bus service, the icons at every size, and the
# record of the installed program, for the default prefix and for one given to `cmake --install`.
# usage: check-install.sh <build folder> <bundle identifier>
set -euo pipefail
build="${1:?build folder}"
id="${2:?bundle identifier}"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Fails with the tool's words when it says anything: hints and warnings count too.
expect_silent() {
  local output
  if ! output="$("$@" 2>&1)" || [ -n "$output" ]; then
    fail "$* said: $output"
  fi
}

expect_file() {
  [ -f "$1" ] && [ -s "$1" ] || fail "missing or empty: $1"
}

expect_line() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1 has no line \"$2\""
}

# Width and height of a PNG, from its header.
png_size() {
  local w h
  read -r w h < <(od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  echo "${w}x${h}"
}

# install <staging folder> [cmake --install options...]
install_into() {
  local destdir="$1"
  shift
  local log
  if ! log="$(DESTDIR="$destdir" cmake --install "$build" "$@" 2>&1)"; then
    echo "$log" >&2
    fail "cmake --install $* failed"
    return 1
  fi
  # Every file the install wrote is in its manifest, so it can be removed again.
  while IFS= read -r -d '' file; do
    grep -qxF -- "${file#"$destdir"}" "$build/install_manifest.txt" || fail "not in the install manifest: $file"
  done < <(find "$destdir" -type f -print0)
}

check_install() {
  local destdir="$1" prefix="$2"
  local root="$destdir$prefix"
  local program="$prefix/bin/truneupdate"

  [ -x "$root/bin/truneupdate" ] || fail "no program at $root/bin/truneupdate"
  # The program finds its data folder at <folder of the executable>/../share/truneupdate.
  expect_file "$root/share/truneupdate/release-log.jsonl"
  expect_line "$root/share/truneupdate/installed-program.txt" "$program"

  local entry="$root/share/applications/$id.desktop"
  expect_file "$entry"
  expect_silent desktop-file-validate "$entry"
  expect_line "$entry" "Exec=truneupdate"
  expect_line "$entry" "Icon=$id"
  expect_line "$entry" "DBusActivatable=true"

  local metainfo="$root/share/metainfo/$id.metainfo.xml"
  expect_file "$metainfo"
  local verdict
  verdict="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate said: $verdict"

  # A D-Bus activatable entry is started through the service named like the entry.
  local service="$root/share/dbus-1/services/$id.service"
  expect_line "$service" "[D-BUS Service]"
  expect_line "$service" "Name=$id"
  expect_line "$service" "Exec=$program"

  local size icon
  for size in 16 22 24 32 48 64 96 128 256 512; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    if [ -f "$icon" ]; then
      [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "$icon is $(png_size "$icon")"
    else
      fail "missing icon: $icon"
    fi
  done
  icon="$root/share/icons/hicolor/scalable/apps/$id.svg"
  expect_file "$icon"
  grep -q "<svg" "$icon" 2>/dev/null || fail "$icon is no SVG picture"
}

command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing: run scripts/setup"
command -v appstreamcli >/dev/null || fail "appstreamcli is missing: run scripts/setup"

# The configured prefix (/usr/local unless the build chose another).
configured_prefix="$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")"
install_into "$stage/default" && check_install "$stage/default" "$configured_prefix"
# A prefix chosen only when installing, as for one user's ~/.local.
install_into "$stage/chosen" --prefix /opt/trune-check && check_install "$stage/chosen" /opt/trune-check

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed and validated under $configured_prefix and /opt/trune-check"
