#!/usr/bin/env bash
# Installs what is missing, builds, starts the sample service on loopback and
# resolves its share page with quorlin-resolve: one whole resolution, with no
# network beyond this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target quorlin-resolve quorlin-sample-service

build=build/native
service_out=$(mktemp)
"$build/tests/support/quorlin-sample-service" >"$service_out" &
service=$!
trap 'kill "$service" 2>/dev/null; rm -f "$service_out"' EXIT

for _ in $(seq 50); do
  [[ -s $service_out ]] && break
  sleep 0.1
done
origin=$(head -n 1 "$service_out")
share="${origin}down_19968240.html"

echo "Sample service: $origin"
echo "Share page:     $share"
echo -n "Resolved:       "
"$build/cli/quorlin-resolve" "$share"
