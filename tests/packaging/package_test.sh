#!/usr/bin/env bash
# The Debian package from end to end: CPack makes it from the build folder, apt installs it on
# this machine, a plain user runs the bundled example from the installed copy, the man page,
# --version and the desktop files are checked, and a purge leaves /usr as it found it.
# Needs root (CI runs it as root); exit 77 (skipped) otherwise.
#   package_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3
package=$build_dir/brevant_${version}_amd64.deb

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: installing a package needs root"
  exit 77
fi
fail() {
  echo "FAIL: $*"
  exit 1
}
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 -q "$@"
}
work=$(mktemp -d /tmp/brevant-package-XXXXXX)
chmod 755 "$work"
cleanup() {
  if dpkg-query -W -f='${Status}' brevant 2>/dev/null | grep -q installed; then
    apt_get purge -y brevant >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A copy left by an earlier, interrupted run goes first.
if dpkg-query -W -f='${Status}' brevant 2>/dev/null | grep -q installed; then
  apt_get purge -y brevant >/dev/null
fi

# --- the package --------------------------------------------------------------------------------
rm -f "$build_dir"/brevant_*_amd64.deb
(cd "$build_dir" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack could not make the package"
}
[[ -f "$package" ]] || fail "cpack made no $package: $(ls "$build_dir"/*.deb 2>&1)"

depends=$(dpkg-deb -f "$package" Depends)
for library in libqt6widgets6 libodbc2 libsqlite3-0 libzip4 libpugixml1v5 libcurl4 libssl3; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
for tool in gcc g++ clang cmake libreoffice; do
  [[ ", $depends," != *", $tool "* && ", $depends," != *", $tool,"* ]] ||
    fail "Depends names $tool: $depends"
done
[[ "$(dpkg-deb -f "$package" Recommends)" == *libreoffice-calc-nogui* ]] ||
  fail "LibreOffice is not recommended"
[[ "$(dpkg-deb -f "$package" Version)" == "$version" ]] || fail "package version"

# --- install ------------------------------------------------------------------------------------
list_usr() { find /usr -xdev -not -path '*/__pycache__*' | LC_ALL=C sort; }
list_usr >"$work/usr-before"
apt_get install -y --no-install-recommends "$package" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"
  fail "apt could not install the package"
}

for f in /usr/bin/brevant /usr/libexec/brevant/brevant-workspace /usr/share/brevant/kvdconv.cfg \
  /usr/share/brevant/kvdtips.txt /usr/share/brevant/help/index.html \
  /usr/share/brevant/examples/monthly.kvd /usr/share/brevant/examples/sales.db \
  /usr/share/applications/brevant.desktop \
  /usr/share/icons/hicolor/256x256/apps/brevant.png /usr/share/mime/packages/brevant.xml \
  /usr/share/metainfo/com.velkora.Brevant.metainfo.xml /usr/share/man/man1/brevant.1.gz; do
  [[ -e "$f" ]] || fail "$f is not installed"
done
# The MIME database took the .kvd type in (shared-mime-info's trigger ran).
if command -v update-mime-database >/dev/null; then
  [[ -f /usr/share/mime/application/x-brevant-definition.xml ]] ||
    fail "the MIME type application/x-brevant-definition is not in the MIME database"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/brevant.desktop || fail "desktop file"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net /usr/share/metainfo/com.velkora.Brevant.metainfo.xml \
    >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log"
    fail "AppStream metadata"
  }
fi

[[ "$(/usr/bin/brevant --version | head -1)" == "Brevant $version" ]] ||
  fail "--version says $(/usr/bin/brevant --version | head -1), the package $version"

# --- the man page: found by man, renders without warnings, names every option of --help -------
if command -v man >/dev/null; then
  [[ "$(man -w brevant)" == /usr/share/man/man1/brevant.1.gz ]] || fail "man -w brevant"
  MANWIDTH=100 man --warnings -E UTF-8 brevant >"$work/man.txt" 2>"$work/man.err"
  [[ ! -s "$work/man.err" ]] || fail "man page warnings: $(cat "$work/man.err")"
else
  zcat /usr/share/man/man1/brevant.1.gz >"$work/man.txt"
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
  grep -q "^$section" "$work/man.txt" || fail "the man page has no $section section"
done
for option in $(/usr/bin/brevant --help | grep -oE '(^| )--?[A-Za-z][A-Za-z-]*' | sort -u); do
  grep -qF -- "${option%%\[*}" "$work/man.txt" || fail "the man page does not describe $option"
done
for variable in BREVANT_USER BREVANT_PASSWORD BREVANT_SETTINGS XDG_STATE_HOME; do
  grep -q "$variable" "$work/man.txt" || fail "the man page does not name $variable"
done
grep -q "Brevant $version" "$work/man.txt" || fail "the man page carries another version"

# --- the example, as a plain user, from the installed copy --------------------------------------
runner=nobody
home=$work/home
mkdir -p "$home"
chown "$runner" "$home"
as_user() { runuser -u "$runner" -- env -i PATH=/usr/bin:/bin HOME="$home" "$@"; }
status=0
as_user sh -c 'cp -r /usr/share/brevant/examples "$HOME/example" &&
  cd "$HOME" && brevant example/monthly.kvd -C 2024 05' || status=$?
log=$home/example/output/monthly.log
[[ -f "$log" ]] || fail "the example wrote no log"
((status == 0)) || {
  cat "$log"
  fail "the example ended with status $status"
}
[[ -s "$home/example/output/monthly-2024-05.xlsx" ]] || fail "the example wrote no report"
! grep -q "kvdconv.cfg" "$log" || fail "the installed program did not find its file types: $(cat "$log")"
grep -q "Close the log file." "$log" || fail "the run log is not closed"

# Without -C the start is handed to the workspace program, which needs a display.
status=0
said=$(as_user brevant example/monthly.kvd 2>&1) || status=$?
((status == 2)) && [[ "$said" == *"no display to open the workspace on"* ]] ||
  fail "the interactive start did not reach /usr/libexec/brevant/brevant-workspace ($status): $said"

# A start-up error of the installed program goes to the user's state folder, not to /usr/bin.
status=0
as_user brevant "$home/missing.kvd" -C || status=$?
((status == 2)) || fail "a missing definition ended with status $status"
grep -q "missing.kvd" "$home/.local/state/brevant/brevant.log" ||
  fail "the start-up error is not in ~/.local/state/brevant/brevant.log"
status=0
env -i PATH=/usr/bin:/bin HOME="$work/root-home" brevant "$work/missing.kvd" -C || status=$?
((status == 2)) || fail "a missing definition ended with status $status (root)"
[[ ! -e /usr/bin/brevant.log ]] || fail "root's start-up error went into /usr/bin"

# --- purge: nothing left under /usr that no package owns ----------------------------------------
apt_get purge -y brevant >"$work/purge.log" 2>&1 || {
  cat "$work/purge.log"
  fail "apt could not remove the package"
}
list_usr >"$work/usr-after"
left=()
while IFS= read -r path; do
  dpkg -S "$path" >/dev/null 2>&1 || left+=("$path")
done < <(LC_ALL=C comm -13 "$work/usr-before" "$work/usr-after")
((${#left[@]} == 0)) || fail "left under /usr after the purge: ${left[*]}"
[[ ! -e /usr/bin/brevant && ! -e /usr/share/brevant ]] || fail "the package's files remain"
echo "package: brevant_${version}_amd64.deb built, installed, run, removed"
