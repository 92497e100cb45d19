#!/usr/bin/env bash
# What the starters of the test servers (start-postgres.sh, start-mariadb.sh) share. Sourced by
# them; defines functions only.

# True when running as root, after making sure the system user $1 exists: the servers refuse to
# run as root, so they run as that user instead.
brevant_as_service_user() {
  [[ $(id -u) -eq 0 ]] || return 1
  if ! id "$1" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$1"
  fi
}

# Runs the command $1 when the sourcing shell exits, before the exit trap set already (if any).
brevant_stop_on_exit() {
  local command=$1 previous
  previous=$(trap -p EXIT)
  if [[ -n "$previous" ]]; then
    # `trap -p` prints: trap -- 'the command' EXIT
    eval "set -- $previous"
    # shellcheck disable=SC2064
    trap "$command; $3" EXIT
  else
    # shellcheck disable=SC2064
    trap "$command" EXIT
  fi
}

# Prints the path of the ODBC driver library $1 from Debian's driver folders; fails when none has
# it.
brevant_find_odbc_driver() {
  local dir
  for dir in /usr/lib/x86_64-linux-gnu/odbc /usr/lib/aarch64-linux-gnu/odbc /usr/lib/odbc \
    /usr/lib64; do
    if [[ -e "$dir/$1" ]]; then
      echo "$dir/$1"
      return 0
    fi
  done
  return 1
}
