#!/usr/bin/env bash
# Made the committed patches once, with Floating IPS (flips, built from its public source;
# not part of this project) for IPS and BPS, and with the UPS writer below, from the format's
# definition, whose patches flips --apply then checked. The images come from kl_make_image,
# which generates them from tests/support/patch_images.h.
#   make-fixtures.sh FLIPS KL_MAKE_IMAGE
set -euo pipefail
flips="$1"; make_image="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
for name in source translated doubled padded halved; do "$make_image" "$name" "$work/$name.vb"; done

"$flips" --create --ips "$work/source.vb" "$work/translated.vb" "$here/translated.ips"
"$flips" --create --ips "$work/source.vb" "$work/halved.vb" "$here/halved.ips"
"$flips" --create --bps-delta "$work/source.vb" "$work/translated.vb" "$here/translated.bps"
"$flips" --create --bps-delta "$work/source.vb" "$work/doubled.vb" "$here/doubled.bps"
"$flips" --create --bps-linear "$work/source.vb" "$work/halved.vb" "$here/halved.bps"

# UPS: "UPS1", both sizes as variable-length numbers, hunks of a distance and the XOR of the
# changed bytes up to a zero, then the CRC-32s of the source, the result and the patch.
write_ups() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys, zlib
src, dst = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
def number(n):
    out = bytearray()
    while True:
        x = n & 0x7f
        n >>= 7
        if n == 0:
            out.append(0x80 | x)
            return bytes(out)
        out.append(x)
        n -= 1
out = bytearray(b'UPS1' + number(len(src)) + number(len(dst)))
size = max(len(src), len(dst))
a = src.ljust(size, b'\0'); b = dst.ljust(size, b'\0')
i = last = 0
while i < size:
    if a[i] == b[i]:
        i += 1
        continue
    out += number(i - last)
    while i < size and a[i] != b[i]:
        out.append(a[i] ^ b[i]); i += 1
    out.append(0); i += 1; last = i
out += zlib.crc32(src).to_bytes(4, 'little') + zlib.crc32(dst).to_bytes(4, 'little')
out += zlib.crc32(bytes(out)).to_bytes(4, 'little')
open(sys.argv[3], 'wb').write(out)
PY
}
write_ups "$work/source.vb" "$work/translated.vb" "$here/translated.ups"
write_ups "$work/source.vb" "$work/padded.vb" "$here/padded.ups"
write_ups "$work/source.vb" "$work/halved.vb" "$here/halved.ups"

# Every patch, applied by flips, gives exactly its image.
for patch in "$here"/*.ips "$here"/*.bps "$here"/*.ups; do
  target="$(basename "${patch%.*}")"
  "$flips" --apply "$patch" "$work/source.vb" "$work/out.vb" >/dev/null
  cmp "$work/out.vb" "$work/$target.vb"
  echo "$(basename "$patch"): $(stat -c %s "$patch") bytes, applied by flips to $target"
done
