#!/usr/bin/env bash
# Draws the bitmaps of Rondel's main window into src/app/pictures/:
#   tabs.bmp            48x16  the three tab images (running, paused, stopped)
#   glyph_*.bmp         32x16  button glyphs, normal look left, disabled look right
#   banner.bmp          88x31  the home-page banner
#   banner_2x.bmp      176x62  the same drawn at twice the size, for screens of more than 96 DPI
# All are 24-bit uncompressed BMP. In the tab images and glyphs pure magenta RGB(255,0,255)
# is the background: the image lists take it as the mask colour, so nothing else in them may
# be magenta or blend towards it, and the small pictures are drawn pixel by pixel from the
# maps below (no antialiasing). The banner is painted fully and may be antialiased.
#
# Needs python3 and ImageMagick (convert, identify) with the DejaVu and IPA Gothic fonts
# (fonts-dejavu-core, fonts-ipafont-gothic). The output is the same on every run.
set -euo pipefail
cd "$(dirname "$0")/.."

out=src/app/pictures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { printf 'draw-pictures.sh: %s\n' "$*" >&2; exit 1; }
for tool in python3 convert identify fc-match; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
done
font_file() { # family style -> font file, or fail when fontconfig only offers a stand-in
    local f
    f=$(fc-match -f '%{file}\n%{family}' "$1:style=$2")
    grep -qi -- "$1" <<<"$(tail -n1 <<<"$f")" || fail "font $1 $2 is missing"
    head -n1 <<<"$f"
}
latin_bold=$(font_file "DejaVu Sans" Bold)
japanese=$(font_file "IPAPGothic" Regular)

# --- Tab images and glyphs: pixel maps -> PPM files in $work ----------------------------
python3 - "$work" <<'PY'
import sys, os

work = sys.argv[1]
MAGENTA = (255, 0, 255)

def hexrgb(s):
    return tuple(int(s[i:i + 2], 16) for i in (1, 3, 5))

# Each picture is a 16x16 map. '.' is background; every other letter names a colour in the
# picture's palette. A palette entry is either one colour or a pair (top, bottom): a vertical
# gradient over the rows that letter covers, so fills look lit from above.
def render(rows, palette):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), rows
    span = {}
    for y, r in enumerate(rows):
        for ch in r:
            if ch != '.':
                lo, hi = span.get(ch, (y, y))
                span[ch] = (min(lo, y), max(hi, y))
    img = []
    for y, r in enumerate(rows):
        line = []
        for ch in r:
            if ch == '.':
                line.append(MAGENTA)
                continue
            c = palette[ch]
            if isinstance(c, tuple):
                top, bottom = hexrgb(c[0]), hexrgb(c[1])
                lo, hi = span[ch]
                t = (y - lo) / (hi - lo) if hi > lo else 0.0
                line.append(tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
            else:
                line.append(hexrgb(c))
        img.append(line)
    return img

# The classic embossed disabled look: the picture's ink (the letters in `ink`; white and
# other light areas are left out so they read as holes) in flat grey over a white copy
# shifted one pixel down and right.
GREY, WHITE = (0xA0, 0xA0, 0xA0), (0xFF, 0xFF, 0xFF)
def disabled(rows, ink):
    img = [[MAGENTA] * 16 for _ in range(16)]
    for y, r in enumerate(rows):
        for x, ch in enumerate(r):
            if ch in ink and x + 1 < 16 and y + 1 < 16:
                img[y + 1][x + 1] = WHITE
    for y, r in enumerate(rows):
        for x, ch in enumerate(r):
            if ch in ink:
                img[y][x] = GREY
    return img

def side_by_side(*imgs):
    return [sum((img[y] for img in imgs), []) for y in range(16)]

def save(name, img):
    w, h = len(img[0]), len(img)
    with open(os.path.join(work, name + '.ppm'), 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (w, h))
        f.write(bytes(v for line in img for c in line for v in c))

# Colour families shared by tabs and glyphs: (light top, base bottom) fill and dark outline.
GREEN = {'o': '#1B6B2A', 'f': ('#6CD46A', '#2E9E3E')}
AMBER = {'o': '#9A6400', 'f': ('#FFD45C', '#E8A317')}
RED = {'o': '#8C1D17', 'f': ('#F4806E', '#CC3428')}
BLUE = {'o': '#123C74', 'f': ('#6A9CDC', '#1E5AA8')}
SYMBOL = {'w': '#FFFFFF'}

# Tab images: a ball in the state's colour with the media symbol in white.
tab_running = [
    "................",
    ".....oooooo.....",
    "...ooffffffoo...",
    "..offffffffffo..",
    "..offwwffffffo..",
    ".offfwwwwfffffo.",
    ".offfwwwwwffffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwffffo.",
    ".offfwwwwfffffo.",
    "..offwwffffffo..",
    "..offffffffffo..",
    "...ooffffffoo...",
    ".....oooooo.....",
    "................",
]
tab_paused = [
    "................",
    ".....oooooo.....",
    "...ooffffffoo...",
    "..offffffffffo..",
    "..offwwffwwffo..",
    ".offfwwffwwfffo.",
    ".offfwwffwwfffo.",
    ".offfwwffwwfffo.",
    ".offfwwffwwfffo.",
    ".offfwwffwwfffo.",
    ".offfwwffwwfffo.",
    "..offwwffwwffo..",
    "..offffffffffo..",
    "...ooffffffoo...",
    ".....oooooo.....",
    "................",
]
tab_stopped = [
    "................",
    ".....oooooo.....",
    "...ooffffffoo...",
    "..offffffffffo..",
    "..offffffffffo..",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    ".offfwwwwwwfffo.",
    "..offffffffffo..",
    "..offffffffffo..",
    "...ooffffffoo...",
    ".....oooooo.....",
    "................",
]
save('tabs', side_by_side(render(tab_running, {**GREEN, **SYMBOL}),
                          render(tab_paused, {**AMBER, **SYMBOL}),
                          render(tab_stopped, {**RED, **SYMBOL})))

# Button glyphs. The ink stays within columns and rows 1..13 so that the disabled copy with
# its highlight is centred and clear of the edges.
glyphs = {}

glyphs['start'] = (GREEN, 'of', [
    "................",
    "................",
    "...oo...........",
    "...ofoo.........",
    "...offfoo.......",
    "...offfffoo.....",
    "...offfffffoo...",
    "...offfffffffo..",
    "...offfffffffo..",
    "...offfffffoo...",
    "...offfffoo.....",
    "...offfoo.......",
    "...ofoo.........",
    "...oo...........",
    "................",
    "................",
])

glyphs['stop'] = (RED, 'of', [
    "................",
    "................",
    "................",
    "....oooooooo....",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "...offffffffo...",
    "....oooooooo....",
    "................",
    "................",
    "................",
])

glyphs['pause'] = (BLUE, 'of', [
    "................",
    "................",
    "................",
    "...oooo..oooo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...offo..offo...",
    "...oooo..oooo...",
    "................",
    "................",
    "................",
])

glyphs['continue'] = (GREEN, 'of', [
    "................",
    "................",
    "................",
    ".ooo.oo.........",
    ".ofo.ofoo.......",
    ".ofo.offfoo.....",
    ".ofo.offfffoo...",
    ".ofo.offfffffo..",
    ".ofo.offfffffo..",
    ".ofo.offfffoo...",
    ".ofo.offfoo.....",
    ".ofo.ofoo.......",
    ".ooo.oo.........",
    "................",
    "................",
    "................",
])

# Apply: a green tick over a written page with a dog-ear.
glyphs['update'] = ({**GREEN, 'k': '#707070', 'p': ('#FFFFFF', '#E4EAF2'), 'c': '#D0D0D0',
                     'l': '#98A6BA'}, 'ofk', [
    "................",
    ".kkkkkkk........",
    ".kpppppkk.......",
    ".kpllllkck......",
    ".kpppppkkkk.....",
    ".kplllllppkooo..",
    ".kppppppppoffo..",
    ".kplllllpofffo..",
    ".kooopppofffo...",
    ".koffolofffo....",
    ".kofffofffo.....",
    ".kpofffffok.....",
    ".kkkofffokk.....",
    ".....ooo........",
    "................",
    "................",
])

# Dependencies: a service box forking to the two boxes it depends on.
glyphs['depend'] = ({'o': '#123C74', 'l': '#505050', 'a': ('#FFE08A', '#E8A317'),
                     'b': ('#FFFFFF', '#C8DAF0')}, 'ol', [
    "................",
    ".........ooooo..",
    ".........obbbo..",
    ".......llobbbo..",
    ".......l.obbbo..",
    ".ooooo.l.ooooo..",
    ".oaaao.l........",
    ".oaaaoll........",
    ".oaaao.l........",
    ".ooooo.l.ooooo..",
    ".......l.obbbo..",
    ".......llobbbo..",
    ".........obbbo..",
    ".........ooooo..",
    "................",
    "................",
])

# Close: an arrow leaving through an open door.
glyphs['close'] = ({'o': '#123C74', 'f': ('#6A9CDC', '#1E5AA8'), 'k': '#5A3A1E',
                    'b': ('#D89A5A', '#9A6030'), 'y': '#FFF4C8'}, 'ofk', [
    "................",
    ".kkkkkkk........",
    ".kkyyyyk........",
    ".kbkyyyk.o......",
    ".kbbkyyk.oo.....",
    ".kbbkyyk.ofo....",
    ".kbbkooooffo....",
    ".kbbkofffffffo..",
    ".kbbkooooffo....",
    ".kbbkyyk.ofo....",
    ".kbbkyyk.oo.....",
    ".kbkyyyk.o......",
    ".kkyyyyk........",
    ".kkkkkkk........",
    "................",
    "................",
])

for name, (palette, ink, rows) in glyphs.items():
    inked = [(x, y) for y, r in enumerate(rows) for x, ch in enumerate(r) if ch != '.']
    assert all(1 <= x <= 13 and 1 <= y <= 13 for x, y in inked), name + ' leaves its frame'
    save('glyph_' + name, side_by_side(render(rows, palette), disabled(rows, ink)))
PY

for ppm in "$work"/*.ppm; do
    name=$(basename "$ppm" .ppm)
    convert "$ppm" -type TrueColor "BMP3:$out/$name.bmp"
done

# --- Banner -----------------------------------------------------------------------------
# The ring emblem of the program icon (blue ring, white ring, orange centre) is drawn at 8x
# and scaled down so its edges are smooth; the two text lines are centred over each other
# in the room right of it. Drawn twice: at its size (banner.bmp) and at twice it
# (banner_2x.bmp), from which a window of more than 96 DPI takes its smaller, still sharp copy.
draw_banner() { # scale file
    local k=$1 file=$2
    # Centre and the three rings' radii (87, 45.5 and 24.5 at the banner's size) at the scale.
    local c r1 r2 r3
    read -r c r1 r2 r3 <<<"$(awk -v k="$k" 'BEGIN { c = 88 * k - 0.5; print c, c - 87 * k, c - 45.5 * k, c - 24.5 * k }')"
    convert -size $((176 * k))x$((176 * k)) xc:none -fill '#2B5797' -draw "circle $c,$c $c,$r1" \
        -fill '#F0F0F0' -draw "circle $c,$c $c,$r2" \
        -fill '#E8A317' -draw "circle $c,$c $c,$r3" \
        -filter Box -resize $((22 * k))x$((22 * k)) "$work/emblem.png"
    convert -background none -font "$latin_bold" -pointsize $((15 * k)) -fill '#1E4F8F' label:Rondel \
        -trim +repage "$work/name.png"
    convert -background none -font "$japanese" -pointsize $((10 * k)) -fill '#2A3340' label:ホームページ \
        -trim +repage "$work/home.png"
    local text_left=$((28 * k)) text_right=$((85 * k)) # room for text, inside the border and clear of the emblem
    local name_x=$(( text_left + (text_right - text_left + 1 - $(size w name.png)) / 2 ))
    local home_x=$(( text_left + (text_right - text_left + 1 - $(size w home.png)) / 2 ))
    local name_y=$((4 * k))
    local home_y=$(( name_y + $(size h name.png) + 3 * k ))
    convert -size $((86 * k))x$((29 * k)) gradient:'#FFFFFF-#D4E3F6' -bordercolor '#5A7FB5' -border "$k" \
        "$work/emblem.png" -geometry "+$((3 * k))+$((4 * k))" -composite \
        "$work/name.png" -geometry "+$name_x+$name_y" -composite \
        "$work/home.png" -geometry "+$home_x+$home_y" -composite \
        -alpha off -type TrueColor "BMP3:$file"
}
size() { identify -format "%[fx:$1]" "$work/$2"; }
draw_banner 1 "$out/banner.bmp"
draw_banner 2 "$out/banner_2x.bmp"

# --- Checks -----------------------------------------------------------------------------
# Reads the files back: 24-bit uncompressed BMP of the right size, and magenta only as the
# pure mask colour (none at all in the banner).
python3 - "$out" <<'PY'
import struct, sys

out = sys.argv[1]
expected = {'tabs': (48, 16), 'banner': (88, 31), 'banner_2x': (176, 62)}
for g in ('start', 'stop', 'pause', 'continue', 'update', 'depend', 'close'):
    expected['glyph_' + g] = (32, 16)

for name, (w, h) in expected.items():
    data = open(f'{out}/{name}.bmp', 'rb').read()
    offset, = struct.unpack_from('<I', data, 10)
    hsize, bw, bh, _, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    if data[:2] != b'BM' or hsize != 40 or bits != 24 or compression != 0:
        sys.exit(f'{name}.bmp is not a 24-bit uncompressed BMP')
    if (bw, abs(bh)) != (w, h):
        sys.exit(f'{name}.bmp is {bw}x{abs(bh)}, expected {w}x{h}')
    stride = (w * 3 + 3) & ~3
    masked = 0
    for y in range(h):
        for x in range(w):
            row = h - 1 - y if bh > 0 else y  # usually stored bottom-up
            b, g, r = data[offset + row * stride + 3 * x:][:3]
            if (r, g, b) == (255, 0, 255):
                masked += 1
            elif r > 160 and b > 160 and g < 120:
                sys.exit(f'{name}.bmp has a near-magenta pixel ({r},{g},{b}) at {x},{y}')
    if name.startswith('banner') != (masked == 0):
        sys.exit(f'{name}.bmp has {masked} background pixels')
PY
echo "drawn into $out: tabs.bmp glyph_*.bmp banner.bmp banner_2x.bmp"
