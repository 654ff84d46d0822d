#!/usr/bin/env bash
# Seeds for the sync, picture, music and effect fuzz targets: small valid files, plus the
# effect files of the data set and the effect tests.
#   fuzz/make_loader_corpus.sh OUT_DIR   (makes OUT_DIR/{sync,png,mp3,effect})
set -euo pipefail
out="${1:?output folder}"
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$out"/{sync,png,mp3,effect}

python3 - "$out" <<'PY'
import math, struct, sys, zlib
out = sys.argv[1]

def sync(name, samples, bands, short=0):
    body = b''.join(struct.pack('<f', (k * 7 + j) % 10 / 10.0) for k in range(samples) for j in range(bands))
    data = struct.pack('<ii', samples, bands) + body
    open(f'{out}/sync/{name}', 'wb').write(data[:len(data) - short])

sync('small.sync', 30, 8)
sync('short.sync', 30, 8, short=17)
sync('one-band.sync', 3, 1)
sync('empty-header.sync', 0, 0)

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

def png(name, width, height, colour_type, depth, channels, palette=None):
    rows = b''.join(b'\0' + bytes((x * 31 + y * 17 + c) % 256 for x in range(width) for c in range(channels))
                    for y in range(height))
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour_type, 0, 0, 0))
    if palette:
        data += chunk(b'PLTE', palette)
    data += chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b'')
    open(f'{out}/png/{name}', 'wb').write(data)

png('rgba.png', 4, 4, 6, 8, 4)
png('rgb.png', 5, 3, 2, 8, 3)
png('grey.png', 3, 3, 0, 8, 1)
png('palette.png', 4, 2, 3, 8, 1, palette=bytes(range(96)) * 8)
PY

# Two tenths of a second of sine, stereo and mono.
if command -v ffmpeg >/dev/null; then
  ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=0.2" -ac 2 -ar 44100 -b:a 64k "$out/mp3/stereo.mp3"
  ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=880:duration=0.1" -ac 1 -ar 22050 -b:a 32k "$out/mp3/mono.mp3"
fi

cp "$root"/data/Tindermoot/*.fx "$root"/tests/effects/data/*.fx "$out/effect/" 2>/dev/null || true
