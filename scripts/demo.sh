#!/usr/bin/env bash
# The end-to-end demo on embedded defaults: builds the tree, starts the reference gateway on a free port with
# its seeded demo store, drives it through the product's transport with the request probe, then runs client
# sessions on the seeded demo PLM database: a look around, a transfer, a part number and the process list.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"
bin=build/linux_a64/code/bin
work=$(mktemp -d)
gateway_pid=""
cleanup() {
  [ -n "$gateway_pid" ] && kill "$gateway_pid" 2>/dev/null && wait "$gateway_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== starting the reference gateway (seeded demo store) =="
"$bin/ZELGateway" --port 0 --store "$work/pdm.db" --seed --log "$work/gateway.log" >"$work/gateway.out" 2>&1 &
gateway_pid=$!
for _ in $(seq 1 100); do
  grep -q "listening on" "$work/gateway.out" 2>/dev/null && break
  sleep 0.1
done
url=$(grep -o 'http[s]*://[^ ]*' "$work/gateway.out" | head -n 1)
[ -n "$url" ] || { cat "$work/gateway.out"; echo "gateway did not start"; exit 1; }
base=${url%ZELRequest}
echo "gateway: $url"
export ZEL_SERVER_URL=$base ZEL_MODULE=${ZEL_MODULE:-VBO}

echo "== connection probe =="
"$bin/ZELRequestProbe" --check && echo "gateway answers the probe"

echo "== one request, traced (ZEL_DEBUG=ON) =="
ZEL_DEBUG=ON "$bin/ZELRequestProbe" Test ExecuteTest=Mirror Server=OK Note="Grüße aus dem Demo"

echo "== a function the gateway does not know =="
"$bin/ZELRequestProbe" NoSuchFunction || echo "refused as expected (exit $?)"

echo "== gateway log =="
cat "$work/gateway.log"

echo "== a client session on a private copy of the demo PLM database (scripts/demo-session.script) =="
LD_LIBRARY_PATH=build/tests "$bin/CNEXT" --strict --script scripts/demo-session.script

echo "== the transfer of the demo product (scripts/demo-transfer.script): dialog, request, reply, result box =="
# Traced so that the request and reply documents show; the trace's own scope lines are left out.
ZEL_DEBUG=ON "$bin/CNEXT" --strict --script scripts/demo-transfer.script | grep -v -E '^ *ZEL: |ZELDBX|^$'

echo "== the requests of the transfer, as the gateway logged them =="
grep -E "GetSettingsInfo|SendEnoviaObjectToTC" "$work/gateway.log" || true

echo "== the transfer processes the gateway recorded =="
sqlite3 -readonly -header "$work/pdm.db" \
  "SELECT id, user_name, activity, object, state, description, started FROM processes ORDER BY id"

echo "== a part number from the PDM, then the user's PDM processes (scripts/demo-pdm.script) =="
"$bin/CNEXT" --strict --script scripts/demo-pdm.script
