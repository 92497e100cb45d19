#!/usr/bin/env bash
# `cmake --install` into a folder of its own: the layout, and the installed program run from
# there finds its files in ../share/brevant and runs the bundled example. Needs no root.
#   install_tree_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d /tmp/brevant-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

cmake --install "$build_dir" --prefix "$work/prefix" >"$work/install.log" || {
  cat "$work/install.log"
  fail "cmake --install"
}
for f in bin/brevant share/brevant/kvdconv.cfg share/brevant/kvdtips.txt share/brevant/brevant.png \
  share/brevant/help/index.html share/brevant/examples/monthly.kvd \
  share/brevant/examples/monthly-template.xlsx share/brevant/examples/sales.db \
  share/brevant/examples/pictures/pens.png share/applications/brevant.desktop \
  share/icons/hicolor/256x256/apps/brevant.png share/mime/packages/brevant.xml \
  share/metainfo/com.velkora.Brevant.metainfo.xml share/man/man1/brevant.1.gz; do
  [[ -e "$work/prefix/$f" ]] || fail "$f is not installed"
done
# A build with the workspace installs the program brevant's interactive start runs.
workspace=$work/prefix/libexec/brevant/brevant-workspace
if [[ -e "$build_dir/brevant-workspace" ]]; then
  [[ -x "$workspace" ]] || fail "libexec/brevant/brevant-workspace is not installed"
fi

# The MIME type is one the MIME database accepts, and it maps .kvd files and their header.
if command -v update-mime-database >/dev/null; then
  mkdir -p "$work/mime/packages"
  cp "$work/prefix/share/mime/packages/brevant.xml" "$work/mime/packages/"
  XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>"$work/mime.err"
  [[ ! -s "$work/mime.err" ]] || fail "update-mime-database: $(cat "$work/mime.err")"
  grep -q '\*\.kvd' "$work/mime/globs2" || fail "no *.kvd glob in the MIME database"
  grep -q 'application/x-brevant-definition' "$work/mime/types" || fail "no MIME type"
fi
grep -q '^MimeType=application/x-brevant-definition;' \
  "$work/prefix/share/applications/brevant.desktop" || fail "the desktop file opens no .kvd"

# The installed program, with no copy of its files beside it, runs the example cleanly.
cp -r "$work/prefix/share/brevant/examples" "$work/example"
status=0
(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" "$work/prefix/bin/brevant" \
  example/monthly.kvd -C 2024 05) || status=$?
log=$work/example/output/monthly.log
((status == 0)) || fail "the example ended with status $status: $(cat "$log" 2>&1)"
! grep -q "kvdconv.cfg" "$log" || fail "kvdconv.cfg was not found: $(cat "$log")"
[[ -s "$work/example/output/monthly-2024-05.xlsx" ]] || fail "no report"
# Without -C the installed brevant hands the start to the installed workspace program, which
# (with no display here) says so.
if [[ -e "$workspace" ]]; then
  status=0
  said=$(env -i PATH=/usr/bin:/bin HOME="$work" "$work/prefix/bin/brevant" "$work/none.kvd" 2>&1) ||
    status=$?
  ((status == 2)) && [[ "$said" == *"no display to open the workspace on"* ]] ||
    fail "the interactive start did not reach the workspace program ($status): $said"
fi
# Its start-up errors go to the state folder, not into bin/.
(env -i PATH=/usr/bin:/bin HOME="$work" "$work/prefix/bin/brevant" "$work/none.kvd" -C) || true
[[ ! -e "$work/prefix/bin/brevant.log" ]] || fail "a start-up error was written into bin/"
grep -q "none.kvd" "$work/.local/state/brevant/brevant.log" || fail "no start-up error log"
echo "install tree: complete and working"
