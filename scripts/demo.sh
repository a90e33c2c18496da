#!/usr/bin/env bash
# The end-to-end demo on embedded defaults: builds the tree, starts the reference gateway on a free port with
# its seeded demo store, drives it through the product's transport with the request probe, then runs client
# sessions on the seeded demo PLM database: a look around, a transfer, a part number and the process list, a
# PDM item queried and sent to 3DEXPERIENCE (the gateway writes it into the session's PLM database) and opened;
# then a web client asks the listener to open that product, which a serving session opens.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"
bin=build/linux_a64/code/bin
work=$(mktemp -d)
gateway_pid="" listener_pid="" session_pid=""
# A short path: the bus's socket names must fit in about a hundred bytes.
bus=$(mktemp -d /tmp/zelbus-XXXXXX)
cleanup() {
  for pid in $gateway_pid $listener_pid $session_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work" "$bus"
}
trap cleanup EXIT

echo "== starting the reference gateway (seeded demo store, sending into a demo PLM database) =="
# The PLM database the client sessions of the send and open steps work on; the gateway writes sent items there.
"$bin/CATPLMSeed" "$work/plm.db"
"$bin/ZELGateway" --port 0 --store "$work/pdm.db" --seed --log "$work/gateway.log" \
  --plm-database "$work/plm.db" >"$work/gateway.out" 2>&1 &
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

echo "== from the PDM into 3DEXPERIENCE (scripts/demo-send.script): login, query, send, open, PDM attributes =="
"$bin/CNEXT" --strict --plm "$work/plm.db" --script scripts/demo-send.script

echo "== opening the sent product from a web client: listener -> CATSTART -> ZELSender -> bus -> the session =="
# The launcher's environment file gives the sender the session's bus; the build tree is the installation.
printf '# the platform environment of the open path\nCATBackboneDirectory=%s\n' "$bus" >"$work/platform.env"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])')
printf 'LOG_LEVEL = INFO\nPORT = %s\n3DEXPERIENCE_DIR = %s\n3DEXPERIENCE_ENV_FILE = %s\n' \
  "$port" "$PWD/build" "$work/platform.env" >"$work/listener.cfg"
ZEL_LISTENER_CONFIG_FILE="$work/listener.cfg" "$bin/ZELListenerService" >"$work/listener.out" 2>&1 &
listener_pid=$!
printf 'receiver\nserve 120 %s\nwindows\nmessages\n' "$work/stop-session" >"$work/session.script"
CATBackboneDirectory=$bus "$bin/CNEXT" --plm "$work/plm.db" --script "$work/session.script" >"$work/session.out" 2>&1 &
session_pid=$!
for _ in $(seq 1 100); do
  grep -q "Opened socket for listen" "$work/listener.out" 2>/dev/null && grep -q "receiver running" "$work/session.out" &&
    break
  sleep 0.1
done
request="ZEL:@:OPEN3DX:@:VPMReference@@ZEL-000100@@A.1"
echo "web client sends: $request"
/usr/bin/python3 tests/ZELListenerService/clients/ws_client.py --port "$port" \
  --hex "$(printf '%s' "$request" | od -An -tx1 | tr -d ' \n')"
touch "$work/stop-session"
wait "$session_pid" && session_pid=""
echo "-- the session's transcript --"
cat "$work/session.out"
kill -TERM "$listener_pid" && wait "$listener_pid" && listener_pid=""
echo "-- the listener's console (its log) --"
cat "$work/listener.out"

echo "== coexistence administration as a preview, then the property viewer (scripts/demo-coexistence.script) =="
"$bin/CNEXT" --strict --script scripts/demo-coexistence.script
