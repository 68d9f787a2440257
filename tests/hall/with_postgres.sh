#!/usr/bin/env bash
# with_postgres.sh COMMAND ARGS...: the command beside a PostgreSQL of its own, in a folder gone afterwards. It
# finds the server at $FW_HALL_POSTGRES (trusting 127.0.0.1 only), stopped and started by "$FW_HALL_PG stop|start".
# PostgreSQL refuses to run as root: under root (as in CI) it runs as nobody.
set -euo pipefail
bin="$(pg_config --bindir)"
dir="$(mktemp -d /tmp/fusewalker-pg.XXXXXX)"
as=()
if [ "$(id -u)" = 0 ]; then
    chown nobody "$dir"
    as=(runuser -u nobody --)
fi
stop() {
    (cd "$dir" && "${as[@]}" "$bin/pg_ctl" -D "$dir/data" stop -m immediate >/dev/null 2>&1) || true
    rm -rf "$dir"
}
trap stop EXIT
cd "$dir"
"${as[@]}" "$bin/initdb" -D "$dir/data" -U hall --auth=trust --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log"; exit 1; }
# A free port: another test may hold the one tried first.
for try in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    cat >"$dir/pg" <<PG
#!/bin/sh
cd "$dir" && exec ${as[*]} "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 60 -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" "\$@"
PG
    chmod 755 "$dir/pg"
    "$dir/pg" start >/dev/null && break
    [ "$try" = 5 ] && { cat "$dir/log"; exit 1; }
done
export FW_HALL_POSTGRES="postgresql://hall@127.0.0.1:$port/postgres" FW_HALL_PG="$dir/pg"
cd - >/dev/null
"$@"
