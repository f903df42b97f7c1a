# Rasterises the icon's shapes (same geometry as zandro.svg) into a 48 px PNG, 8x8 supersampled.
import struct, zlib, sys
N, S = 48, 8
def rect(x, y, w, h, r=0):
    def inside(px, py):
        if not (x <= px < x + w and y <= py < y + h): return False
        if r == 0: return True
        cx = min(max(px, x + r), x + w - r); cy = min(max(py, y + r), y + h - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside
pins = []
for a in (12, 19, 26, 33):
    pins += [rect(a, 3, 3, 6), rect(a, 39, 3, 6), rect(3, a, 6, 3), rect(39, a, 6, 3)]
pts = [(15, 32), (20, 32), (20, 27), (25, 27), (25, 22), (30, 22), (30, 16), (33, 16)]
def onpath(px, py, hw=1.25):
    for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
        lx, hx = min(x1, x2) - (hw if x1 == x2 else 0), max(x1, x2) + (hw if x1 == x2 else 0)
        ly, hy = min(y1, y2) - (hw if y1 == y2 else 0), max(y1, y2) + (hw if y1 == y2 else 0)
        if x1 != x2: lx, hx = lx - (hw if (x1, y1) != pts[0] else 0), hx + (hw if (x2, y2) != pts[-1] else 0)
        if lx <= px <= hx and ly <= py <= hy: return True
    return False
layers = [(lambda px, py: any(p(px, py) for p in pins), (0xb8, 0xbc, 0xc4)),
          (rect(8, 8, 32, 32, 3), (0x30, 0x34, 0x3c)),
          (rect(13, 13, 22, 22, 1), (0x2f, 0x6f, 0xb8)),
          (onpath, (0xff, 0xff, 0xff))]
raw = bytearray()
for y in range(N):
    raw.append(0)
    for x in range(N):
        acc = [0, 0, 0, 0]
        for sy in range(S):
            for sx in range(S):
                px, py = x + (sx + .5) / S, y + (sy + .5) / S
                col = None
                for test, c in layers:
                    if test(px, py): col = c
                if col:
                    acc[0] += col[0]; acc[1] += col[1]; acc[2] += col[2]; acc[3] += 255
        n = S * S
        a = acc[3] / 255
        raw += bytes([int(acc[0] / a) if a else 0, int(acc[1] / a) if a else 0,
                      int(acc[2] / a) if a else 0, round(acc[3] / n)])
def chunk(t, d): return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
