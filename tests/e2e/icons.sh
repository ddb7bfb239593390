#!/bin/sh
# The committed icons are what res/make_icon.py draws: the Windows icon and
# the SVG byte for byte, the PNGs pixel for pixel (their compressed bytes
# may differ with the zlib that writes them).
#
#   icons.sh RES_FOLDER
set -u
res=$1
command -v python3 >/dev/null || {
    echo "python3 is missing"
    exit 77
}
drawn=$(mktemp -d)
trap 'rm -rf "$drawn"' EXIT
python3 "$res/make_icon.py" "$drawn" || { echo "FAIL: make_icon.py"; exit 1; }
python3 - "$res" "$drawn" <<'PY'
import os, struct, sys, zlib

def pixels(path):
    """Width, height and the uncompressed image data of a PNG."""
    with open(path, "rb") as png:
        data = png.read()
    offset, header, image = 8, None, b""
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        body = data[offset + 8:offset + 8 + length]
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            image += body
        offset += 12 + length
    return header, zlib.decompress(image)

res, drawn = sys.argv[1:]
failures = 0
for name in sorted(os.listdir(drawn)):
    committed = os.path.join(res, name)
    if not os.path.exists(committed):
        print("FAIL: %s is drawn but not committed" % name)
        failures += 1
    elif name.endswith(".png"):
        if pixels(committed) != pixels(os.path.join(drawn, name)):
            print("FAIL: %s differs from the drawing" % name)
            failures += 1
    elif open(committed, "rb").read() != open(os.path.join(drawn, name), "rb").read():
        print("FAIL: %s differs from the drawing" % name)
        failures += 1
if failures == 0:
    print("the committed icons are the drawing's")
sys.exit(failures)
PY
