#!/bin/sh
# Draws the program's pictures into app/art/ with ImageMagick (Debian's convert) and python3.
#
#   tarnelle.ico  the window and tray icon: 16, 32 and 48 px, each at 4, 8 and 32 bits per pixel
#   logo.bmp      22x22, the mark on a transparent background (left end of the title strip)
#   hide.bmp      48x20, a white bar on a transparent background (hides the window)
#   close.bmp     48x19, a white cross on red (ends the program)
#   hand.ico      32x32, 16 colours, a pointing hand (the link cursor; its hot spot is the
#                 fingertip, at (13, 4), which app/main.cpp gives the program)
#
# The three strip pictures are drawn as a GIF (logo, hide: one transparent colour) and a JPEG
# (close), and kept as those decode: 32 bits per pixel, top-down, colour premultiplied by alpha,
# the form the program paints from, so that it needs no picture codec to show them.
#
# The output is deterministic: no time stamps or comments are written, and the icons and bitmaps
# are packed by the small python3 program below, because convert picks an icon image's bit depth
# from its number of colours and cannot be told to write a 4 or 8 bpp image for a picture with
# few colours, nor a premultiplied bitmap.
# Run it from anywhere; it rewrites the committed files.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/app/art"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

green='rgb(0,153,102)'  # the colour of the title strip

# The mark, drawn 8 times larger than a 48 px icon and scaled down, which antialiases its edges:
# a white "T" on a green disc in a white ring (the ring keeps the logo apart from the green strip).
convert -size 384x384 xc:none \
  -fill white -draw "circle 191.5,191.5 191.5,8" \
  -fill "$green" -draw "circle 191.5,191.5 191.5,34" \
  -fill white -draw "rectangle 108,100 275,148" -draw "rectangle 164,100 219,284" \
  "png32:$work/mark.png"

# Raw RGBA pixels of each icon image, with the transparency made binary for the palette depths
# (their AND mask has no partial transparency).
for size in 16 32 48; do
  convert "$work/mark.png" -filter Box -resize "${size}x${size}" -depth 8 "rgba:$work/mark-$size-32.rgba"
  for bpp in 4 8; do
    colors=15  # and transparent
    [ "$bpp" = 8 ] && colors=255
    convert "$work/mark.png" -filter Box -resize "${size}x${size}" \
      -channel A -threshold 50% +channel +dither -colors "$colors" \
      -depth 8 "rgba:$work/mark-$size-$bpp.rgba"
  done
done

# The hand: black outline, white inside, '.' transparent. 18 x 19 pixels placed at (8, 4).
cat >"$work/hand.xpm" <<'EOF'
/* XPM */
static char *hand[] = {
"18 19 3 1",
". c None",
"# c #000000",
"o c #FFFFFF",
".....##...........",
"....#oo#..........",
"....#oo#..........",
"....#oo#..........",
"....#oo#..........",
"....#oo###........",
"....#oo#oo###.....",
"....#oo#oo#oo##...",
".##.#oo#oo#oo#o#..",
"#oo##oo#oo#oo#oo#.",
"#ooo#oooooooooooo#",
".#oo#oooooooooooo#",
"..#oooooooooooooo#",
"..#ooooooooooooo#.",
"...#oooooooooooo#.",
"...#ooooooooooo#..",
"....#oooooooooo#..",
"....#oooooooooo#..",
"....############.."
};
EOF
convert -size 32x32 xc:none "$work/hand.xpm" -geometry +8+4 -composite \
  -depth 8 "rgba:$work/hand-32-4.rgba"

# logo: the mark at 22 px; a GIF has one transparent colour, so the edge is made binary.
convert "$work/mark.png" -filter Triangle -resize 22x22 \
  -channel A -threshold 50% +channel +dither -colors 64 -strip "gif:$work/logo.gif"

# The hide sign: a bar in the lower middle, like a minimise button's.
convert -size 48x20 xc:none -fill white -draw "rectangle 15,12 32,14" -strip "gif:$work/hide.gif"

# The close sign: a white cross on red, drawn large and scaled down.
convert -size 384x152 "xc:rgb(204,34,34)" \
  -stroke white -strokewidth 20 -draw "line 156,36 228,112" -draw "line 228,36 156,112" \
  -filter Box -resize 48x19\! -strip -quality 92 -sampling-factor 1x1 "jpeg:$work/close.jpg"

for picture in logo.gif hide.gif close.jpg; do
  convert "$work/$picture" -depth 8 "rgba:$work/${picture%.*}.rgba"
done

python3 - "$work" "$out" <<'EOF'
import struct
import sys

work, out = sys.argv[1], sys.argv[2]


def read_rgba(path, size):
    data = open(path, "rb").read()
    if len(data) != size * size * 4:
        sys.exit(f"{path}: expected {size}x{size} RGBA pixels")
    return [tuple(data[i : i + 4]) for i in range(0, len(data), 4)]


def and_mask(pixels, size):
    # 1 bit per pixel, rows padded to 32 bits, bottom row first; 1 = transparent.
    stride = (size + 31) // 32 * 4
    rows = []
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def bitmap(pixels, size, bpp):
    """The BITMAPINFOHEADER, palette and XOR bits of one icon image."""
    palette = []
    if bpp == 32:
        xor = b"".join(
            bytes((b, g, r, a)) for y in reversed(range(size)) for (r, g, b, a) in pixels[y * size : (y + 1) * size]
        )
    else:
        slots = 1 << bpp
        # Transparent pixels show the screen only where their colour is black, so black is index 0.
        palette = [(0, 0, 0)]
        for r, g, b, a in pixels:
            if a >= 128 and (r, g, b) not in palette:
                palette.append((r, g, b))
        if len(palette) > slots:
            sys.exit(f"{len(palette)} colours do not fit {bpp} bits per pixel")
        palette += [(0, 0, 0)] * (slots - len(palette))
        index = {colour: i for i, colour in reversed(list(enumerate(palette)))}
        stride = (size * bpp + 31) // 32 * 4
        rows = []
        for y in reversed(range(size)):
            row = bytearray(stride)
            for x in range(size):
                r, g, b, a = pixels[y * size + x]
                i = index[(r, g, b)] if a >= 128 else 0
                if bpp == 8:
                    row[x] = i
                else:
                    row[x // 2] |= i << (4 if x % 2 == 0 else 0)
            rows.append(bytes(row))
        xor = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return header + pal + xor + and_mask(pixels, size), len(palette)


def write_ico(path, images):
    """|images|: (size, bpp, pixels) in the order they are stored."""
    blobs = [(size, bpp) + bitmap(pixels, size, bpp) for size, bpp, pixels in images]
    head = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    entries, bodies = [], []
    for size, bpp, blob, colours in blobs:
        colour_count = colours if colours < 256 else 0
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bpp, len(blob), offset))
        bodies.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(head + b"".join(entries) + b"".join(bodies))


write_ico(
    f"{out}/tarnelle.ico",
    [
        (size, bpp, read_rgba(f"{work}/mark-{size}-{bpp}.rgba", size))
        for size in (48, 32, 16)
        for bpp in (32, 8, 4)
    ],
)
write_ico(f"{out}/hand.ico", [(32, 4, read_rgba(f"{work}/hand-32-4.rgba", 32))])


def write_bmp(path, rgba, width, height):
    """A BMP file of 32-bit pixels, rows top-down (negative height), colour premultiplied by alpha
    and rounded down, as the platform's converters round it."""
    if len(rgba) != width * height * 4:
        sys.exit(f"{path}: expected {width}x{height} RGBA pixels")
    bits = bytearray()
    for i in range(0, len(rgba), 4):
        r, g, b, a = rgba[i : i + 4]
        bits += bytes((b * a // 255, g * a // 255, r * a // 255, a))
    info = struct.pack("<IiiHHIIiiII", 40, width, -height, 1, 32, 0, len(bits), 0, 0, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(bits))


for name, width, height in (("logo", 22, 22), ("hide", 48, 20), ("close", 48, 19)):
    write_bmp(f"{out}/{name}.bmp", open(f"{work}/{name}.rgba", "rb").read(), width, height)
EOF

echo "wrote $(cd "$out" && echo tarnelle.ico hand.ico logo.bmp hide.bmp close.bmp)"

