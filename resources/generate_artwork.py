#!/usr/bin/env python3
# Generates QUAVINTO's built-in artwork: the default board picture
# (default.bmp, 384x256, 8-bit palette), the start-up picture shown in the
# wait window (startup.bmp, 384x256, 24-bit) and the program icon (icon.bmp
# 32x32 24-bit, icon.png 32x32 RGBA, and icon48.png, icon64.png, icon128.png
# and icon256.png RGBA at those sizes for the desktop's icon theme).  Every
# picture is drawn from simple shapes with the Python standard library only,
# and all randomness comes from a fixed built-in generator, so running the
# script again rewrites byte-identical files.  The board picture is a busy,
# brightly coloured country scene: each area has its own colours, texture and
# upright details so that even the 12x8-pixel pieces of a 30x30 board can be
# told apart and a piece turned upside down looks wrong.
#
# Usage: python3 generate_artwork.py [output-directory]   (default: beside this file)

import math
import os
import struct
import sys
import zlib

BOARD_W, BOARD_H = 384, 256


# --------------------------------------------------------------------------
# Small helpers
# --------------------------------------------------------------------------

class Rng:
    """Xorshift32 generator: identical sequence on every platform and Python version."""

    def __init__(self, state):
        self.state = (state & 0xFFFFFFFF) or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self, a, b):
        return a + (b - a) * (self.next() / 4294967296.0)

    def randint(self, a, b):
        return a + self.next() % (b - a + 1)

    def choice(self, items):
        return items[self.next() % len(items)]


def mix(a, b, t):
    """Linear blend of two RGB colours, t=0 gives a, t=1 gives b."""
    return (a[0] + (b[0] - a[0]) * t,
            a[1] + (b[1] - a[1]) * t,
            a[2] + (b[2] - a[2]) * t)


def scale(c, f):
    return (min(255.0, c[0] * f), min(255.0, c[1] * f), min(255.0, c[2] * f))


def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def to_byte(v):
    v = int(round(v))
    return 0 if v < 0 else 255 if v > 255 else v


class Canvas:
    """RGB raster with just enough drawing primitives for the artwork.

    Pixel (x, y) covers [x, x+1) x [y, y+1); shapes fill the pixels whose
    centres they contain.  A fill colour may be a function (x, y) -> colour
    or None (leave the pixel alone), which is how textures are painted.
    """

    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [tuple(float(v) for v in colour)] * (w * h)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def put(self, x, y, colour, alpha=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = y * self.w + x
            if alpha >= 1.0:
                self.px[i] = colour
            else:
                self.px[i] = mix(self.px[i], colour, alpha)

    def _fill(self, x, y, colour, alpha):
        c = colour(x, y) if callable(colour) else colour
        if c is not None:
            self.put(x, y, c, alpha)

    def paint(self, x0, y0, x1, y1, colour, alpha=1.0):
        """Apply colour (usually a function) to every pixel of a box."""
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                self._fill(x, y, colour, alpha)

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        self.paint(x0, y0, x1, y1, colour, alpha)

    def polygon(self, pts, colour, alpha=1.0):
        """Even-odd scanline fill sampled at pixel centres."""
        ys = [p[1] for p in pts]
        n = len(pts)
        for y in range(max(0, int(math.floor(min(ys)))), min(self.h, int(math.ceil(max(ys))) + 1)):
            sy = y + 0.5
            xs = []
            for i in range(n):
                ax, ay = pts[i]
                bx, by = pts[(i + 1) % n]
                if (ay <= sy < by) or (by <= sy < ay):
                    xs.append(ax + (sy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                xa = max(0, int(math.ceil(xs[k] - 0.5)))
                xb = min(self.w - 1, int(math.floor(xs[k + 1] - 0.5)))
                for x in range(xa, xb + 1):
                    self._fill(x, y, colour, alpha)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0):
        for y in range(max(0, int(cy - ry - 1)), min(self.h, int(cy + ry + 2))):
            dy = (y + 0.5 - cy) / ry
            if dy * dy > 1.0:
                continue
            half = rx * math.sqrt(1.0 - dy * dy)
            xa = max(0, int(math.ceil(cx - half - 0.5)))
            xb = min(self.w - 1, int(math.floor(cx + half - 0.5)))
            for x in range(xa, xb + 1):
                self._fill(x, y, colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0):
        self.ellipse(cx, cy, r, r, colour, alpha)

    def line(self, x0, y0, x1, y1, colour, width=1.0, alpha=1.0):
        if width <= 1.0:
            # Thin line: step along it, plotting each touched pixel once.
            steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
            seen = set()
            for s in range(steps + 1):
                t = s / steps
                p = (int(math.floor(x0 + (x1 - x0) * t)), int(math.floor(y0 + (y1 - y0) * t)))
                if p not in seen:
                    seen.add(p)
                    self._fill(p[0], p[1], colour, alpha)
            return
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        nx, ny = -(y1 - y0) / length * width / 2, (x1 - x0) / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour, alpha)

    def polyline(self, pts, colour, width=1.0, alpha=1.0):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], colour, width, alpha)

    def to_bytes_rgb(self):
        return [(to_byte(c[0]), to_byte(c[1]), to_byte(c[2])) for c in self.px]


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def bmp_headers(w, h, bpp, palette_entries):
    row = (w * bpp // 8 + 3) & ~3
    offset = 14 + 40 + 4 * palette_entries
    size = offset + row * h
    file_header = struct.pack('<2sIHHI', b'BM', size, 0, 0, offset)
    info_header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, row * h,
                              2835, 2835, palette_entries, 0)
    return file_header + info_header, row


def write_bmp8(path, w, h, indices, palette):
    """Uncompressed 8-bit BMP, bottom-up rows padded to 4 bytes."""
    head, row = bmp_headers(w, h, 8, 256)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    pal += b'\0' * (1024 - len(pal))
    body = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytes(indices[y * w:(y + 1) * w])
        body += line + b'\0' * (row - len(line))
    with open(path, 'wb') as f:
        f.write(head + pal + bytes(body))


def write_bmp24(path, w, h, rgb):
    """Uncompressed 24-bit BMP, bottom-up BGR rows padded to 4 bytes."""
    head, row = bmp_headers(w, h, 24, 0)
    body = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for r, g, b in rgb[y * w:(y + 1) * w]:
            line += bytes((b, g, r))
        body += line + b'\0' * (row - len(line))
    with open(path, 'wb') as f:
        f.write(head + bytes(body))


def write_png_rgba(path, w, h, rgba):
    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for p in rgba[y * w:(y + 1) * w]:
            raw += bytes(p)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n')
        f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b'IDAT', zlib.compress(bytes(raw), 9)))
        f.write(chunk(b'IEND', b''))


# --------------------------------------------------------------------------
# Palette reduction for the 8-bit board picture
# --------------------------------------------------------------------------

# Green differences are the easiest to see, blue the hardest.
WEIGHTS = (3, 4, 2)


class _Box:
    """A set of histogram colours for median-cut splitting."""

    def __init__(self, items):
        self.items = items
        self.count = sum(n for _, n in items)
        spans = []
        for ch in range(3):
            lo = min(c[ch] for c, _ in items)
            hi = max(c[ch] for c, _ in items)
            spans.append((hi - lo) * WEIGHTS[ch])
        self.axis = max(range(3), key=lambda ch: spans[ch])
        # Favour wide boxes over merely populous ones so that small, vivid
        # details keep colours of their own.
        self.score = spans[self.axis] * math.sqrt(self.count)

    def split(self):
        items = sorted(self.items, key=lambda it: (it[0][self.axis], it[0]))
        half, acc = self.count / 2.0, 0
        for cut in range(1, len(items)):
            acc += items[cut - 1][1]
            if acc >= half:
                break
        return _Box(items[:cut]), _Box(items[cut:])

    def mean(self):
        return tuple(to_byte(sum(c[ch] * n for c, n in self.items) / self.count) for ch in range(3))


def nearest(colour, palette):
    best, best_d = 0, None
    r, g, b = colour
    for i, (pr, pg, pb) in enumerate(palette):
        d = 3 * (r - pr) ** 2 + 4 * (g - pg) ** 2 + 2 * (b - pb) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def quantise(rgb, size=256, refinements=2):
    """Median cut followed by a few k-means passes; no dithering, so flat
    areas stay flat and piece edges stay readable."""
    hist = {}
    for c in rgb:
        hist[c] = hist.get(c, 0) + 1
    boxes = [_Box(sorted(hist.items()))]
    while len(boxes) < size:
        splittable = [b for b in boxes if len(b.items) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: b.score)
        boxes.remove(box)
        boxes.extend(box.split())
    palette = [b.mean() for b in boxes]
    colours = list(hist.keys())
    for _ in range(refinements):
        sums = [[0, 0, 0, 0] for _ in palette]
        for c in colours:
            s = sums[nearest(c, palette)]
            n = hist[c]
            s[0] += c[0] * n
            s[1] += c[1] * n
            s[2] += c[2] * n
            s[3] += n
        palette = [tuple(to_byte(s[ch] / s[3]) for ch in range(3)) if s[3] else p
                   for s, p in zip(sums, palette)]
    # Order the palette dark to light; it makes the file easier to read in a hex dump.
    palette = sorted(set(palette), key=lambda p: (299 * p[0] + 587 * p[1] + 114 * p[2], p))
    while len(palette) < size:
        palette.append((0, 0, 0))
    lookup = {c: nearest(c, palette) for c in colours}
    return palette, [lookup[c] for c in rgb]


# --------------------------------------------------------------------------
# The board picture: a sunny country scene
# --------------------------------------------------------------------------

SUN = (322.0, 44.0)
W, H = BOARD_W, BOARD_H


def far_ridge(x):
    return 132 + 7 * math.sin(x / 38.0) + 4 * math.sin(x / 15.0 + 1.3)


def near_ridge(x):
    return 180 + 9 * math.sin((x + 30) / 50.0) + 4 * math.sin(x / 21.0 + 0.4)


def path_centre(y):
    return 256 + (y - 200) * 0.55 + 6 * math.sin((y - 200) / 11.0)


def path_half_width(y):
    return 3 + (y - 200) * 0.22


def lake_contains(x, y):
    dx, dy = (x - 92.0) / 116.0, (y - 246.0) / 44.0
    return dx * dx + dy * dy <= 1.0


def draw_sky(cv):
    for y in range(0, 170):
        t = clamp01(y / 145.0)
        for x in range(W):
            c = mix((44, 96, 204), (190, 226, 246), t)
            # violet tint in the top-left, warm glow around the sun
            c = mix(c, (112, 72, 196), 0.55 * (1 - x / W) * (1 - t))
            dx, dy = x + 0.5 - SUN[0], y + 0.5 - SUN[1]
            d = math.hypot(dx, dy)
            warm = clamp01(1 - d / 250.0)
            c = mix(c, (255, 226, 160), 0.55 * warm * warm)
            # broad alternating sun rays sweep over the whole sky
            if int((math.atan2(dy, dx) + math.pi) / (2 * math.pi) * 30) % 2 == 0:
                c = mix(c, (255, 255, 240), 0.17 * max(0.4, 1 - d / 320.0))
            cv.px[y * W + x] = c


def draw_rainbow(cv):
    cx, cy = 70.0, 168.0
    bands = [(232, 58, 64), (246, 146, 48), (250, 222, 70), (92, 196, 86),
             (64, 150, 232), (84, 82, 204), (160, 84, 200)]

    def colour(x, y):
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
        k = int((118 - d) / 4.0)
        return bands[k] if 0 <= k < len(bands) else None
    cv.paint(0, 40, 200, 170, colour, 0.72)


def draw_sun(cv):
    sx, sy = SUN
    cv.circle(sx, sy, 31, (255, 244, 190), 0.35)
    cv.circle(sx, sy, 23, (250, 170, 40))
    cv.circle(sx, sy, 21, lambda x, y: mix((255, 236, 120), (255, 196, 50),
                                            clamp01((y + 0.5 - sy + 21) / 42.0)))
    cv.circle(sx + 7, sy - 8, 6, (255, 250, 200), 0.8)
    # face: eyes, rosy cheeks and a smile (upside down it frowns)
    cv.ellipse(sx - 7, sy - 3, 2, 3, (120, 60, 20))
    cv.ellipse(sx + 7, sy - 3, 2, 3, (120, 60, 20))
    cv.circle(sx - 12, sy + 5, 3, (250, 120, 90), 0.7)
    cv.circle(sx + 12, sy + 5, 3, (250, 120, 90), 0.7)
    pts = [(sx + 9 * math.cos(a), sy + 4 + 6 * math.sin(a))
           for a in [math.pi * (0.15 + 0.7 * i / 10) for i in range(11)]]
    cv.polyline(pts, (140, 60, 20), 1.6)


def draw_cloud(cv, cx, cy, s, tint=(255, 255, 255)):
    puffs = [(-20, 2, 8), (-9, -4, 11), (5, -9, 13), (19, -3, 10), (30, 3, 7)]
    base = cy + 9 * s
    top = cy - 22 * s
    shadow = mix(tint, (168, 184, 214), 0.85)

    def colour(x, y):
        px, py = x + 0.5, y + 0.5
        if py > base:
            return None
        for ox, oy, r in puffs:
            if (px - cx - ox * s) ** 2 + (py - cy - oy * s) ** 2 <= (r * s) ** 2:
                t = clamp01((py - top) / (base - top))
                return mix(tint, shadow, t * t)
        return None
    cv.paint(cx - 30 * s, top - 1, cx + 38 * s, base + 1, colour)
    # a highlight on the sunny side
    cv.circle(cx + 9 * s, cy - 13 * s, 4 * s, (255, 255, 255), 0.8)


def draw_moon(cv, x, y, r):
    """Pale daytime half moon, its lit side facing the sun."""
    cv.circle(x, y, r, lambda px, py: (236, 240, 252) if px + 0.5 > x - r * 0.1 else None, 0.75)
    cv.circle(x, y, r, lambda px, py: (200, 206, 236) if px + 0.5 <= x - r * 0.1 else None, 0.25)
    cv.circle(x + r * 0.4, y - r * 0.2, r * 0.18, (196, 204, 230), 0.6)
    cv.circle(x + r * 0.2, y + r * 0.45, r * 0.12, (196, 204, 230), 0.6)


def draw_wisps(cv, rng):
    """Thin streaks of high cloud, so that open sky still has features."""
    for x, y, rx in ((104, 4, 16), (30, 62, 12), (352, 6, 14)):
        cv.ellipse(x, y, rx, 1.6, (255, 255, 255), 0.3)
        cv.ellipse(x + rx * 0.3, y - 0.8, rx * 0.5, 1.0, (255, 255, 255), 0.45)
    placed = 0
    while placed < 14:
        x, y = rng.uniform(0, W), rng.uniform(4, 100)
        if math.hypot(x - SUN[0], y - SUN[1]) < 45:
            continue
        rx = rng.uniform(9, 20)
        cv.ellipse(x, y, rx, rng.uniform(1.2, 2.2), (255, 255, 255), 0.3)
        cv.ellipse(x + rx * 0.3, y - 0.8, rx * 0.5, 1.0, (255, 255, 255), 0.45)
        placed += 1


def draw_bird(cv, x, y, size, colour=(40, 40, 70)):
    left = [(x - 2 * size, y - 0.6 * size), (x - size, y - 0.9 * size), (x, y)]
    right = [(x, y), (x + size, y - 0.9 * size), (x + 2 * size, y - 0.6 * size)]
    cv.polyline(left, colour, 1.4)
    cv.polyline(right, colour, 1.4)


BALLOON_STRIPES = [(228, 52, 60), (252, 214, 60), (50, 130, 220), (252, 214, 60),
                   (228, 52, 60), (60, 180, 110)]


def draw_balloon(cv, cx, cy, k=1.0, stripes=BALLOON_STRIPES):
    """Hot-air balloon of k times the full size, stripes curving round the envelope."""
    rx, ry = 16.0 * k, 19.0 * k
    n = len(stripes)

    def envelope(x, y):
        px, py = x + 0.5 - cx, y + 0.5 - cy
        if py > ry * 1.45:
            return None
        if py < 0:
            half = rx * math.sqrt(max(0.0, 1 - (py / ry) ** 2))
        else:
            half = max(rx * (1 - py / (ry * 1.45)), 2.5 * k)
        if abs(px) > half:
            return None
        u = px / half
        c = stripes[min(n - 1, int((math.asin(max(-1.0, min(1.0, u))) / math.pi + 0.5) * n))]
        # lit from the sun on the right
        return scale(c, 0.72 + 0.38 * (u + 1) / 2 - 0.12 * clamp01(py / ry))
    cv.paint(cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry * 1.5, envelope)
    bottom = cy + ry * 1.45
    for ox in (-3 * k, 3 * k):
        cv.line(cx + ox, bottom, cx + ox * 0.8, bottom + 7 * k, (90, 60, 40))
    cv.rect(cx - 4 * k, bottom + 7 * k, cx + 4 * k, bottom + 13 * k, (140, 90, 50))
    if k >= 1.0:
        cv.rect(cx - 4, bottom + 7, cx + 4, bottom + 8, (100, 60, 30))
        cv.circle(cx + 1, bottom + 5, 1.8, (240, 200, 160))  # a passenger peeking out


def draw_plane(cv, x, y):
    """Small propeller plane flying left, towing a chequered banner."""
    cv.line(x + 8, y, x + 16, y - 1, (80, 70, 80))
    cols = [(236, 60, 70), (255, 255, 255), (60, 120, 230), (255, 255, 255)]
    for i in range(10):
        bx = x + 16 + i * 4
        wave = 1.5 * math.sin(i * 0.9)
        cv.polygon([(bx, y - 5 + wave), (bx + 4, y - 5 + 1.5 * math.sin((i + 1) * 0.9)),
                    (bx + 4, y + 2 + 1.5 * math.sin((i + 1) * 0.9)), (bx, y + 2 + wave)],
                   lambda px, py, i=i: cols[(i + (1 if py + 0.5 > y - 1.5 else 0) * 2) % 4])
    cv.ellipse(x, y, 8, 2.5, (230, 230, 236))
    cv.ellipse(x - 1, y + 0.8, 7, 1.2, (236, 70, 60))
    cv.polygon([(x + 5, y - 1), (x + 9, y - 6), (x + 10, y - 6), (x + 9, y)], (236, 70, 60))
    cv.polygon([(x - 3, y), (x + 2, y), (x + 4, y + 4), (x - 1, y + 4)], (190, 40, 40))
    cv.rect(x - 4, y - 2, x - 1, y - 1, (120, 190, 240))
    cv.line(x - 9, y - 3, x - 9, y + 3, (60, 60, 60))


def draw_kite(cv, x, y):
    top, right, bottom, left = (x, y - 16), (x + 12, y - 2), (x, y + 20), (x - 12, y - 2)
    c = (x, y - 2)
    cv.polygon([top, right, c], (236, 54, 80))
    cv.polygon([right, bottom, c], (60, 110, 220))
    cv.polygon([bottom, left, c], (250, 210, 40))
    cv.polygon([left, top, c], (70, 190, 100))
    cv.line(top[0], top[1], bottom[0], bottom[1], (90, 50, 30))
    cv.line(left[0], left[1], right[0], right[1], (90, 50, 30))
    # tail with bows, trailing left in the wind
    tail = [(bottom[0] - 2.5 * i - 4 * math.sin(i / 2.0), bottom[1] + 2.2 * i) for i in range(14)]
    cv.polyline(tail, (70, 50, 60))
    for i, colour in zip((4, 8, 12), ((230, 60, 70), (250, 160, 40), (150, 80, 200))):
        bx, by = tail[i]
        cv.polygon([(bx, by), (bx - 4, by - 3), (bx - 4, by + 3)], colour)
        cv.polygon([(bx, by), (bx + 4, by - 3), (bx + 4, by + 3)], colour)
    return bottom


def draw_mountains(cv, rng):
    def mountain(px, py, wl, wr, base_colour, haze):
        shade = scale(base_colour, 0.72)
        lit = mix(base_colour, (255, 240, 220), 0.15)
        snow_hi, snow_lo = (250, 252, 255), (196, 208, 236)
        # jagged outline: down the right flank, then up the left one
        right = [(px + wr * i / 6.0 + rng.uniform(-2, 2), py + (150 - py) * i / 6.0 + rng.uniform(-2, 2))
                 for i in range(1, 7)]
        left = [(px - wl * i / 6.0 + rng.uniform(-2, 2), py + (150 - py) * i / 6.0 + rng.uniform(-2, 2))
                for i in range(6, 0, -1)]
        snow_depth = 11 + rng.uniform(0, 5)

        def colour(x, y):
            fx, fy = x + 0.5, y + 0.5
            spine = px + (fy - py) * 0.25 + 2 * math.sin(fy / 3.0)
            sunny = fx > spine
            if fy < py + snow_depth + 3 * math.sin(fx * 0.9) + 2 * math.sin(fx * 0.37):
                c = snow_hi if sunny else snow_lo
            else:
                c = lit if sunny else shade
                # fine ridges running down the slopes
                if int(fx * 0.5 + fy * (0.35 if sunny else -0.35)) % 4 == 0:
                    c = scale(c, 0.86)
            return mix(c, (200, 210, 235), haze * clamp01((fy - py) / 60.0))
        cv.polygon([(px, py)] + right + left, colour)

    for args in ((70, 74, 90, 80), (190, 70, 100, 95), (262, 62, 80, 100), (360, 76, 80, 80)):
        mountain(*args, base_colour=(140, 132, 196), haze=0.45)
    for args in ((20, 98, 60, 60), (128, 90, 70, 72), (230, 96, 60, 60), (318, 88, 70, 80)):
        mountain(*args, base_colour=(96, 112, 170), haze=0.35)


FIELD_PATTERNS = [
    ((236, 204, 92), (212, 172, 66)),     # wheat
    ((156, 114, 206), (122, 88, 172)),    # lavender
    ((146, 206, 96), (118, 182, 78)),     # meadow
    ((168, 112, 70), (132, 84, 54)),      # ploughed soil
    ((86, 168, 72), (62, 134, 58)),       # young crops
    ((252, 214, 48), (196, 150, 30)),     # sunflowers
    ((234, 118, 60), (204, 86, 50)),      # poppies
    ((112, 194, 164), (84, 160, 138)),    # mint
    ((220, 120, 170), (190, 90, 140)),    # tulips
    ((200, 220, 110), (170, 196, 90)),    # barley
]


def draw_fields(cv, rng):
    cols = [-40, 22, 64, 104, 150, 196, 236, 282, 326, 364, 430]
    rows = [0, 146, 158, 174, 196, 400]
    # Pick a crop and a row direction for each field, never repeating the crop
    # of the field to the left or above.
    table = {}
    for r in range(len(rows) - 1):
        for k in range(len(cols) - 1):
            taken = {table.get((k - 1, r), (None,))[0], table.get((k, r - 1), (None,))[0]}
            pattern = rng.randint(0, len(FIELD_PATTERNS) - 1)
            while pattern in taken:
                pattern = rng.randint(0, len(FIELD_PATTERNS) - 1)
            table[(k, r)] = (pattern, rng.randint(0, 3))
    hedge = (52, 108, 54)

    def column_edges(y):
        return [c + (y - 130) * (c - 192) * 0.012 for c in cols]

    def row_edges(x):
        return [rv + (x - 192) * 0.03 * (1 if i % 2 else -1) for i, rv in enumerate(rows)]

    for y in range(110, 230):
        edges_x = column_edges(y + 0.5)
        for x in range(W):
            ridge = far_ridge(x + 0.5)
            if y + 0.5 < ridge:
                continue
            edges_y = row_edges(x + 0.5)
            k = max(i for i in range(len(cols) - 1) if edges_x[i] <= x + 0.5)
            r = max(i for i in range(len(rows) - 1) if edges_y[i] <= y + 0.5)
            dist = min(x + 0.5 - edges_x[k], edges_x[k + 1] - x - 0.5,
                       y + 0.5 - edges_y[r], edges_y[r + 1] - y - 0.5, y + 0.5 - ridge + 0.6)
            if dist < 1.0:
                c = hedge
            else:
                pattern, direction = table[(k, r)]
                a, b = FIELD_PATTERNS[pattern]
                fx, fy = x + 0.5, y + 0.5
                if direction == 0:
                    u = fx - (fx - 192) * 0.012 * (fy - 130)   # rows run toward the horizon
                elif direction == 1:
                    u = fx + fy * 1.4
                elif direction == 2:
                    u = fx - fy * 1.4
                else:
                    u = fy * 1.6
                c = a if int(u / 2.2) % 2 else b
                if pattern == 5 and (x * 7 + y * 13) % 11 == 0:
                    c = (110, 70, 30)   # sunflower hearts
            # distant fields fade into the haze
            c = mix(c, (190, 214, 222), 0.35 * clamp01(1 - (y - 125) / 50.0))
            cv.px[y * W + x] = c
    # bushes along the hedgerows
    for _ in range(60):
        x = rng.uniform(0, W)
        y = rng.uniform(far_ridge(x) + 3, 200)
        cv.circle(x, y, rng.uniform(1.5, 2.8), (40, 92, 44))
        cv.circle(x + 0.7, y - 0.7, 1.0, (96, 160, 80))


def draw_windmill(cv, cx, cy):
    cv.polygon([(cx - 5, cy), (cx + 5, cy), (cx + 8, cy + 32), (cx - 8, cy + 32)],
               lambda x, y: (236, 232, 222) if x + 0.5 > cx - 1 else (186, 182, 178))
    cv.polygon([(cx - 7, cy + 1), (cx, cy - 7), (cx + 7, cy + 1)], (176, 60, 50))
    cv.rect(cx - 2, cy + 22, cx + 2, cy + 32, (110, 70, 40))
    cv.rect(cx + 1, cy + 9, cx + 4, cy + 13, (90, 150, 210))
    hub = (cx, cy - 1)
    for i in range(4):
        a = math.radians(20 + 90 * i)
        ux, uy = math.cos(a), math.sin(a)
        vx, vy = -uy, ux
        tip = (hub[0] + ux * 22, hub[1] + uy * 22)
        cv.line(hub[0], hub[1], tip[0], tip[1], (90, 60, 40), 1.2)
        sail = [(hub[0] + ux * 5, hub[1] + uy * 5), (tip[0], tip[1]),
                (tip[0] + vx * 5, tip[1] + vy * 5), (hub[0] + ux * 5 + vx * 5, hub[1] + uy * 5 + vy * 5)]
        cv.polygon(sail, (250, 246, 236) if i % 2 else (226, 90, 70))
        for j in (9, 14, 19):
            p = (hub[0] + ux * j, hub[1] + uy * j)
            cv.line(p[0], p[1], p[0] + vx * 5, p[1] + vy * 5, (120, 90, 70))
    cv.circle(hub[0], hub[1], 1.8, (60, 40, 30))


def draw_pine(cv, x, y, h):
    cv.rect(x - 1, y - 3, x + 1, y, (96, 60, 36))
    for i in range(3):
        top = y - h + i * h * 0.25
        wdt = h * (0.22 + 0.1 * i)
        cv.polygon([(x, top), (x + wdt, top + h * 0.42), (x - wdt, top + h * 0.42)],
                   lambda px, py, x=x: (40, 110, 62) if px + 0.5 > x else (26, 80, 48))


def draw_round_tree(cv, x, y, r, rng, fruit=None):
    cv.rect(x - r * 0.18, y - r * 0.9, x + r * 0.18, y, (112, 72, 40))
    cv.line(x, y - r * 0.5, x + r * 0.45, y - r * 0.95, (112, 72, 40), max(1.2, r * 0.12))
    cx, cy = x, y - r * 1.5
    dark, mid, light = (36, 110, 44), (64, 150, 56), (134, 198, 82)
    for ox, oy, rr, c in ((-0.45, 0.2, 0.7, dark), (0.45, 0.15, 0.7, mid), (0.0, -0.35, 0.8, mid),
                          (0.25, -0.4, 0.5, light), (0.5, -0.05, 0.3, light)):
        cv.circle(cx + ox * r, cy + oy * r, rr * r, c)
    # scattered leaf dots
    for _ in range(int(r * r * 0.6)):
        a = rng.uniform(0, 2 * math.pi)
        d = rng.uniform(0, r * 0.95)
        px, py = cx + math.cos(a) * d, cy + math.sin(a) * d * 0.9
        cv.put(int(px), int(py), dark if py > cy else light)
    if fruit:
        for _ in range(max(3, int(r * 0.8))):
            a = rng.uniform(0, 2 * math.pi)
            d = rng.uniform(0.2, 0.85) * r
            cv.circle(cx + math.cos(a) * d, cy + math.sin(a) * d * 0.9, max(1.0, r * 0.09), fruit)


def draw_sheep(cv, x, y, facing=1):
    cv.line(x - 2, y + 1, x - 2, y + 4, (50, 40, 40))
    cv.line(x + 2, y + 1, x + 2, y + 4, (50, 40, 40))
    cv.ellipse(x, y, 4.5, 3, (246, 244, 236))
    cv.ellipse(x - 1, y - 1.4, 3, 1.3, (255, 255, 255))
    cv.ellipse(x + 4.5 * facing, y - 1.5, 1.8, 1.5, (50, 44, 48))


def draw_barn(cv, x, y):
    cv.rect(x, y, x + 24, y + 14, (190, 48, 42))
    cv.polygon([(x - 2, y + 1), (x + 12, y - 9), (x + 26, y + 1)], (120, 40, 36))
    cv.rect(x + 8, y + 5, x + 16, y + 14, (246, 236, 220))
    cv.rect(x + 9, y + 6, x + 15, y + 14, (160, 36, 34))
    cv.line(x + 9, y + 6, x + 15, y + 14, (246, 236, 220))
    cv.line(x + 15, y + 6, x + 9, y + 14, (246, 236, 220))
    cv.rect(x + 19, y + 3, x + 22, y + 6, (250, 230, 140))
    cv.circle(x + 12, y - 3, 1.8, (250, 236, 200))


def draw_near_hill(cv, rng):
    for y in range(150, H):
        for x in range(W):
            if y + 0.5 < near_ridge(x + 0.5):
                continue
            t = clamp01((y - 165) / 90.0)
            c = mix((116, 192, 72), (56, 136, 52), t)
            # yellowish to the left, bluish to the right
            c = mix(c, (150, 196, 60), 0.4 * (1 - x / W))
            c = mix(c, (48, 156, 110), 0.35 * (x / W))
            cv.px[y * W + x] = c
    # upright grass blades everywhere on the hill
    for _ in range(5200):
        x = rng.uniform(0, W)
        y = rng.uniform(160, H + 4)
        if y < near_ridge(x) + 3:
            continue
        h = 1.5 + (y - 170) / 22.0 + rng.uniform(0, 2)
        lean = rng.uniform(-0.8, 1.2)
        base = cv.get(min(W - 1, int(x)), min(H - 1, int(y)))
        c = scale(base, 0.78) if rng.next() % 3 else mix(base, (210, 240, 140), 0.45)
        cv.line(x, y, x + lean, y - h, c)


def draw_lake(cv, rng):
    def shore(x, y):
        dx, dy = (x + 0.5 - 92.0) / 122.0, (y + 0.5 - 246.0) / 49.0
        return (222, 204, 150) if dx * dx + dy * dy <= 1.0 else None
    cv.paint(0, 190, 220, H, shore)
    for _ in range(120):   # pebbles on the shore
        a = rng.uniform(math.pi * 1.0, math.pi * 2.0)
        x, y = 92 + 119 * math.cos(a), 246 + 46.5 * math.sin(a)
        cv.ellipse(x, y, rng.uniform(0.8, 1.8), rng.uniform(0.6, 1.2),
                   rng.choice([(150, 140, 130), (180, 170, 150), (120, 110, 104), (200, 186, 160)]))

    def water(x, y):
        fx, fy = x + 0.5, y + 0.5
        if not lake_contains(fx, fy):
            return None
        t = clamp01((fy - 202) / 54.0)
        c = mix((120, 186, 228), (30, 84, 168), t)
        return mix(c, (40, 160, 170), 0.35 * (1 - fx / 210.0))
    cv.paint(0, 200, 212, H, water)
    # a faint band of reflected sky light across the middle of the lake
    for y in range(203, H):
        for x in range(0, 212):
            if lake_contains(x + 0.5, y + 0.5) and abs(y - 232 - 5 * math.sin(x / 23.0)) < 3:
                cv.put(x, y, (200, 230, 250), 0.25)
    # ripples: short light strokes, longer further down
    for _ in range(260):
        x = rng.uniform(0, 210)
        y = rng.uniform(202, H)
        if not lake_contains(x, y):
            continue
        ln = 2 + (y - 200) / 12.0 + rng.uniform(0, 4)
        if lake_contains(x + ln, y):
            cv.line(x, y, x + ln, y, (200, 232, 250) if rng.next() % 2 else (70, 130, 200))


def draw_boat(cv, x, y):
    # reflection first, then hull and sails
    cv.polygon([(x - 16, y + 8), (x + 18, y + 8), (x + 12, y + 14), (x - 11, y + 14)], (110, 60, 70), 0.35)
    cv.polygon([(x - 18, y), (x + 20, y), (x + 13, y + 8), (x - 12, y + 8)], (170, 52, 44))
    cv.rect(x - 15, y + 2, x + 17, y + 4, (250, 244, 232))
    for k in range(3):
        cv.circle(x - 6 + 8 * k, y + 5.5, 1.2, (60, 40, 50))
    cv.line(x + 1, y - 30, x + 1, y, (80, 50, 30), 1.4)
    cv.polygon([(x + 2.5, y - 28), (x + 2.5, y - 2), (x + 21, y - 2)],
               lambda px, py: (236, 70, 60) if (py + 0.5) > y - 9 else (252, 250, 242))
    cv.polygon([(x - 0.5, y - 24), (x - 0.5, y - 2), (x - 13, y - 2)], (250, 214, 70))
    cv.polygon([(x + 1, y - 34), (x + 9, y - 32), (x + 1, y - 30)], (50, 110, 220))


def draw_jetty(cv, x0, x1, y):
    """Wooden landing stage reaching into the lake from its right shore."""
    for x in range(int(x0) + 2, int(x1), 7):
        cv.rect(x, y + 2, x + 2, y + 9, (92, 60, 36))
        cv.rect(x, y + 9, x + 2, y + 10, (70, 110, 170))
    cv.polygon([(x0, y), (x1, y - 3), (x1 + 2, y + 2), (x0 + 2, y + 5)],
               lambda px, py: (150, 100, 60) if int(px) % 4 else (112, 72, 44))
    cv.line(x0 + 2, y + 5, x1 + 2, y + 2, (96, 62, 38))


def draw_duck(cv, x, y):
    cv.ellipse(x, y, 5, 3, (250, 224, 60))
    cv.polygon([(x - 5, y - 1), (x - 8, y - 4), (x - 4, y - 3)], (240, 200, 40))
    cv.circle(x + 4, y - 4, 2.5, (250, 224, 60))
    cv.polygon([(x + 6, y - 4.5), (x + 9, y - 3.5), (x + 6, y - 2.8)], (240, 120, 30))
    cv.put(int(x + 4), int(y - 5), (30, 30, 30))
    cv.line(x - 6, y + 3.5, x + 6, y + 3.5, (200, 232, 250))


def draw_lily(cv, x, y, r, flower):
    cv.ellipse(x, y, r, r * 0.55, lambda px, py: None if (px + 0.5 > x and abs(py + 0.5 - y) < r * 0.12)
               else (70, 160, 70))
    cv.ellipse(x - r * 0.2, y - r * 0.1, r * 0.5, r * 0.22, (120, 200, 100))
    if flower:
        cv.circle(x - r * 0.2, y - r * 0.35, r * 0.3, (250, 150, 200))
        cv.circle(x - r * 0.2, y - r * 0.45, r * 0.12, (252, 230, 90))


def draw_house(cv, rng, x0, y0):
    w, h = 58, 34
    x1, y1 = x0 + w, y0 + h
    # dappled plaster walls framed by dark timber, on a stone footing
    cv.rect(x0, y0, x1, y1, lambda x, y: (222, 200, 152) if (x * 7 + y * 11) % 13 == 0 else (234, 214, 166))
    cv.rect(x0, y0, x0 + 40, y0 + 2, (110, 70, 44))
    cv.rect(x0, y0, x0 + 2, y1, (110, 70, 44))
    cv.line(x0 + 2, y1 - 4, x0 + 20, y0 + 23, (110, 70, 44), 1.8)
    cv.rect(x0 + 2, y0 + 23, x0 + 23, y0 + 25, (110, 70, 44))
    cv.rect(x0, y1 - 4, x1, y1, lambda x, y: (150, 146, 150) if (x + 3 * (y % 2)) % 6 else (104, 100, 108))
    cv.rect(x0 + 40, y0 - 6, x1 + 14, y1, (220, 196, 150))            # side extension
    cv.rect(x0 + 40, y0 - 6, x1 + 14, y0 - 4, (150, 110, 80))
    for yy in range(int(y0), int(y1), 5):                             # timber boards
        cv.line(x0 + 40, yy, x1 + 14, yy, (200, 172, 126))
    # roof with rows of tiles
    apex = (x0 + 22, y0 - 30)

    def tiles(x, y):
        row = int((y - apex[1]) / 4)
        c = (196, 62, 46) if row % 2 else (176, 50, 40)
        if int(x + row * 3) % 6 == 0:
            c = (130, 36, 30)
        return c
    cv.polygon([(x0 - 6, y0 + 2), apex, (x0 + 50, y0 + 2)], tiles)
    cv.polygon([(x0 + 42, y0 - 8), (x0 + 36, y0 - 14), (x1 + 18, y0 - 14), (x1 + 18, y0 - 8)], (90, 96, 120))
    # chimney with smoke drifting right
    cv.rect(x0 + 30, y0 - 28, x0 + 37, y0 - 12, (150, 70, 60))
    cv.rect(x0 + 29, y0 - 30, x0 + 38, y0 - 27, (110, 50, 44))
    for i, r in enumerate((3, 4, 5, 6)):
        cv.circle(x0 + 36 + i * 7, y0 - 35 - i * 6, r, (236, 236, 240), 0.75)
    # round attic window
    cv.circle(apex[0], y0 - 12, 4.5, (250, 250, 240))
    cv.circle(apex[0], y0 - 12, 3.3, (110, 170, 230))
    cv.line(apex[0] - 3, y0 - 12, apex[0] + 3, y0 - 12, (250, 250, 240))
    # windows with shutters and a flower box
    for wx in (x0 + 5, x0 + 46, x0 + 58):
        if wx > x0 + 40:
            cv.rect(wx, y0 + 4, wx + 8, y0 + 14, (80, 140, 200))
            cv.rect(wx, y0 + 4, wx + 8, y0 + 6, (200, 230, 250))
            cv.line(wx + 4, y0 + 4, wx + 4, y0 + 14, (250, 250, 250))
            continue
        cv.rect(wx - 3, y0 + 5, wx, y0 + 18, (50, 120, 80))
        cv.rect(wx + 12, y0 + 5, wx + 15, y0 + 18, (50, 120, 80))
        cv.rect(wx, y0 + 5, wx + 12, y0 + 18, (96, 160, 220))
        cv.rect(wx, y0 + 5, wx + 5, y0 + 9, (220, 240, 255))
        cv.line(wx + 6, y0 + 5, wx + 6, y0 + 18, (250, 250, 250))
        cv.line(wx, y0 + 11, wx + 12, y0 + 11, (250, 250, 250))
        cv.rect(wx - 1, y0 + 18, wx + 13, y0 + 21, (130, 80, 50))
        for k in range(6):
            cv.circle(wx + 1 + k * 2.2, y0 + 17, 1.3, ((240, 60, 80), (250, 200, 60), (230, 120, 200))[k % 3])
    # door with its handle on the right and a step
    cv.rect(x0 + 24, y0 + 12, x0 + 35, y1, (130, 74, 40))
    cv.polygon([(x0 + 24, y0 + 12), (x0 + 29.5, y0 + 8), (x0 + 35, y0 + 12)], (130, 74, 40))
    cv.rect(x0 + 26, y0 + 13, x0 + 33, y0 + 18, (230, 200, 120))
    cv.circle(x0 + 33, y0 + 24, 1.2, (250, 220, 80))
    cv.rect(x0 + 22, y1 - 1, x0 + 37, y1 + 1, (150, 150, 150))
    # a climbing rose on the left wall
    for _ in range(26):
        px = x0 + rng.uniform(0, 4)
        py = y0 + rng.uniform(4, h)
        cv.put(int(px), int(py), (60, 130, 50) if rng.next() % 3 else (230, 50, 80))


def draw_path(cv, rng):
    def gravel(x, y):
        fy = y + 0.5
        if fy < 208:
            return None
        if abs(x + 0.5 - path_centre(fy)) > path_half_width(fy):
            return None
        return (214, 190, 140) if (x * 3 + y * 5) % 7 else (190, 164, 118)
    cv.paint(200, 205, W, H, gravel)
    for i in range(22):
        y = 212 + i * 2.1 + rng.uniform(0, 1.5)
        side = 1 if i % 2 else -1
        x = path_centre(y) + side * path_half_width(y) * rng.uniform(0.2, 0.7)
        cv.ellipse(x, y, 1.0 + (y - 205) / 25.0, 0.6 + (y - 205) / 40.0, (150, 146, 140))


def on_path(x, y):
    return y >= 205 and abs(x - path_centre(y)) <= path_half_width(y) + 3


def draw_fence(cv, x0, x1, y):
    for yy in (y + 3, y + 8):
        cv.rect(x0, yy, x1, yy + 2, (236, 226, 206))
        cv.rect(x0, yy + 2, x1, yy + 3, (170, 150, 130))
    for x in range(int(x0), int(x1), 9):
        cv.polygon([(x, y + 1), (x + 1.5, y - 1), (x + 3, y + 1), (x + 3, y + 15), (x, y + 15)], (248, 240, 222))
        cv.rect(x + 2, y + 1, x + 3, y + 15, (196, 180, 160))


def draw_flower(cv, x, y, size, petal, centre=(252, 220, 60)):
    cv.line(x, y, x + size * 0.2, y + size * 2.6, (50, 120, 40), max(1.0, size * 0.3))
    cv.polygon([(x + size * 0.1, y + size * 1.6), (x + size * 1.4, y + size * 1.0),
                (x + size * 0.2, y + size * 2.1)], (80, 160, 60))
    for k in range(5):
        a = -math.pi / 2 + k * 2 * math.pi / 5
        cv.circle(x + math.cos(a) * size * 0.75, y + math.sin(a) * size * 0.75, size * 0.6, petal)
    cv.circle(x, y, size * 0.45, centre)
    cv.circle(x - size * 0.12, y - size * 0.15, size * 0.15, (255, 250, 220))


def draw_mushroom(cv, x, y, s):
    cv.rect(x - s * 0.4, y - s * 1.2, x + s * 0.4, y, (244, 236, 216))
    cv.polygon([(x - s * 1.3, y - s * 1.1), (x - s, y - s * 1.8), (x, y - s * 2.2),
                (x + s, y - s * 1.8), (x + s * 1.3, y - s * 1.1)], (220, 40, 40))
    for ox, oy in ((-0.6, -1.5), (0.3, -1.9), (0.8, -1.35), (-0.1, -1.35)):
        cv.circle(x + ox * s, y + oy * s, s * 0.2, (255, 255, 255))


def draw_butterfly(cv, x, y):
    cv.ellipse(x - 3, y - 2, 3, 2.5, (246, 120, 30))
    cv.ellipse(x + 3, y - 2, 3, 2.5, (246, 120, 30))
    cv.ellipse(x - 2.5, y + 2, 2, 1.8, (30, 30, 40))
    cv.ellipse(x + 2.5, y + 2, 2, 1.8, (30, 30, 40))
    cv.circle(x - 3, y - 2.5, 1, (255, 255, 255))
    cv.line(x, y - 3, x, y + 3, (30, 30, 30))
    cv.line(x, y - 3, x - 2, y - 6, (30, 30, 30))
    cv.line(x, y - 3, x + 2, y - 6, (30, 30, 30))


def draw_child(cv, x, y):
    """A child holding the kite string, arm raised toward the kite."""
    cv.line(x - 1, y, x - 3, y + 9, (50, 60, 120), 1.6)
    cv.line(x + 1, y, x + 3, y + 9, (50, 60, 120), 1.6)
    cv.rect(x - 5, y + 9, x - 1, y + 11, (80, 40, 30))
    cv.rect(x + 2, y + 9, x + 6, y + 11, (80, 40, 30))
    cv.polygon([(x - 4, y - 10), (x + 4, y - 10), (x + 5, y + 1), (x - 5, y + 1)], (240, 80, 60))
    cv.line(x - 4, y - 9, x - 7, y - 2, (250, 210, 170), 1.6)
    cv.line(x + 4, y - 9, x + 8, y - 17, (250, 210, 170), 1.6)
    cv.circle(x, y - 14, 4, (250, 210, 170))
    cv.ellipse(x - 0.5, y - 17, 4.2, 2, (120, 70, 30))
    cv.put(int(x + 1), int(y - 15), (40, 30, 30))
    return (x + 8, y - 17)


def draw_board_picture():
    # Each part of the scene draws from its own fixed generator, so touching
    # one part never reshuffles the others.
    rng = Rng(20240611)
    cv = Canvas(W, H)
    draw_sky(cv)
    draw_wisps(cv, rng)
    draw_moon(cv, 16, 11, 7)
    draw_rainbow(cv)
    draw_sun(cv)
    draw_mountains(cv, Rng(777))
    draw_cloud(cv, 44, 26, 1.0)
    draw_cloud(cv, 232, 20, 0.8, (255, 250, 240))
    draw_cloud(cv, 126, 84, 0.7)
    draw_cloud(cv, 356, 104, 0.6, (255, 240, 230))
    draw_cloud(cv, 214, 90, 0.35, (250, 244, 246))
    draw_balloon(cv, 168, 44)
    draw_balloon(cv, 208, 10, 0.4, [(150, 80, 200), (255, 255, 255), (150, 80, 200), (255, 255, 255)])
    draw_plane(cv, 24, 46)
    for bx, by, s in ((96, 20, 3.2), (110, 28, 2.6), (140, 10, 2.2), (214, 52, 2.6), (282, 98, 2.0),
                      (370, 20, 2.8), (20, 72, 2.2), (226, 78, 1.8)):
        draw_bird(cv, bx, by, s)
    draw_fields(cv, Rng(4242))
    draw_windmill(cv, 38, 112)
    for px in (92, 100, 108, 118):
        draw_pine(cv, px, far_ridge(px) + 6, 16 + (px % 5))
    draw_barn(cv, 160, far_ridge(172) - 4)
    draw_sheep(cv, 122, 170, 1)
    draw_sheep(cv, 136, 176, -1)
    draw_sheep(cv, 330, 152, 1)
    draw_round_tree(cv, 296, far_ridge(296) + 8, 8, rng)
    draw_near_hill(cv, Rng(31337))
    draw_lake(cv, Rng(1999))
    for lx, ly, r, f in ((22, 232, 6, True), (42, 248, 7, False), (14, 250, 5, False), (160, 246, 5, True)):
        draw_lily(cv, lx, ly, r, f)
    draw_jetty(cv, 170, 204, 219)
    draw_boat(cv, 96, 226)
    draw_duck(cv, 146, 236)
    draw_duck(cv, 64, 242)
    cv.polyline([(48, 216), (51, 212), (55, 211), (58, 214)], (250, 140, 50), 2.0)  # a leaping fish
    draw_path(cv, rng)
    draw_house(cv, rng, 224, 168)
    draw_round_tree(cv, 212, 204, 11, rng, (230, 40, 50))
    draw_round_tree(cv, 372, 190, 16, rng, (250, 160, 40))
    draw_fence(cv, 298, W, 190)
    string_start = draw_kite(cv, 258, 80)
    hand = draw_child(cv, 340, 222)
    cv.polyline([(string_start[0] + (hand[0] - string_start[0]) * t + 18 * math.sin(t * math.pi),
                  string_start[1] + (hand[1] - string_start[1]) * t + 10 * t * (1 - t))
                 for t in [i / 40.0 for i in range(41)]], (70, 60, 70), 1.0, 0.8)
    petals = [(236, 50, 70), (250, 140, 190), (160, 90, 220), (255, 255, 255),
              (250, 150, 40), (80, 120, 240), (250, 230, 70)]
    placed = 0
    while placed < 46:
        x = rng.uniform(200, W - 2)
        y = rng.uniform(206, H - 6)
        if on_path(x, y) or abs(x - 340) < 10 and y < 236 or lake_contains(x - 12, y - 4):
            continue
        petal = petals[placed % len(petals)]
        draw_flower(cv, x, y, 1.6 + (y - 206) / 20.0, petal,
                    (120, 70, 30) if petal == (250, 230, 70) else (252, 220, 60))
        placed += 1
    draw_mushroom(cv, 226, 250, 4)
    draw_mushroom(cv, 236, 253, 3)
    draw_butterfly(cv, 300, 232)
    draw_butterfly(cv, 152, 198)
    return cv


# --------------------------------------------------------------------------
# The start-up picture: shuffled tiles of the board picture under the title
# --------------------------------------------------------------------------

FONT = {
    'Q': ['.###.', '#...#', '#...#', '#...#', '#.#.#', '#..#.', '.##.#'],
    'U': ['#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'A': ['.###.', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'V': ['#...#', '#...#', '#...#', '#...#', '#...#', '.#.#.', '..#..'],
    'I': ['.###.', '..#..', '..#..', '..#..', '..#..', '..#..', '.###.'],
    'N': ['#...#', '#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#'],
    'T': ['#####', '..#..', '..#..', '..#..', '..#..', '..#..', '..#..'],
    'O': ['.###.', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'P': ['####.', '#...#', '#...#', '####.', '#....', '#....', '#....'],
    'Z': ['#####', '....#', '...#.', '..#..', '.#...', '#....', '#####'],
    'L': ['#....', '#....', '#....', '#....', '#....', '#....', '#####'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
}


def text_cells(text):
    """Font cells (column, row, letter index) covered by text, one blank column between letters."""
    cells = []
    for i, ch in enumerate(text):
        for r, line in enumerate(FONT[ch]):
            for c, bit in enumerate(line):
                if bit == '#':
                    cells.append((i * 6 + c, r, i))
    return cells, len(text) * 6 - 1


def draw_startup_picture(board):
    cv = Canvas(W, H)
    tile = 32
    cols, rows = W // tile, H // tile
    rng = Rng(0xC0FFEE)
    # Swap a couple of dozen tiles and turn some of them upside down,
    # like a game in progress.
    order = list(range(cols * rows))
    for _ in range(14):
        a, b = rng.randint(0, len(order) - 1), rng.randint(0, len(order) - 1)
        order[a], order[b] = order[b], order[a]
    turned = set(rng.randint(0, len(order) - 1) for _ in range(10))
    for dest, src in enumerate(order):
        dx, dy = (dest % cols) * tile, (dest // cols) * tile
        sx, sy = (src % cols) * tile, (src // cols) * tile
        flip = dest in turned
        for y in range(tile):
            for x in range(tile):
                ox, oy = (tile - 1 - x, tile - 1 - y) if flip else (x, y)
                c = board.get(sx + ox, sy + oy)
                # bevel so every tile reads as a separate piece
                if x == 0 or y == 0:
                    c = mix(c, (255, 255, 255), 0.45)
                elif x == tile - 1 or y == tile - 1:
                    c = scale(c, 0.5)
                elif x == 1 or y == 1:
                    c = mix(c, (255, 255, 255), 0.2)
                elif x == tile - 2 or y == tile - 2:
                    c = scale(c, 0.75)
                cv.put(dx + x, dy + y, c)

    # darkened band behind the title, with soft edges
    top, bottom = 72, 186
    for y in range(top - 8, bottom + 8):
        edge = min(y - (top - 8), bottom + 8 - y) / 8.0
        a = 0.62 * clamp01(edge)
        for x in range(W):
            cv.put(x, y, (16, 18, 48), a)

    # title: solid blocky letters, one hue per letter, outlined and bevelled
    hues = [(240, 70, 70), (250, 150, 40), (250, 214, 50), (90, 200, 90),
            (60, 180, 220), (80, 110, 240), (170, 90, 230), (240, 90, 180)]
    cells, ncols = text_cells('QUAVINTO')
    s = 7
    x0, y0 = (W - ncols * s) // 2, 86
    letter_of = {}
    for cx, cy, li in cells:
        for y in range(s):
            for x in range(s):
                letter_of[(x0 + cx * s + x, y0 + cy * s + y)] = li
    inside = letter_of.keys()
    for (x, y) in inside:                                     # drop shadow
        cv.put(x + 4, y + 4, (0, 0, 16), 0.75)
    for (x, y) in inside:                                     # dark outline
        for ox in (-2, -1, 0, 1, 2):
            for oy in (-2, -1, 0, 1, 2):
                if (x + ox, y + oy) not in letter_of and abs(ox) + abs(oy) < 4:
                    cv.put(x + ox, y + oy, (22, 16, 44))
    for (x, y), li in letter_of.items():
        c = mix(mix(hues[li], (255, 255, 255), 0.35), hues[li], clamp01((y - y0) / 40.0))
        if (x, y - 1) not in letter_of or (x - 1, y) not in letter_of:
            c = mix(c, (255, 255, 255), 0.6)
        elif (x, y + 1) not in letter_of or (x + 1, y) not in letter_of:
            c = scale(c, 0.6)
        elif (x - x0) % s == 0 or (y - y0) % s == 0:
            c = scale(c, 0.88)                                # faint tile seams
        cv.put(x, y, c)

    # subtitle in plain cream capitals
    cells, ncols = text_cells('PUZZLE')
    s = 3
    x0, y0 = (W - ncols * s) // 2, 154
    for cx, cy, _ in cells:
        cv.rect(x0 + cx * s - 1, y0 + cy * s - 1, x0 + cx * s + s + 2, y0 + cy * s + s + 2, (22, 16, 44))
    for cx, cy, _ in cells:
        cv.rect(x0 + cx * s, y0 + cy * s, x0 + cx * s + s, y0 + cy * s + s, (250, 246, 230))
    # thin rules either side of the subtitle
    for xa, xb in ((x0 - 70, x0 - 12), (x0 + ncols * s + 12, x0 + ncols * s + 70)):
        cv.rect(xa, y0 + 9, xb, y0 + 11, (250, 214, 90))
    return cv


# --------------------------------------------------------------------------
# The icon: four tiles forming a disc, one of them lifted and turned over
# --------------------------------------------------------------------------

ICON_TILES = [  # (left, top) in 32-unit icon space, colour
    ((2, 2), (240, 84, 64)),
    ((17, 2), (252, 196, 40)),
    ((2, 17), (48, 124, 232)),
    ((17, 17), (56, 180, 92)),
]
ICON_TILE = 13.0
ICON_TURNED = 1             # the top-right tile is upside down ...
ICON_LIFT = (1.2, -1.2)     # ... and lifted out of its place


def _rounded_depth(u, v, x0, y0, size, radius):
    """How far (u, v) lies inside a rounded square; negative when outside."""
    half = size / 2.0
    qx = abs(u - x0 - half) - (half - radius)
    qy = abs(v - y0 - half) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - radius
    return -outside


def icon_sample(u, v):
    """Colour (0..255) and opacity (0..1) of the icon design at point (u, v) of its 32x32 square."""
    colour, alpha = (0.0, 0.0, 0.0), 0.0
    tl = ICON_TILES[ICON_TURNED][0]
    sx, sy = tl[0] + ICON_LIFT[0] + 1.0, tl[1] + ICON_LIFT[1] + 2.0
    if _rounded_depth(u, v, sx, sy, ICON_TILE, 2.5) >= 0:   # shadow of the lifted tile
        colour, alpha = (10.0, 10.0, 30.0), 0.4
    for i, ((x0, y0), base) in enumerate(ICON_TILES):
        if i == ICON_TURNED:
            x0, y0 = x0 + ICON_LIFT[0], y0 + ICON_LIFT[1]
        depth = _rounded_depth(u, v, x0, y0, ICON_TILE, 2.5)
        if depth < 0:
            continue
        # position inside the picture the tile was cut from
        lu, lv = u - x0, v - y0
        if i == ICON_TURNED:
            lu, lv = ICON_TILE - lu, ICON_TILE - lv
        pu, pv = ICON_TILES[i][0][0] + lu, ICON_TILES[i][0][1] + lv
        d = math.hypot(pu - 16.0, pv - 16.0)
        c = base
        if d <= 9.0:
            c = (255, 246, 214)
        elif d <= 10.0:
            c = mix(base, (40, 30, 50), 0.5)
        # dark rim, then a bevel lit from the top left on every tile alike
        tu, tv = u - x0, v - y0
        if depth < 0.5:
            c = mix(base, (24, 20, 40), 0.6)
        elif depth < 1.3:
            lit = min(tu, tv) < min(ICON_TILE - tu, ICON_TILE - tv)   # nearer the top/left edge
            c = mix(c, (255, 255, 255), 0.45) if lit else scale(c, 0.7)
        colour, alpha = c, 1.0
    return colour, alpha


def render_icon(size, sub):
    k = 32.0 / size
    out = []
    for y in range(size):
        for x in range(size):
            r = g = b = a = 0.0
            for j in range(sub):
                for i in range(sub):
                    c, al = icon_sample((x + (i + 0.5) / sub) * k, (y + (j + 0.5) / sub) * k)
                    r += c[0] * al
                    g += c[1] * al
                    b += c[2] * al
                    a += al
            n = sub * sub
            if a > 0:
                out.append((to_byte(r / a), to_byte(g / a), to_byte(b / a), to_byte(255 * a / n)))
            else:
                out.append((0, 0, 0, 0))
    return out


def flatten(rgba, background=(255, 255, 255)):
    return [tuple(to_byte(c * a / 255.0 + bg * (1 - a / 255.0)) for c, bg in zip(p[:3], background))
            for p in rgba for a in (p[3],)]


# --------------------------------------------------------------------------

def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    board = draw_board_picture()
    palette, indices = quantise(board.to_bytes_rgb())
    write_bmp8(os.path.join(out_dir, 'default.bmp'), W, H, indices, palette)

    # The start-up picture is cut from the board picture as the player will see it.
    shown = Canvas(W, H)
    shown.px = [tuple(float(v) for v in palette[i]) for i in indices]
    write_bmp24(os.path.join(out_dir, 'startup.bmp'), W, H, draw_startup_picture(shown).to_bytes_rgb())

    icon32 = render_icon(32, 4)
    write_png_rgba(os.path.join(out_dir, 'icon.png'), 32, 32, icon32)
    write_bmp24(os.path.join(out_dir, 'icon.bmp'), 32, 32, flatten(icon32))
    # The desktop's icon theme picks the nearest size; each is drawn at its own
    # size from the design, not scaled from another.
    for size in (48, 64, 128, 256):
        write_png_rgba(os.path.join(out_dir, 'icon%d.png' % size), size, size, render_icon(size, 4 if size < 128 else 3))


if __name__ == '__main__':
    main()
