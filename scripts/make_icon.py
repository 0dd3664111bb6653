#!/usr/bin/env python3
"""Writes the program's icon group: 256, 48, 32 and 16 pixels, each in 16 colours, 256 colours
and 32-bit colour with transparency (the 256-pixel 32-bit image PNG-compressed, as usual).

    make_icon.py OUTPUT.ico [PNG_OR_DIRECTORY...]

The images come from square PNGs of those sizes among the given files and directories
(resources/icons/, rendered from the SVG by scripts/icons); a size without its PNG is an error.
"""

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
    missing = [str(size) for size in SIZES if size not in found]
    if missing:
        print(f'make_icon: no square PNG of {", ".join(missing)} pixels (run scripts/icons)',
              file=sys.stderr)
        return 1
    write_icon(argv[1], found)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
