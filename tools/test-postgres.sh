#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the production record's tests.
#   start LINK [durable]
#                makes a cluster in a new temporary folder, listening only on a Unix socket
#                in that folder, and points LINK (a symbolic link) at the folder; durable
#                keeps fsync on (the benchmark's), else the tests' crashes need no fsync
#   stop LINK    stops the cluster LINK points at and removes it and LINK
#   pause LINK   stops the server the hard way (a crash, as far as clients can tell)
#   resume LINK  starts it again
# The server refuses to run as root: as root the cluster belongs to the postgres account.
set -euo pipefail
action=${1:?start, stop, pause or resume}
link=${2:?the link to the cluster}
bindir=$(pg_config --bindir)

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

folder() { readlink "$link"; }

start_server() {
  local dir options
  dir=$(folder)
  options="-c listen_addresses='' -c unix_socket_directories='$dir'"
  # fsync off: a crash of the server is what the tests make, never one of the machine.
  [ -f "$dir/durable" ] || options="$options -c fsync=off"
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s -o "$options" start
}

stop_server() {
  local dir
  dir=$(folder)
  [ -f "$dir/data/postmaster.pid" ] || return 0
  as_owner "$bindir/pg_ctl" -D "$dir/data" -w -s -m immediate stop || true
}

remove() {
  [ -L "$link" ] || return 0
  stop_server
  rm -rf "$(folder)"
  rm -f "$link"
}

case $action in
  start)
    remove
    dir=$(mktemp -d "${TMPDIR:-/tmp}/pagerprog-pg.XXXXXX")
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    ln -s "$dir" "$link"
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C --auth-local=trust --no-sync \
      >"$dir/initdb.log" 2>&1
    # A login with a password, for the tests of a refused one; everyone else is trusted.
    printf 'local all pagerprog_password_test scram-sha-256\nlocal all all trust\n' >"$dir/data/pg_hba.conf"
    if [ "${3:-}" = durable ]; then touch "$dir/durable"; fi
    start_server
    ;;
  stop) remove ;;
  pause) stop_server ;;
  resume)
    if ! as_owner "$bindir/pg_ctl" -D "$(folder)/data" status >/dev/null; then start_server; fi
    ;;
  *) echo "unknown action $action" >&2; exit 2 ;;
esac
