#!/usr/bin/env bash
# Checks the systemd service and timer of packaging/systemd with `systemd-analyze verify` (an
# instance of each template, as `systemctl enable brevant-report@monthly.timer` makes), and
# runs the service's command line with brevant replaced by echo to see the parameter values it
# passes. Exit 77 (skipped) only when systemd-analyze is missing or cannot run at all here.
#   check_systemd.sh SOURCE_DIR
set -euo pipefail
units=$1/packaging/systemd

if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed (Debian package systemd)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Can the tool verify anything on this machine? A known-good unit tells.
printf '[Unit]\nDescription=probe\n[Service]\nType=oneshot\nExecStart=/bin/true\n' \
  >"$work/probe.service"
if ! systemd-analyze verify --man=no "$work/probe.service" >"$work/probe.out" 2>&1; then
  echo "SKIP: systemd-analyze verify does not work here: $(head -c 400 "$work/probe.out")"
  exit 77
fi

cp "$units/brevant-report@.service" "$units/brevant-report@.timer" "$work/"
ln -s "brevant-report@.service" "$work/brevant-report@monthly.service"
ln -s "brevant-report@.timer" "$work/brevant-report@monthly.timer"
# Warnings (an unknown key, a value that does not parse) do not change the exit status: any
# output at all is a failure.
status=0
(cd "$work" && systemd-analyze verify --man=no ./brevant-report@monthly.service \
  ./brevant-report@monthly.timer) >"$work/verify.out" 2>&1 || status=$?
if ((status != 0)) || [[ -s "$work/verify.out" ]]; then
  echo "systemd-analyze verify failed (status $status):"
  cat "$work/verify.out"
  exit 1
fi

# The command line: systemd's %% and $$ become % and $, %i the instance; brevant becomes echo.
exec_start=$(sed -n 's/^ExecStart=//p' "$units/brevant-report@.service")
command=${exec_start//%%/%}
command=${command//\$\$/\$}
command=${command//%i/monthly}
command=${command//\/usr\/bin\/brevant/echo}
eval "set -- $command"
got=$("$@")
# Last month, reckoned another way: the day before the first of this month.
want="/srv/brevant/definitions/monthly.kvd -C $(date -d "$(date +%Y-%m-01) -1 day" '+%Y %m')"
if [[ "$got" != "$want" ]]; then
  echo "the service runs: $got"
  echo "expected:         $want"
  exit 1
fi
# The timer fires once a month.
calendar=$(sed -n 's/^OnCalendar=//p' "$units/brevant-report@.timer")
systemd-analyze calendar --iterations=2 "$calendar" >"$work/calendar.out"
if ! grep -q "Next elapse" "$work/calendar.out"; then
  cat "$work/calendar.out"
  exit 1
fi
echo "systemd units: verified"
