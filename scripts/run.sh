#!/usr/bin/env bash
# Installs, builds, and starts the tool together with the board simulator, so
# that every function can be tried without a board. The simulator plays a few
# remote-control buttons by itself each time learning is switched on.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build/release}"

# A free loopback port for the simulator (60000 when it is free).
port=60000
while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done

demo="$build/demo"
mkdir -p "$demo/Dat"
ini="$demo/zovax-ether.ini"
if [ ! -f "$ini" ]; then
    # First run: the tool targets the simulator on loopback.
    printf '[CLCNF]\r\nHost____=127.000.000.001\r\nPort____=%s\r\n' "$port" > "$ini"
else
    sed -i "s/^Port____=.*/Port____=$port\r/" "$ini"
fi

"$build/sim/zovax-board-sim" --host 127.0.0.1 --port "$port" \
    --flash "$demo/board-flash.txt" --no-stdin \
    --autoplay "NEC=20DF10EF*9,SONY12=1501*20,KASEIKYO*8,JVC*16,SHARP*20,SAMSUNG*9,MITSUBISHI*18,NEC48*8,SONY20*20,AIRCON,NOMATCH*10" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.3
echo "Board simulator on 127.0.0.1:$port (pid $sim). Connect with 接続."
"$build/src/app/zovax-ether" "$ini"
