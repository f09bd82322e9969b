#!/usr/bin/env bash
# quenfold-crc over a 1 GiB file with the page cache warm, beside the read
# alone and the system's CRC tools; --all over 1 MiB; then the engine's
# in-memory speed on the same flag combinations, for the ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps bench
cmake --preset default >/dev/null
cmake --build --preset default --target quenfold-crc crc_bench >/dev/null
q=build/default/src/cli/quenfold-crc
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c 1G /dev/urandom >"$dir/1g.bin"
head -c 1M /dev/urandom >"$dir/1m.bin"
cat "$dir/1g.bin" >/dev/null

commands=(
  -n "quenfold-crc CRC-32/ISO-HDLC" "$q --preset CRC-32/ISO-HDLC $dir/1g.bin"
  -n "quenfold-crc --modbus" "$q --modbus $dir/1g.bin"
  -n "quenfold-crc --ccitt" "$q --ccitt $dir/1g.bin"
  -n "read alone (dd bs=1M)" "dd if=$dir/1g.bin of=/dev/null bs=1M status=none"
)
if cksum -a crc /dev/null >/dev/null 2>&1; then
  commands+=(-n "cksum -a crc" "cksum -a crc $dir/1g.bin")
fi
if command -v crc32 >/dev/null; then
  commands+=(-n "crc32" "crc32 $dir/1g.bin")
fi

uptime
hyperfine -N --warmup 2 --runs 10 "${commands[@]}"
hyperfine -N --warmup 3 --runs 20 -n "quenfold-crc --all, 1 MiB" "$q --all $dir/1m.bin"
uptime
build/default/bench/crc_bench --benchmark_filter='(Pclmul|Avx512) (lsb/lsb/rev|msb/msb/asis)/256MiB|zlib crc32\(\)/256MiB' \
  --benchmark_repetitions=3
