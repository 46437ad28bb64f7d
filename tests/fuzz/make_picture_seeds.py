#!/usr/bin/env python3
"""Writes the small BMP, GIF, ICO and PNG seeds of the picture fuzzer.

Every file is built here byte by byte, each a few hundred bytes, in the
variants the decoders treat differently: palettes, masks, compression,
interlacing, several frames. Run from anywhere; the files go to
corpus/fuzz_picture beside this script.
"""
import pathlib
import struct
import zlib

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_picture"

RED, BLUE, WHITE, BLACK = (200, 30, 30), (30, 30, 200), (255, 255, 255), (0, 0, 0)


def two_rows(width, height):
    """Palette indices: the top half 0, the bottom half 1, a dot of 2."""
    rows = [[0 if y < height // 2 else 1 for _ in range(width)] for y in range(height)]
    rows[0][0] = 2
    return rows


# PNG ---------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, colour_type, depth, rows, interlace=0, extra=b""):
    """rows: one bytes object per row of raw samples (no filter byte)."""
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    if interlace:
        raw = adam7(width, height, rows, colour_type, depth)
    else:
        raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + extra +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def adam7(width, height, rows, colour_type, depth):
    """Interlaced scanlines, for 8-bit samples of any channel count."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    assert depth == 8
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
              (0, 1, 1, 2)]
    out = b""
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            line = b"".join(rows[y][x * channels:(x + 1) * channels] for x in range(x0, width, dx))
            if line:
                out += b"\0" + line
    return out


def png_seeds():
    width, height = 6, 5
    indices = two_rows(width, height)
    rgba = [bytes(v for i in r for v in (RED, BLUE, WHITE)[i] + ((255, 128, 0)[i],)) for r in indices]
    palette = png_chunk(b"PLTE", bytes(v for c in (RED, BLUE, WHITE) for v in c))
    transparency = png_chunk(b"tRNS", b"\xff\x80")
    gray = [bytes((0, 255, 128)[i] for i in r) for r in indices]
    return {
        "png-rgba": png(width, height, 6, 8, rgba),
        "png-rgba-interlaced": png(width, height, 6, 8, rgba, interlace=1),
        "png-palette-transparent": png(width, height, 3, 8, [bytes(r) for r in indices],
                                       extra=palette + transparency),
        "png-gray": png(width, height, 0, 8, gray, extra=png_chunk(b"gAMA", struct.pack(">I", 45455))),
    }


# BMP ---------------------------------------------------------------------

def info_header(width, height, bits, compression=0, colours=0, image_size=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image_size,
                       2835, 2835, colours, 0)


def bgr_palette(colours):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in colours)


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def pack_bits(indices, bits):
    out, value, filled = bytearray(), 0, 0
    for index in indices:
        value = value << bits | index & ((1 << bits) - 1)
        filled += bits
        if filled == 8:
            out.append(value)
            value, filled = 0, 0
    if filled:
        out.append(value << (8 - filled))
    return bytes(out)


def bmp_file(dib, masks=0):
    """A file header before a DIB whose pixels follow its header, its colour
    masks (bytes) and its palette."""
    header_size, bits, colours = struct.unpack_from("<I", dib)[0], dib[14], dib[32]
    palette_entries = colours or (1 << bits if bits <= 8 else 0)
    offset = 14 + header_size + masks + 4 * palette_entries
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, offset) + dib


def bmp_indexed(width, height, bits, top_down=False):
    indices = two_rows(width, height)
    order = indices if top_down else indices[::-1]
    pixels = b"".join(padded(pack_bits(r, bits)) for r in order)
    colours = (RED, BLUE, WHITE)[:1 << bits]
    return (info_header(width, -height if top_down else height, bits, colours=len(colours)) +
            bgr_palette(colours) + pixels)


def bmp_true_colour(width, height, bits):
    colours = (RED, BLUE, WHITE)
    rows = []
    for row in two_rows(width, height)[::-1]:
        if bits == 24:
            rows.append(padded(b"".join(bytes(colours[i][::-1]) for i in row)))
        elif bits == 32:
            rows.append(b"".join(bytes(colours[i][::-1]) + b"\xff" for i in row))
        else:  # 16: 5-5-5
            words = [(r >> 3) << 10 | (g >> 3) << 5 | b >> 3 for r, g, b in (colours[i] for i in row)]
            rows.append(padded(struct.pack("<%dH" % len(words), *words)))
    return info_header(width, height, bits) + b"".join(rows)


def bmp_rle8(width, height):
    """Runs, absolute runs, ends of line, a delta and the end."""
    data = b""
    for row in two_rows(width, height)[::-1]:
        data += b"\0\3" + bytes(row[:3]) + b"\0" + bytes((width - 3, row[-1])) + b"\0\0"
    data = data[:-2] + b"\0\2\0\0\0\1"
    return info_header(width, height, 8, compression=1, colours=3,
                       image_size=len(data)) + bgr_palette((RED, BLUE, WHITE)) + data


def bmp_rle4(width, height):
    data = b""
    for _ in range(height):
        data += bytes((width, 0x12)) + b"\0\0"
    data += b"\0\1"
    return info_header(width, height, 4, compression=2, colours=3,
                       image_size=len(data)) + bgr_palette((RED, BLUE, WHITE)) + data


def bmp_bitfields(width, height):
    """32 bits per pixel with masks after the header."""
    masks = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    pixels = b"".join(bytes((30, 30, 200, 0)) * width for _ in range(height))
    return info_header(width, height, 32, compression=3) + masks + pixels


def bmp_seeds():
    return {
        "bmp-1bit": bmp_file(bmp_indexed(9, 4, 1)),
        "bmp-4bit-top-down": bmp_file(bmp_indexed(5, 4, 4, top_down=True)),
        "bmp-8bit": bmp_file(bmp_indexed(5, 3, 8)),
        "bmp-16bit": bmp_file(bmp_true_colour(5, 3, 16)),
        "bmp-24bit": bmp_file(bmp_true_colour(5, 3, 24)),
        "bmp-rle8": bmp_file(bmp_rle8(6, 4)),
        "bmp-rle4": bmp_file(bmp_rle4(6, 4)),
        "bmp-bitfields": bmp_file(bmp_bitfields(4, 3), masks=12),
    }


# ICO ---------------------------------------------------------------------

def and_mask(width, height):
    """The transparency mask: the right-most column transparent."""
    row = padded(pack_bits([1 if x == width - 1 else 0 for x in range(width)], 1))
    return row * height


def icon_dib(width, height, bits):
    """A DIB as an icon holds it: double height, pixels, then the mask."""
    if bits <= 8:
        dib = bmp_indexed(width, height, bits)
    else:
        dib = bmp_true_colour(width, height, bits)
    dib = dib[:8] + struct.pack("<i", 2 * height) + dib[12:]
    return dib + and_mask(width, height)


def ico(images):
    """images: (width, height, bits, payload) each; payload a DIB or a PNG."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, bits, payload in images:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, bits, len(payload),
                           offset)
        offset += len(payload)
    return out + b"".join(payload for *_, payload in images)


def ico_seeds():
    width, height = 6, 4
    indices = two_rows(width, height)
    rgba = [bytes(v for i in r for v in (RED, BLUE, WHITE)[i] + (255,)) for r in indices]
    embedded_png = png(width, height, 6, 8, rgba)
    return {
        "ico-bmp-32bit": ico([(width, height, 32, icon_dib(width, height, 32))]),
        "ico-bmp-24bit-and-8bit": ico([(width, height, 24, icon_dib(width, height, 24)),
                                       (4, 4, 8, icon_dib(4, 4, 8))]),
        "ico-bmp-4bit": ico([(width, height, 4, icon_dib(width, height, 4))]),
        "ico-bmp-1bit": ico([(9, 3, 1, icon_dib(9, 3, 1))]),
        "ico-png": ico([(width, height, 32, embedded_png)]),
        "ico-png-and-bmp": ico([(width, height, 32, embedded_png), (4, 4, 24, icon_dib(4, 4, 24))]),
    }


# GIF ---------------------------------------------------------------------

def lzw(indices, min_code_size):
    """Codes of a fixed width: a clear code often enough that the table never
    grows past it, so no real compression is needed."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    codes = []
    for at, index in enumerate(indices):
        if at % ((1 << width) - end - 1) == 0:
            codes.append(clear)
        codes.append(index)
    codes.append(end)
    value, filled, out = 0, 0, bytearray()
    for code in codes:
        value |= code << filled
        filled += width
        while filled >= 8:
            out.append(value & 0xFF)
            value >>= 8
            filled -= 8
    if filled:
        out.append(value)
    blocks = b"".join(bytes((len(out[i:i + 255]),)) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes((min_code_size,)) + blocks + b"\0"


def gif_frame(x, y, width, height, indices, local_palette=None, interlaced=False, control=None):
    out = b""
    if control:
        disposal, delay, transparent = control
        flags = disposal << 2 | (1 if transparent is not None else 0)
        out += b"\x21\xf9\x04" + struct.pack("<BHB", flags, delay, transparent or 0) + b"\0"
    flags = (0x40 if interlaced else 0)
    if local_palette:
        flags |= 0x80 | 1  # four entries
    out += b"\x2c" + struct.pack("<HHHHB", x, y, width, height, flags)
    if local_palette:
        out += bytes(v for c in local_palette for v in c)
    if interlaced:
        order = list(range(0, height, 8)) + list(range(4, height, 8)) + \
            list(range(2, height, 4)) + list(range(1, height, 2))
        indices = [indices[r * width:(r + 1) * width] for r in order]
        indices = [i for row in indices for i in row]
    return out + lzw(indices, 2)


def gif(width, height, frames, version=b"GIF89a", extensions=b""):
    screen = struct.pack("<HHBBB", width, height, 0x81, 0, 0)
    palette = bytes(v for c in (RED, BLUE, WHITE, BLACK) for v in c)
    return version + screen + palette + extensions + b"".join(frames) + b";"


def gif_seeds():
    width, height = 8, 6
    flat = [i for row in two_rows(width, height) for i in row]
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\0\0\0"
    comment = b"\x21\xfe\x05hello\0"
    return {
        "gif87a": gif(width, height, [gif_frame(0, 0, width, height, flat)], version=b"GIF87a"),
        "gif-interlaced-local-palette": gif(width, height, [
            gif_frame(0, 0, width, height, flat, local_palette=(BLUE, RED, BLACK, WHITE),
                      interlaced=True)]),
        "gif-frames-disposal": gif(width, height, [
            gif_frame(0, 0, width, height, flat, control=(1, 10, 3)),
            gif_frame(2, 1, 4, 3, [2] * 12, control=(3, 10, None)),
            gif_frame(1, 1, 3, 2, [1] * 6, control=(2, 10, 0)),
        ], extensions=loop + comment),
    }


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for name, data in {**png_seeds(), **bmp_seeds(), **ico_seeds(), **gif_seeds()}.items():
        assert len(data) < 2048, name
        (OUT / name).write_bytes(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
