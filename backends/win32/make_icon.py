#!/usr/bin/env python3
"""Writes the program's icon group: 256, 48, 32 and 16 pixels, each in 16 colours, 256 colours
and 32-bit colour with transparency (the 256-pixel 32-bit image PNG-compressed, as usual).

    make_icon.py OUTPUT.ico [PNG_OR_DIRECTORY...]

The images come from square PNGs of those sizes among the given files and directories; a size
without its own PNG is scaled down from the largest PNG found. Without any usable PNG the icon
is drawn here: a record under the stylus arc, with a null-point grid.
"""

import math
import os
import struct
import sys
import zlib

SIZES = (256, 48, 32, 16)

# The 16 colours of the standard Windows palette, which 16-colour icons are drawn in.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


class Image:
    """Straight (not premultiplied) RGBA, rows top to bottom."""

    def __init__(self, size, pixels):
        self.size = size
        self.pixels = pixels  # list of (r, g, b, a) tuples, size * size

    def rows(self):
        for y in range(self.size):
            yield self.pixels[y * self.size:(y + 1) * self.size]


# PNG reading ------------------------------------------------------------------------------

def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """A square non-interlaced PNG as an Image, or None for anything else."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        return None
    pos, idat, palette, transparency = 8, b'', [], b''
    width = height = depth = colour = interlace = None
    while pos + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
        elif kind == b'PLTE':
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b'tRNS':
            transparency = body
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    if width is None or width != height or interlace != 0 or depth not in (8, 16):
        return None
    if colour not in (0, 2, 3, 4, 6) or (colour == 3 and depth != 8):
        return None
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    step = channels * depth // 8
    stride = width * step
    raw = zlib.decompress(idat)
    previous = bytearray(stride)
    pixels = []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            upper_left = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, upper_left)) & 255
        previous = line
        samples = line if depth == 8 else line[0::2]  # the high byte of 16-bit samples
        for x in range(width):
            s = samples[x * channels:(x + 1) * channels]
            if colour == 0:
                pixels.append((s[0], s[0], s[0], 255))
            elif colour == 2:
                pixels.append((s[0], s[1], s[2], 255))
            elif colour == 3:
                r, g, b = palette[s[0]] if s[0] < len(palette) else (0, 0, 0)
                a = transparency[s[0]] if s[0] < len(transparency) else 255
                pixels.append((r, g, b, a))
            elif colour == 4:
                pixels.append((s[0], s[0], s[0], s[1]))
            else:
                pixels.append((s[0], s[1], s[2], s[3]))
    return Image(width, pixels)


def scale_down(image, size):
    """Area-average resampling in premultiplied alpha."""
    factor = image.size / size
    pixels = []
    for y in range(size):
        y0, y1 = int(y * factor), max(int(y * factor) + 1, int((y + 1) * factor))
        for x in range(size):
            x0, x1 = int(x * factor), max(int(x * factor) + 1, int((x + 1) * factor))
            r = g = b = a = n = 0
            for sy in range(y0, min(y1, image.size)):
                for sx in range(x0, min(x1, image.size)):
                    pr, pg, pb, pa = image.pixels[sy * image.size + sx]
                    r, g, b, a, n = r + pr * pa, g + pg * pa, b + pb * pa, a + pa, n + 1
            pixels.append((round(r / a), round(g / a), round(b / a), round(a / n)) if a else
                          (0, 0, 0, 0))
    return Image(size, pixels)


# The icon drawn here ---------------------------------------------------------------------

def _over(top, bottom):
    """Composites straight RGBA colours with coverage folded into alpha (0..1 floats)."""
    tr, tg, tb, ta = top
    br, bg, bb, ba = bottom
    a = ta + ba * (1 - ta)
    if a == 0:
        return (0, 0, 0, 0)
    return ((tr * ta + br * ba * (1 - ta)) / a, (tg * ta + bg * ba * (1 - ta)) / a,
            (tb * ta + bb * ba * (1 - ta)) / a, a)


def _sample(u, v):
    """The colour at (u, v) in [0, 1]^2, y downward."""
    colour = (0, 0, 0, 0)
    dx, dy = u - 0.5, v - 0.5
    r = math.hypot(dx, dy)
    if r <= 0.47:
        colour = (28, 30, 34, 1)  # the record
        if 0.2 < r < 0.45 and int(r * 60) % 3 == 0:
            colour = (80, 80, 86, 1)  # grooves
        if r <= 0.15:
            colour = (220, 64, 32, 1)  # the label
        if r <= 0.025:
            colour = (0, 0, 0, 0)  # the spindle hole
    # The stylus arc, swung about a pivot beyond the top right corner.
    arc = abs(math.hypot(u - 1.25, v + 0.05) - 0.95)
    if arc < 0.03 and v < 0.92:
        colour = _over((250, 250, 250, 1), colour)
    # A null-point grid where the arc crosses the grooves.
    gx, gy = u - 0.36, v - 0.56
    if abs(gx) < 0.12 and abs(gy) < 0.12 and (abs(gx) < 0.012 or abs(gy) < 0.012):
        colour = _over((90, 200, 255, 1), colour)
    return colour


def draw_icon(size, samples=4):
    pixels = []
    for y in range(size):
        for x in range(size):
            r = g = b = a = 0.0
            for j in range(samples):
                for i in range(samples):
                    cr, cg, cb, ca = _sample((x + (i + 0.5) / samples) / size,
                                             (y + (j + 0.5) / samples) / size)
                    r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
            n = samples * samples
            pixels.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)) if a else
                          (0, 0, 0, 0))
    return Image(size, pixels)


# Icon encoding ---------------------------------------------------------------------------

def _nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], rgb)))


def _palette_256():
    """A 6x6x6 colour cube and a grey ramp for the colours between its greys."""
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(v, v, v) for v in range(0, 256, 6) if v % 51 != 0][:40]
    return cube + greys + [(0, 0, 0)] * (256 - len(cube) - len(greys))


PALETTE_256 = _palette_256()


def _index_256(rgb):
    r, g, b = rgb
    cube = (round(r / 51) * 36 + round(g / 51) * 6 + round(b / 51))
    best, best_error = cube, sum((p - c) ** 2 for p, c in zip(PALETTE_256[cube], rgb))
    grey = (r + g + b) // 3
    for i in range(216, 256):
        error = sum((p - c) ** 2 for p, c in zip(PALETTE_256[i], rgb))
        if abs(PALETTE_256[i][0] - grey) < 8 and error < best_error:
            best, best_error = i, error
    return best


def _and_mask(image):
    stride = (image.size + 31) // 32 * 4
    out = bytearray()
    for row in reversed(list(image.rows())):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def _bitmap_entry(image, bits):
    size = image.size
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits, 0, 0, 0, 0, 0, 0)
    palette = b''
    xor = bytearray()
    if bits == 32:
        for row in reversed(list(image.rows())):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
    else:
        colours = VGA_PALETTE if bits == 4 else PALETTE_256
        palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
        cache = {}
        stride = (size * bits + 31) // 32 * 4
        for row in reversed(list(image.rows())):
            line = bytearray(stride)
            for x, (r, g, b, a) in enumerate(row):
                if a < 128:
                    index = 0
                else:
                    key = (r, g, b)
                    if key not in cache:
                        cache[key] = (_nearest(VGA_PALETTE, key) if bits == 4 else
                                      _index_256(key))
                    index = cache[key]
                if bits == 8:
                    line[x] = index
                else:
                    line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            xor += line
    return header + palette + bytes(xor) + _and_mask(image)


def _png_entry(image):
    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b''.join(b'\x00' + bytes(c for p in row for c in p) for row in image.rows())
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', image.size, image.size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_icon(path, images):
    entries = []
    for size in SIZES:
        image = images[size]
        for bits in (4, 8, 32):
            data = _png_entry(image) if size == 256 and bits == 32 else _bitmap_entry(image, bits)
            entries.append((size, bits, data))
    offset = 6 + 16 * len(entries)
    directory = struct.pack('<HHH', 0, 1, len(entries))
    for size, bits, data in entries:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 16 if bits == 4 else 0, 0,
                                 1, bits, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(directory + b''.join(data for _, _, data in entries))


def find_pngs(arguments):
    found = {}
    for argument in arguments:
        paths = [argument]
        if os.path.isdir(argument):
            paths = sorted(os.path.join(root, name) for root, _, names in os.walk(argument)
                           for name in names if name.lower().endswith('.png'))
        for path in paths:
            try:
                image = read_png(path)
            except (OSError, zlib.error, struct.error, IndexError) as error:
                print(f'make_icon: skipping {path}: {error}', file=sys.stderr)
                continue
            if image is not None and image.size >= 16 and image.size not in found:
                found[image.size] = image
    return found


def main(argv):
    if len(argv) < 2:
        print('usage: make_icon.py OUTPUT.ico [PNG_OR_DIRECTORY...]', file=sys.stderr)
        return 2
    found = find_pngs(argv[2:])
    images = {}
    for size in SIZES:
        if size in found:
            images[size] = found[size]
        elif found:
            largest = found[max(found)]
            images[size] = scale_down(largest, size) if largest.size > size else largest
        else:
            images[size] = draw_icon(size, samples=3 if size == 256 else 4)
    if any(images[size].size != size for size in SIZES):
        print('make_icon: a PNG smaller than an icon size; drawing the icon instead',
              file=sys.stderr)
        images = {size: draw_icon(size, samples=3 if size == 256 else 4) for size in SIZES}
    write_icon(argv[1], images)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
