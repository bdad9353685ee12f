#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small object files and bitmap files covering each
kind of record and each bitmap form the loader accepts, image list files in each text encoding
the list reader tells apart, wave files of each encoding the player decodes, clipboard pictures
of each kind a paste takes and packed DIBs for the displays. Run from anywhere; it writes beside
itself.
The files are committed, so the replay test does not need this script."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp_info(width, height, bits, compression=0, clr_used=0, size_image=0, header=40):
    if header == 12:
        return struct.pack("<IHHHH", 12, width, height, 1, bits)
    h = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, size_image,
                    2835, 2835, clr_used, 0)
    return h + bytes(header - 40)


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def bitmap(width, height, bits, colors=None, compression=0, header=40, pixels=None,
           entry=4, masks=b""):
    n = colors if colors is not None else (1 << bits if bits <= 8 else 0)
    info = bmp_info(width, height, bits, compression, colors or 0,
                    len(pixels) if pixels is not None and compression else 0, header)
    table = b"".join(bytes([i * 37 % 256, i * 91 % 256, i * 53 % 256, 0][:entry])
                     for i in range(n))
    if pixels is None:
        rb = row_bytes(width, bits)
        pixels = bytes((i * 7 + 3) % 256 for i in range(rb * abs(height)))
    body = info + masks + table
    off = 14 + len(body)
    return struct.pack("<HIHHI", 0x4D42, off + len(pixels), 0, 0, off) + body + pixels


def bitmaps():
    yield "bits1.bmp", bitmap(9, 3, 1)
    yield "bits4.bmp", bitmap(5, 4, 4)
    yield "bits8.bmp", bitmap(4, 4, 8)
    yield "bits8_used20.bmp", bitmap(3, 2, 8, colors=20)
    yield "bits24.bmp", bitmap(3, 3, 24)
    yield "bits32.bmp", bitmap(2, 2, 32)
    yield "bits16.bmp", bitmap(3, 2, 16)
    yield "bitfields16.bmp", bitmap(3, 2, 16, compression=3,
                                    masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F))
    yield "bitfields32.bmp", bitmap(2, 2, 32, compression=3,
                                    masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF))
    yield "topdown.bmp", bitmap(4, -3, 8)
    yield "core.bmp", bitmap(4, 2, 8, header=12, entry=3)
    yield "v4.bmp", bitmap(4, 2, 8, header=108)
    yield "v5.bmp", bitmap(4, 2, 24, header=124)
    rle8 = bytes([4, 1, 0, 0, 0, 3, 5, 6, 7, 0, 1, 9, 0, 0, 2, 2, 0, 2, 1, 0, 1, 3, 0, 1])
    yield "rle8.bmp", bitmap(4, 3, 8, compression=1, pixels=rle8)
    rle4 = bytes([4, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1])
    yield "rle4.bmp", bitmap(4, 2, 4, compression=2, pixels=rle4)
    yield "truncated.bmp", bitmap(8, 8, 8)[:200]


def le(fmt, *v):
    return struct.pack("<" + fmt, *v)


def image_record(width, height, bits):
    return bitmap(width, height, bits)


def object_record(name, frames, behave=0, locations=(), sound=None):
    h = b"SPD" + le("h", 0) + name.ljust(32, b"\0")
    h += le("hiiiihhH", 1, behave, 1, 1, 1, 4, 4, len(frames))
    h += le("iiiiH", 3, -4, 1, -1, len(locations))
    assert len(h) == 79
    body = b""
    for image, mask in frames:
        for slot in (image, mask):
            if slot is None:
                body += le("I", 0)
            elif slot == "continue":
                body += le("I", 0xFFFFFFFF)
            else:
                body += le("I", 1) + slot
    for x, y in locations:
        body += le("ii", x, y)
    if sound is None:
        body += le("i", 0)
    else:
        path, frame, wave = sound
        body += le("i", 1) + path.ljust(256, b"\0") + le("hi", frame, len(wave)) + wave
    return h + body


def object_file(objects):
    return b"KE--1.00".ljust(32, b"\0") + le("h", len(objects)) + b"".join(objects)


def object_files():
    yield "empty.kel", object_file([])
    yield "no_frames.kel", object_file([object_record(b"a", [])])
    full = object_record(
        b"\xc3\xbd\xc4", [(image_record(4, 4, 8), image_record(4, 4, 1)),
                          ("continue", "continue"), (None, None),
                          (image_record(3, 2, 24), None)],
        behave=4, locations=[(1, 2), (3, 4), (5, 6), (7, 8)],
        sound=(b"C:\\a.wav", 2, b"RIFF\x04\0\0\0WAVE"))
    second = object_record(b"second", [(image_record(2, 2, 4), image_record(2, 2, 1))],
                           sound=(b"", 0, b""))
    yield "two_objects.kel", object_file([full, second])
    yield "cut_short.kel", object_file([full])[:150]
    yield "bad_tag.kel", object_file([b"SPX" + full[3:]])


def image_lists():
    crlf = "[Image List]\r\nNumFrames=3\r\nI1=walk1.bmp\r\nM1=walk1m.bmp\r\nI2=..\\common\\walk2.bmp\r\n"
    yield "ascii.lst", crlf.encode("ascii")
    # "画像\表.bmp": in CP932 the second byte of 表 is 0x5C, a backslash that is no separator.
    japanese = "[Image List]\r\nNumFrames=2\r\nI1=画像\\表.bmp\r\nM1=画像\\表マスク.bmp\r\ni2=ｱﾆﾒ\\歩く.bmp\r\n"
    yield "cp932.lst", japanese.encode("cp932")
    yield "utf8.lst", japanese.encode("utf-8")
    yield "utf8_bom.lst", b"\xef\xbb\xbf" + japanese.encode("utf-8")
    # A mark says UTF-8, but the bytes after it are not all UTF-8.
    yield "utf8_bom_damaged.lst", b"\xef\xbb\xbf[Image List]\nNumFrames=1\nI1=a\xff.bmp\nM1=\xe7\x94"
    yield "utf16le.lst", b"\xff\xfe" + japanese.encode("utf-16-le")
    yield "utf16be.lst", b"\xfe\xff" + japanese.encode("utf-16-be")
    yield "utf16_lone_surrogate.lst", (b"\xff\xfe" + "[Image List]\nNumFrames=1\nI1=a".encode(
        "utf-16-le") + b"\x00\xd8" + ".bmp\n".encode("utf-16-le") + b"\x41")
    yield "comments_quotes.lst", (
        b"; written by hand\n[Other]\nI1=other.bmp\n[ Image List ]\n  ; NumFrames=9\n"
        b"numframes = 4 ; four\nI1=\"  spaced name.bmp  \"\nM1='single.bmp'\nI2=\"unclosed.bmp\n"
        b"I3=a;b.bmp\nM3\n=nokey.bmp\nI4=\n[Image List]\nI4=second_section.bmp\n")
    yield "odd_sections.lst", (
        b"I1=before.bmp\n[Image List\nNumFrames=1\n[Image List]]\nNumFrames=2\n[image list]\r"
        b"NumFrames=2\rI1=cr.bmp\rI01=zero.bmp\rI+2=plus.bmp\rI2x=x.bmp\rM2=m.bmp\r[]\n=\n")
    yield "huge_count.lst", (b"[Image List]\nNumFrames=99999999999999999999\nI1=a.bmp\n"
                             b"M2147483647=last.bmp\nI2147483648=past.bmp\nI129=b.bmp\n")
    yield "negative_count.lst", b"[Image List]\nNumFrames=-2147483649\nI1=a.bmp\n"
    yield "count_with_junk.lst", b"[Image List]\nNumFrames=\t+3frames\nI3=c.bmp\nM3=c.bmp\n"
    yield "no_entries.lst", b"[Image List]\nNumFrames=5\nX1=a.bmp\nI6=f.bmp\n"
    long_path = "C:\\" + "\\".join(["フォルダ" * 8] * 12) + "\\a.bmp"
    yield "long_paths.lst", ("[Image List]\r\nNumFrames=2\r\nI1=" + long_path + "\r\nM1=" +
                             "x" * 300 + ".bmp\r\nI2=/abs/" + "y" * 4000 + "\r\n").encode("cp932")
    yield "zero_bytes.lst", b"[Image List]\nNumFrames=2\nI1=a.bmp\0../b.bmp\nM1=\0\nI2=c.bmp\0\0\0"
    yield "cp932_broken.lst", b"[Image List]\nNumFrames=1\nI1=\x89\xe6\x91\nM1=\xa0\xfd\xff.bmp\n\x81"


def chunk(fourcc, body):
    return fourcc + le("I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def wave(tag, channels, rate, block_align, bits, data, extra=None, before=b""):
    fmt = le("HHIIHH", tag, channels, rate, rate * block_align, block_align, bits)
    if extra is not None:
        fmt += le("H", len(extra)) + extra
    body = b"WAVE" + before + chunk(b"fmt ", fmt) + chunk(b"data", data)
    return b"RIFF" + le("I", len(body)) + body


def tone(n, lo, hi):
    return bytes(lo + (i * 37) % (hi - lo) for i in range(n))


def waves():
    yield "pcm8_mono.wav", wave(1, 1, 8000, 1, 8, tone(64, 40, 220))
    yield "pcm16_stereo.wav", wave(1, 2, 44100, 4, 16, tone(128, 0, 256))
    # The rates at the ends of what the check lets through.
    yield "pcm16_1hz.wav", wave(1, 2, 1, 4, 16, tone(256, 0, 256))
    yield "pcm8_384khz.wav", wave(1, 1, 384000, 1, 8, tone(64, 0, 256))
    yield "pcm24_mono.wav", wave(1, 1, 48000, 3, 24, tone(96, 0, 256))
    yield "float32.wav", wave(3, 1, 22050, 4, 32, le("8f", *[i / 10 for i in range(8)]), b"")
    yield "alaw.wav", wave(6, 2, 8000, 2, 8, tone(64, 0, 256), b"")
    yield "mulaw.wav", wave(7, 1, 8000, 1, 8, tone(64, 0, 256), b"")
    # IMA ADPCM: a 4-byte header per channel, then 4-bit samples; 256-byte blocks.
    yield "ima_adpcm.wav", wave(0x11, 1, 22050, 256, 4, tone(512, 0, 256), le("H", 505))
    ms_coefs = le("14h", 256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232)
    yield "ms_adpcm.wav", wave(2, 1, 11025, 64, 4, tone(128, 0, 7) + tone(192, 0, 256),
                               le("HH", 116, 7) + ms_coefs)
    guid = le("H", 1) + bytes([0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    yield "extensible.wav", wave(0xFFFE, 2, 48000, 4, 16, tone(64, 0, 256),
                                 le("HI", 16, 3) + guid)
    yield "list_before_fmt.wav", wave(1, 1, 11025, 1, 8, tone(33, 0, 256),
                                      before=chunk(b"LIST", b"INFOISFT\3\0\0\0ab\0"))
    yield "cut_short.wav", wave(1, 1, 8000, 2, 16, tone(200, 0, 256))[:120]


def png_part(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def png(width, height, rgb, color_type=2, extra=b"", rows=None):
    if rows is None:
        rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_part(b"IHDR", ihdr) + extra +
            png_part(b"IDAT", zlib.compress(rows)) + png_part(b"IEND", b""))


def gif(width, height, palette, frames, transparent=None):
    # Literal LZW codes of 9 bits, a clear code every 250 (see tests/support/gif_writer.h).
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    out += b"".join(bytes(c) for c in palette) + bytes(3 * (256 - len(palette)))
    if len(frames) > 1:
        out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for frame in frames:
        flags = (1 << 2) | (1 if transparent is not None else 0)
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, flags, 10, transparent or 0, 0)
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08"
        codes = []
        for i, index in enumerate(frame):
            if i % 250 == 0:
                codes.append(256)
            codes.append(index)
        codes.append(257)
        acc = count = 0
        data = bytearray()
        for code in codes:
            acc |= code << count
            count += 9
            while count >= 8:
                data.append(acc & 0xFF)
                acc >>= 8
                count -= 8
        if count:
            data.append(acc)
        for i in range(0, len(data), 255):
            out += bytes([len(data[i:i + 255])]) + bytes(data[i:i + 255])
        out += b"\0"
    return out + b"\x3b"


def tga(width, height, rgb):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 24, 0x20)
    return header + bytes(rgb[::-1]) * (width * height)


def pictures():
    # Picture files of the formats Qt reads, with and without transparency, and damaged ones.
    rgba_rows = b"".join(b"\0" + b"".join(bytes([200, 30, 90, 255 * (x % 2)]) for x in range(4))
                         for _ in range(3))
    yield "rgba.png", png(4, 3, None, color_type=6, rows=rgba_rows)
    yield "rgb.png", png(5, 3, (200, 30, 90))
    plte = png_part(b"PLTE", bytes([255, 255, 255, 10, 20, 30, 200, 0, 0]))
    trns = png_part(b"tRNS", b"\0")
    yield "indexed_trns.png", png(3, 2, None, color_type=3, extra=plte + trns,
                                  rows=b"\0\0\1\2\0\2\1\0")
    yield "wide.png", png(3000, 1, None, rows=b"\0" + bytes(9000))
    yield "cut.png", png(5, 3, (1, 2, 3))[:-20]
    frames = [[k] * 12 for k in range(3)]
    frames[1][0] = 3
    yield "walk.gif", gif(4, 3, [(0, 0, 0), (255, 0, 0), (0, 255, 0), (9, 9, 9)], frames, 3)
    yield "still.gif", gif(2, 2, [(1, 2, 3), (4, 5, 6)], [[0, 1, 1, 0]])
    yield "tile.tga", tga(3, 2, (10, 20, 30))
    yield "bits8.bmp", bitmap(4, 4, 8)


def clipboard_pictures():
    # The first byte says how the rest arrives: 0 "image/bmp", 1 another program's image,
    # 2 a drawing.
    yield "ours_bits8.bin", b"\0" + bitmap(4, 4, 8)
    yield "ours_bits24.bin", b"\0" + bitmap(3, 3, 24)
    yield "ours_rle8.bin", b"\0" + bitmap(4, 3, 8, compression=1, pixels=bytes(
        [4, 1, 0, 0, 0, 3, 5, 6, 7, 0, 1, 9, 0, 0, 2, 2, 0, 2, 1, 0, 1, 3, 0, 1]))
    yield "image_png.bin", b"\1" + png(5, 3, (200, 30, 90))
    yield "image_bmp.bin", b"\1" + bitmap(4, 2, 4)
    yield "drawing.bin", (b"\2<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                          b"<rect x='1' y='1' width='8' height='5' fill='#c03'/>"
                          b"<circle cx='5' cy='7' r='2' fill='blue'/></svg>")
    yield "drawing_broken.bin", b"\2<svg><rect width='"


def packed_dibs():
    # Bitmap files without their 14-byte file header, in the stored form and around it.
    for name, bits, colors in (("bits1", 1, None), ("bits4", 4, None), ("bits8", 8, None),
                               ("bits8_used3", 8, 3), ("bits24", 24, None)):
        yield name + ".dib", bitmap(5, 3, bits, colors=colors)[14:]
    yield "topdown.dib", bitmap(4, -2, 8)[14:]
    yield "rows_missing.dib", bitmap(6, 6, 8)[14:-20]
    yield "header_only.dib", bmp_info(2, 2, 24)


def main():
    for folder, files in (("bitmap", bitmaps()), ("object_file", object_files()),
                          ("image_list", image_lists()), ("wave", waves()),
                          ("clipboard", clipboard_pictures()), ("display", packed_dibs()),
                          ("image_import", pictures())):
        os.makedirs(os.path.join(HERE, folder), exist_ok=True)
        for name, data in files:
            with open(os.path.join(HERE, folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
