#!/usr/bin/env python3
"""Draws the editor's skin: the 640 x 480 backdrop and the five knob strips.

Deterministic (no clock, no randomness beyond a fixed-seed generator), standard library only: the
images are rendered with coverage-based antialiasing into premultiplied float buffers and written as
8-bit RGBA PNG files with zlib and struct.

    python3 tools/skingen.py [output folder]          (default: plugin/resources/img)
    python3 tools/skingen.py --check [image folder]  (the images there are what it draws)

The positions below follow the editor layout built by the plug-in's constructor: each knob strip is
painted for the knob's frame size, and the backdrop carries each knob's scale and caption around the
knob's position, the transfer display's dB grid and the gain-change meter's scale.
"""

import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------------------------------
# Colours (straight RGB 0..1)


def rgb(hexcode):
    return ((hexcode >> 16 & 255) / 255.0, (hexcode >> 8 & 255) / 255.0, (hexcode & 255) / 255.0)


ACCENT = rgb(0xFFCA3F)        # the meters' amber
ACCENT_DEEP = rgb(0xC9861C)
CAPTION = rgb(0xC3C8D0)
SCALE = rgb(0x8A929E)
SCALE_DIM = rgb(0x5E6570)
PANEL_TOP = rgb(0x2B2F36)
PANEL_BOTTOM = rgb(0x1A1D22)
SECTION = rgb(0x23272D)
DISPLAY_TOP = rgb(0x0E1217)
DISPLAY_BOTTOM = rgb(0x0A0D11)
GRID_MINOR = rgb(0x1C232C)
GRID_MAJOR = rgb(0x2A3541)
GRID_ZERO = rgb(0x43546A)

# --------------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats


class Canvas:
    def __init__(self, w, h):
        self.w = w
        self.h = h
        self.p = [0.0] * (w * h * 4)

    def copy(self):
        c = Canvas.__new__(Canvas)
        c.w, c.h, c.p = self.w, self.h, list(self.p)
        return c

    def put(self, x, y, colour, a):
        """Composites colour at coverage a over pixel (x, y)."""
        if a <= 0.0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        if a > 1.0:
            a = 1.0
        j = (y * self.w + x) * 4
        p = self.p
        inv = 1.0 - a
        p[j] = colour[0] * a + p[j] * inv
        p[j + 1] = colour[1] * a + p[j + 1] * inv
        p[j + 2] = colour[2] * a + p[j + 2] * inv
        p[j + 3] = a + p[j + 3] * inv

    def fill(self, shade):
        """Fills every pixel opaquely with shade(x, y) -> colour."""
        p = self.p
        for y in range(self.h):
            for x in range(self.w):
                c = shade(x, y)
                j = (y * self.w + x) * 4
                p[j], p[j + 1], p[j + 2], p[j + 3] = c[0], c[1], c[2], 1.0

    def paint(self, x0, y0, x1, y1, coverage, colour, alpha=1.0):
        """Composites colour (a colour, or a function (x, y) -> colour) over the box, weighted by
        coverage(px, py) evaluated at pixel centres."""
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.w, int(math.ceil(x1)))
        y1 = min(self.h, int(math.ceil(y1)))
        shade = colour if callable(colour) else None
        for y in range(y0, y1):
            cy = y + 0.5
            for x in range(x0, x1):
                a = coverage(x + 0.5, cy)
                if a > 0.0:
                    self.put(x, y, shade(x, y) if shade else colour, a * alpha)

    def rgba_bytes(self):
        out = bytearray(self.w * self.h * 4)
        p = self.p
        for i in range(self.w * self.h):
            j = i * 4
            a = p[j + 3]
            if a <= 0.0:
                continue
            if a > 1.0:
                a = 1.0
            inv = 1.0 / a
            for k in range(3):
                v = int(p[j + k] * inv * 255.0 + 0.5)
                out[j + k] = 0 if v < 0 else (255 if v > 255 else v)
            out[j + 3] = int(a * 255.0 + 0.5)
        return out


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def mix(c1, c2, t):
    return (c1[0] + (c2[0] - c1[0]) * t, c1[1] + (c2[1] - c1[1]) * t, c1[2] + (c2[2] - c1[2]) * t)


# --------------------------------------------------------------------------------------------------
# Shapes as coverage functions


def disc_cov(cx, cy, r):
    def cov(px, py):
        return clamp01(r + 0.5 - math.hypot(px - cx, py - cy))
    return cov


def ring_cov(cx, cy, r0, r1):
    def cov(px, py):
        d = math.hypot(px - cx, py - cy)
        return clamp01(min(d - r0 + 0.5, r1 + 0.5 - d))
    return cov


def rrect_cov(x0, y0, x1, y1, radius):
    """Rounded rectangle with edges at x0..x1, y0..y1 (pixel edges)."""
    def cov(px, py):
        qx = max(x0 + radius - px, px - (x1 - radius), 0.0)
        qy = max(y0 + radius - py, py - (y1 - radius), 0.0)
        if qx > 0.0 and qy > 0.0:
            return clamp01(radius + 0.5 - math.hypot(qx, qy))
        return clamp01(min(px - x0, x1 - px, py - y0, y1 - py) + 0.5)
    return cov


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0.0 else ((px - ax) * dx + (py - ay) * dy) / ll
    t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke_segments(canvas, segments, width, colour, alpha=1.0):
    """Strokes a set of segments as one shape (overlaps are not darkened twice)."""
    half = width * 0.5
    best = {}
    for (ax, ay, bx, by) in segments:
        x0 = int(math.floor(min(ax, bx) - half - 1))
        x1 = int(math.ceil(max(ax, bx) + half + 1))
        y0 = int(math.floor(min(ay, by) - half - 1))
        y1 = int(math.ceil(max(ay, by) + half + 1))
        for y in range(max(0, y0), min(canvas.h, y1 + 1)):
            for x in range(max(0, x0), min(canvas.w, x1 + 1)):
                c = clamp01(half + 0.5 - seg_dist(x + 0.5, y + 0.5, ax, ay, bx, by))
                if c > 0.0:
                    k = (x, y)
                    if c > best.get(k, 0.0):
                        best[k] = c
    for (x, y), c in sorted(best.items()):
        canvas.put(x, y, colour, c * alpha)


def line(canvas, x0, y0, x1, y1, width, colour, alpha=1.0):
    stroke_segments(canvas, [(x0, y0, x1, y1)], width, colour, alpha)


# --------------------------------------------------------------------------------------------------
# A small stroke font. Glyphs are polylines on a grid whose cap height is 6 units (y down, baseline
# at 6, x-height at 2); each entry is (advance, [polyline, ...]).


def arc(cx, cy, rx, ry, a0, a1, steps=None):
    if steps is None:
        steps = max(4, int(abs(a1 - a0) / 15.0))
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy - ry * math.sin(a)))
    return pts


def _glyphs():
    g = {}
    g['A'] = (4.0, [[(0, 6), (2, 0), (4, 6)], [(0.7, 4), (3.3, 4)]])
    g['B'] = (3.7, [[(0, 3), (2.4, 3)] + arc(2.4, 1.5, 1.2, 1.5, -90, 90) + [(0, 0), (0, 6), (2.4, 6)]
                    + arc(2.4, 4.5, 1.3, 1.5, -90, 90)])
    g['C'] = (3.8, [arc(2.1, 3, 2.1, 3, 45, 315)])
    g['D'] = (4.0, [[(0, 0), (0, 6), (1.8, 6)] + arc(1.8, 3, 2.2, 3, -90, 90) + [(0, 0)]])
    g['E'] = (3.4, [[(3.4, 0), (0, 0), (0, 6), (3.4, 6)], [(0, 3), (2.7, 3)]])
    g['F'] = (3.3, [[(3.3, 0), (0, 0), (0, 6)], [(0, 3), (2.7, 3)]])
    g['G'] = (4.1, [arc(2.1, 3, 2.1, 3, 45, 360) + [(2.3, 3)]])
    g['H'] = (3.7, [[(0, 0), (0, 6)], [(3.7, 0), (3.7, 6)], [(0, 3), (3.7, 3)]])
    g['I'] = (0.0, [[(0, 0), (0, 6)]])
    g['J'] = (3.0, [[(3, 0), (3, 4.5)] + arc(1.5, 4.5, 1.5, 1.5, 0, -180)])
    g['K'] = (3.6, [[(0, 0), (0, 6)], [(3.5, 0), (0, 3.9)], [(1.3, 2.5), (3.6, 6)]])
    g['L'] = (3.2, [[(0, 0), (0, 6), (3.2, 6)]])
    g['M'] = (4.6, [[(0, 6), (0, 0), (2.3, 4.2), (4.6, 0), (4.6, 6)]])
    g['N'] = (3.8, [[(0, 6), (0, 0), (3.8, 6), (3.8, 0)]])
    g['O'] = (4.3, [arc(2.15, 3, 2.15, 3, 0, 360, 32)])
    g['P'] = (3.6, [[(0, 6), (0, 0), (2.2, 0)] + arc(2.2, 1.6, 1.4, 1.6, 90, -90) + [(0, 3.2)]])
    g['Q'] = (4.3, [arc(2.15, 3, 2.15, 3, 0, 360, 32), [(2.6, 4.4), (4.4, 6.2)]])
    g['R'] = (3.7, [[(0, 6), (0, 0), (2.2, 0)] + arc(2.2, 1.6, 1.4, 1.6, 90, -90) + [(0, 3.2)],
                    [(1.9, 3.2), (3.7, 6)]])
    g['S'] = (3.6, [arc(1.8, 1.55, 1.75, 1.55, 25, 270) + arc(1.8, 4.45, 1.8, 1.55, 90, -155)])
    g['T'] = (4.0, [[(0, 0), (4, 0)], [(2, 0), (2, 6)]])
    g['U'] = (3.7, [[(0, 0), (0, 4.1)] + arc(1.85, 4.1, 1.85, 1.9, 180, 360) + [(3.7, 0)]])
    g['V'] = (4.0, [[(0, 0), (2, 6), (4, 0)]])
    g['W'] = (5.4, [[(0, 0), (1.35, 6), (2.7, 1.4), (4.05, 6), (5.4, 0)]])
    g['X'] = (3.8, [[(0, 0), (3.8, 6)], [(3.8, 0), (0, 6)]])
    g['Y'] = (4.0, [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]])
    g['Z'] = (3.7, [[(0, 0), (3.7, 0), (0, 6), (3.7, 6)]])
    g['0'] = (3.6, [arc(1.8, 3, 1.8, 3, 0, 360, 32)])
    g['1'] = (2.2, [[(0.2, 1.2), (1.6, 0), (1.6, 6)]])
    g['2'] = (3.6, [arc(1.8, 1.75, 1.75, 1.75, 160, -35) + [(0, 6), (3.6, 6)]])
    g['3'] = (3.5, [arc(1.7, 1.5, 1.65, 1.5, 150, -90) + arc(1.7, 4.45, 1.85, 1.55, 90, -150)])
    g['4'] = (3.8, [[(2.9, 6), (2.9, 0), (0, 4.2), (3.8, 4.2)]])
    g['5'] = (3.6, [[(3.3, 0), (0.35, 0), (0.15, 2.75)] + arc(1.8, 4.1, 1.8, 1.9, 135, -150)])
    g['6'] = (3.6, [arc(1.8, 4.15, 1.75, 1.85, 0, 360, 24),
                    [(0.06, 4.1), (0.35, 2.0), (1.1, 0.6), (2.1, 0.05), (3.2, 0.35)]])
    g['7'] = (3.6, [[(0, 0), (3.6, 0), (1.2, 6)]])
    g['8'] = (3.6, [arc(1.8, 1.5, 1.55, 1.5, 0, 360, 24), arc(1.8, 4.4, 1.8, 1.6, 0, 360, 24)])
    g['9'] = (3.6, [arc(1.8, 1.85, 1.75, 1.85, 0, 360, 24),
                    [(3.54, 1.9), (3.25, 4.0), (2.5, 5.4), (1.5, 5.95), (0.4, 5.65)]])
    g['-'] = (2.6, [[(0.2, 3.4), (2.4, 3.4)]])
    g['+'] = (3.2, [[(0, 3.3), (3.2, 3.3)], [(1.6, 1.7), (1.6, 4.9)]])
    g['.'] = (0.4, [[(0.2, 5.85), (0.2, 5.9)]])
    g[':'] = (0.4, [[(0.2, 2.6), (0.2, 2.65)], [(0.2, 5.85), (0.2, 5.9)]])
    g['%'] = (4.2, [[(0.2, 6), (4.0, 0)], arc(0.9, 1.1, 0.9, 1.1, 0, 360, 12),
                    arc(3.3, 4.9, 0.9, 1.1, 0, 360, 12)])
    g['/'] = (2.6, [[(0, 6.2), (2.6, -0.2)]])
    g[' '] = (1.8, [])
    g['d'] = (3.0, [arc(1.5, 4, 1.5, 2, 0, 360, 20), [(3.0, 0), (3.0, 6)]])
    g['m'] = (4.6, [[(0, 6), (0, 2)], [(0, 3.0)] + arc(1.15, 3.0, 1.15, 1.0, 180, 0) + [(2.3, 6)],
                    [(2.3, 3.0)] + arc(3.45, 3.0, 1.15, 1.0, 180, 0) + [(4.6, 6)]])
    g['s'] = (2.8, [arc(1.4, 3.0, 1.35, 1.0, 25, 270) + arc(1.4, 5.0, 1.4, 1.0, 90, -155)])
    g['v'] = (3.0, [[(0, 2), (1.5, 6), (3, 2)]])
    return g


GLYPHS = _glyphs()


def text_segments(text, x, y, cap, tracking=1.3):
    """Segments of text with its left edge at x and its cap top at y; returns (segments, width)."""
    s = cap / 6.0
    segs = []
    pen = 0.0
    for ch in text:
        adv, polys = GLYPHS.get(ch, GLYPHS[' '])
        for poly in polys:
            if len(poly) == 1:
                continue
            for (ax, ay), (bx, by) in zip(poly, poly[1:]):
                segs.append((x + (pen + ax) * s, y + ay * s, x + (pen + bx) * s, y + by * s))
        pen += adv + tracking
    width = (pen - tracking) * s if text else 0.0
    return segs, width


def text_width(text, cap, tracking=1.3):
    return text_segments(text, 0, 0, cap, tracking)[1]


def draw_text(canvas, text, x, y, cap, colour, weight=1.1, align='left', tracking=1.3, alpha=1.0):
    w = text_width(text, cap, tracking)
    if align == 'centre':
        x -= w / 2.0
    elif align == 'right':
        x -= w
    segs, _ = text_segments(text, x, y, cap, tracking)
    stroke_segments(canvas, segs, weight, colour, alpha)


# --------------------------------------------------------------------------------------------------
# Knob geometry shared by every strip: the pointer turns through the same arc in every strip, and
# frame k of n (0-based) shows the value k / (n - 1).

SWEEP_START = -135.0  # degrees from straight up, clockwise positive
SWEEP = 270.0


def knob_angle(value):
    return SWEEP_START + SWEEP * value


def polar(cx, cy, radius, angle_deg):
    a = math.radians(angle_deg)
    return cx + radius * math.sin(a), cy - radius * math.cos(a)


def knob_radii(size):
    """(cap radius, groove inner, groove outer, scale inner, scale outer) for a frame size."""
    cap = size * 0.30
    return cap, cap + 3.0, cap + 7.5, cap + 10.0, cap + 14.0


def knob_body(size):
    """The static part of a knob: shadow, groove and the light cap (the value text is drawn over it in
    dark grey, so the cap stays light where the text sits)."""
    c = Canvas(size, size)
    cx = cy = size / 2.0
    cap, g0, g1, _, _ = knob_radii(size)
    # soft shadow below the knob
    for i in range(6):
        r = g1 + 1.5 - i * 0.6
        c.paint(0, 0, size, size, disc_cov(cx, cy + 2.0, r), (0.0, 0.0, 0.0), 0.07)
    # groove ring
    c.paint(0, 0, size, size, disc_cov(cx, cy, g1), rgb(0x0C0E11))
    c.paint(0, 0, size, size, ring_cov(cx, cy, g1 - 1.0, g1), rgb(0x333941), 0.8)
    # cap: a lit dome, light top-left to a darker rim
    def cap_shade(x, y):
        dx = (x + 0.5 - cx) / cap
        dy = (y + 0.5 - cy) / cap
        d = min(1.0, math.hypot(dx, dy))
        light = clamp01(0.62 - 0.38 * dx - 0.5 * dy)
        base = mix(rgb(0x9C9FA4), rgb(0xF1EFEA), light)
        return mix(base, rgb(0x7D8086), max(0.0, d - 0.78) * 2.2)
    c.paint(0, 0, size, size, disc_cov(cx, cy, cap + 1.2), rgb(0x15171A))
    c.paint(0, 0, size, size, disc_cov(cx, cy, cap), cap_shade)
    # fine concentric turning marks on the cap
    for i in range(3, int(cap) - 2, 3):
        c.paint(0, 0, size, size, ring_cov(cx, cy, i - 0.35, i + 0.35), (1.0, 1.0, 1.0), 0.035)
    # bevel highlight along the top of the cap
    def bevel(px, py):
        d = math.hypot(px - cx, py - cy)
        rim = clamp01(min(d - (cap - 2.0) + 0.5, cap + 0.5 - d))
        return rim * clamp01(-(py - cy) / cap)
    c.paint(0, 0, size, size, bevel, (1.0, 1.0, 1.0), 0.5)
    return c


def knob_strip(size, frames, accent=ACCENT):
    body = knob_body(size)
    cx = cy = size / 2.0
    cap, g0, g1, _, _ = knob_radii(size)
    # the groove's pixels with radius and angle, for the value arc
    annulus = []
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(px, py)
            if g0 - 1.0 <= d <= g1 + 1.0:
                ang = math.degrees(math.atan2(px, -py))
                annulus.append((x, y, d, ang, clamp01(min(d - g0 + 0.5, g1 - 0.5 - d + 0.5))))
    strip = Canvas(size, size * frames)
    for k in range(frames):
        v = k / (frames - 1)
        end = knob_angle(v)
        f = body.copy()
        # the value arc in the groove, from the start of the sweep to the value
        span = end - SWEEP_START
        for (x, y, d, ang, rad) in annulus:
            if rad <= 0.0:
                continue
            into = min(ang - SWEEP_START, end - ang)  # degrees inside the lit span
            cov = clamp01(math.radians(into) * d + 0.5) if span > 0.0 else 0.0
            if cov > 0.0:
                f.put(x, y, mix(ACCENT_DEEP, accent, clamp01(0.35 + 0.65 * (ang - SWEEP_START) / SWEEP)),
                      cov * rad)
        # a bright tip where the arc ends
        tx, ty = polar(cx, cy, (g0 + g1) / 2.0, end)
        f.paint(tx - 4, ty - 4, tx + 4, ty + 4, disc_cov(tx, ty, (g1 - g0) * 0.5 + 0.4), rgb(0xFFF0C0), 0.9)
        # the pointer: a dark line near the cap's rim
        ax, ay = polar(cx, cy, cap * 0.58, end)
        bx, by = polar(cx, cy, cap * 0.93, end)
        line(f, ax, ay, bx, by, size * 0.032, rgb(0x25282D))
        # copy the frame into the strip (frames one below the other)
        base = k * size * size * 4
        strip.p[base:base + size * size * 4] = f.p
    return strip


# --------------------------------------------------------------------------------------------------
# Backdrop

W, H = 640, 480

# Knobs of the layout: (left, top, frame size, caption, scale texts (min, max), caption below?)
KNOBS = [
    (445, 6, 96, 'TOP THRESHOLD', ('-48', '0')),
    (543, 48, 80, 'RATIO', ('1', '20')),
    (445, 127, 96, 'AVG THRESHOLD', ('-48', '0')),
    (543, 169, 80, 'RATIO', ('1', '20')),
    (445, 248, 96, 'BTM THRESHOLD', ('-48', '0')),
    (543, 290, 80, 'RATIO', ('1', '20')),
    (454, 384, 80, 'ATTACK ms', ('1', '100')),
    (544, 384, 80, 'RELEASE ms', ('1', '999')),
    (337, 384, 80, 'SATURATION %', ('0', '100')),
]

METER = (59, 43, 99, 341)
DISPLAY = (113, 42, 413, 342)


def noise(seed):
    state = [seed & 0xFFFFFFFF]

    def nxt():
        state[0] = (state[0] * 1664525 + 1013904223) & 0xFFFFFFFF
        return state[0] / 4294967296.0
    return nxt


def backdrop():
    c = Canvas(W, H)
    rnd = noise(0x51BE1)
    grain = [rnd() - 0.5 for _ in range(W)]  # brushed grain: one value per column, drifting by row

    def panel(x, y):
        t = y / (H - 1.0)
        base = mix(PANEL_TOP, PANEL_BOTTOM, t)
        g = grain[(x + (y * 7) // 13) % W] * 0.012
        vignette = 0.04 * (((x - W / 2.0) / (W / 2.0)) ** 2)
        return (base[0] + g - vignette, base[1] + g - vignette, base[2] + g - vignette)
    c.fill(panel)

    # sections: the display and meter area, the band controls, the bottom row
    for (x0, y0, x1, y1) in [(14, 8, 427, 374), (436, 2, 634, 374), (326, 378, 634, 477)]:
        c.paint(x0 - 1, y0 - 1, x1 + 2, y1 + 3, rrect_cov(x0, y0 + 1.5, x1, y1 + 1.5, 7), (0, 0, 0), 0.35)
        c.paint(x0, y0, x1, y1, rrect_cov(x0, y0, x1, y1, 7), lambda x, y: mix(SECTION, PANEL_BOTTOM, y / H * 0.6))
        c.paint(x0, y0, x1, y0 + 2, rrect_cov(x0, y0, x1, y1, 7), (1, 1, 1), 0.06)

    draw_display(c)
    draw_meter(c)
    for (left, top, size, caption, scale) in KNOBS:
        draw_knob_scale(c, left, top, size, caption, scale)

    # the maker and product name, bottom left
    draw_text(c, 'QUIBEL', 28, 400, 9, SCALE, weight=1.2, tracking=2.6)
    draw_text(c, 'OMBRELUX', 27, 414, 22, CAPTION, weight=2.4, tracking=1.8)
    draw_text(c, 'THREE BAND ENVELOPE DYNAMICS', 28, 445, 6, SCALE_DIM, weight=1.0, tracking=1.6)
    line(c, 28, 396, 300, 396, 1.0, ACCENT, 0.55)
    return c


def x_of(level):
    l, t, r, b = DISPLAY
    return (r - l) * (level / 48.0 + 1.0) + l


def y_of(gain):
    l, t, r, b = DISPLAY
    return b - (b - t) * (gain / 24.0 + 0.5)


def draw_display(c):
    l, t, r, b = DISPLAY
    # bezel and screen
    c.paint(l - 6, t - 6, r + 6, b + 6, rrect_cov(l - 5, t - 5, r + 5, b + 5, 5), rgb(0x08090B))
    c.paint(l - 6, t - 6, r + 6, b + 6, rrect_cov(l - 5, t - 5, r + 5, b + 5, 5), (1, 1, 1), 0.0)
    c.paint(l - 6, b + 3, r + 6, b + 7, rrect_cov(l - 5, t - 5, r + 5, b + 5.5, 5), (1, 1, 1), 0.06)
    c.paint(l, t, r, b, rrect_cov(l, t, r, b, 1.5), lambda x, y: mix(DISPLAY_TOP, DISPLAY_BOTTOM, (y - t) / 300.0))
    # grid: input level every 6 dB (12 dB major), gain change every 3 dB (6 dB major)
    for level in range(-42, 0, 6):
        x = x_of(level)
        major = level % 12 == 0
        line(c, x, t + 1, x, b - 1, 1.0, GRID_MAJOR if major else GRID_MINOR)
    for gain in range(-9, 12, 3):
        y = y_of(gain)
        colour = GRID_ZERO if gain == 0 else (GRID_MAJOR if gain % 6 == 0 else GRID_MINOR)
        line(c, l + 1, y, r - 1, y, 1.0, colour)
    # a faint glow along the 0 dB line
    c.paint(l, y_of(0) - 4, r, y_of(0) + 5, lambda px, py: clamp01(1.0 - abs(py - y_of(0)) / 4.0), ACCENT, 0.05)
    # level labels under the screen, gain labels inside its left edge
    for level in (-48, -36, -24, -12, 0):
        x = x_of(level)
        line(c, x, b + 6, x, b + 9, 1.0, SCALE_DIM)
        draw_text(c, str(level), x, b + 12, 6, SCALE, align='centre', weight=1.0)
    for gain in (12, 6, 0, -6, -12):
        y = y_of(gain)
        label = ('+' if gain > 0 else '') + str(gain)
        yy = min(max(y - 3.0, t + 4), b - 10)
        draw_text(c, label, l + 5, yy, 6, SCALE_DIM, weight=1.0)
    draw_text(c, 'INPUT LEVEL dB', (l + r) / 2.0, b + 23, 6, SCALE, align='centre', tracking=1.6)
    draw_text(c, 'TRANSFER', l, t - 20, 7, CAPTION, weight=1.15, tracking=1.8)
    draw_text(c, 'GAIN CHANGE dB', r, t - 19, 6, SCALE, align='right', tracking=1.6)


def draw_meter(c):
    l, t, r, b = METER
    half = (b - t) // 2
    mid = t + half
    c.paint(l - 4, t - 4, r + 4, b + 4, rrect_cov(l - 3, t - 3, r + 3, b + 3, 3), rgb(0x08090B))
    c.paint(l, t, r, b, lambda px, py: 1.0 if (l <= px <= r and t <= py <= b) else 0.0,
            lambda x, y: mix(rgb(0x101419), rgb(0x0B0E12), (x - l) / 40.0))
    # scale: every 3 dB, labels every 6 dB, on the left of the bar
    for db in range(-12, 13, 3):
        y = mid - db / 12.0 * half + 0.5
        major = db % 6 == 0
        line(c, l - (9 if major else 6), y, l - 3, y, 1.0, SCALE if major else SCALE_DIM)
        if 0 < db < 12 or -12 < db < 0 or db == 0:
            line(c, l + 1, y, r - 1, y, 1.0, GRID_ZERO if db == 0 else GRID_MINOR, 0.9 if db == 0 else 0.6)
        if major:
            label = ('+' if db > 0 else '') + str(db)
            draw_text(c, label, l - 12, y - 3.0, 6, SCALE, align='right', weight=1.0)
    draw_text(c, 'GAIN', (l + r) / 2.0, t - 20, 7, CAPTION, align='centre', weight=1.15, tracking=1.8)
    draw_text(c, 'dB', (l + r) / 2.0, b + 12, 6, SCALE, align='centre')


def draw_knob_scale(c, left, top, size, caption, scale):
    cx, cy = left + size / 2.0, top + size / 2.0
    cap, g0, g1, s0, s1 = knob_radii(size)
    # ticks every tenth of the sweep, the ends and the middle longer
    for i in range(11):
        ang = knob_angle(i / 10.0)
        long_tick = i in (0, 5, 10)
        ax, ay = polar(cx, cy, s0, ang)
        bx, by = polar(cx, cy, s1 if long_tick else s0 + 2.5, ang)
        line(c, ax, ay, bx, by, 1.2 if long_tick else 1.0, SCALE if long_tick else SCALE_DIM)
    # scale ends
    lo, hi = scale
    ex, ey = polar(cx, cy, s1 + 2.0, knob_angle(0.0))
    draw_text(c, lo, ex - 1.0, ey + 1.0, 6, SCALE, align='right', weight=1.0)
    ex, ey = polar(cx, cy, s1 + 2.0, knob_angle(1.0))
    draw_text(c, hi, ex + 1.0, ey + 1.0, 6, SCALE, align='left', weight=1.0)
    # caption: above the ratio knobs, below everything else
    if size == 80 and top < 380:
        draw_text(c, caption, cx, top - 7, 6, CAPTION, align='centre', tracking=1.7, weight=1.05)
    else:
        y = top + size + 2 if top < 380 else top + size - 1
        if top >= 380:
            y = 468
        draw_text(c, caption, cx, y, 6, CAPTION, align='centre', tracking=1.7, weight=1.05)


# --------------------------------------------------------------------------------------------------
# PNG writing


def write_png(path, canvas):
    raw = canvas.rgba_bytes()
    stride = canvas.w * 4
    rows = bytearray()
    for y in range(canvas.h):
        row = raw[y * stride:(y + 1) * stride]
        # the Sub filter: each byte minus the same byte of the pixel to its left
        filtered = bytearray(stride)
        filtered[:4] = row[:4]
        for i in range(4, stride):
            filtered[i] = (row[i] - row[i - 4]) & 0xFF
        rows.append(1)
        rows += filtered

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data +
                struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))
    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', canvas.w, canvas.h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(rows), 9))
    png += chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


# The six images: file name, then (frame size, frame count) for a strip or None for the backdrop.
IMAGES = [
    ('bkg.png', None),
    ('thresh-knob.png', (96, 61)),
    ('ratio-knob.png', (80, 40)),
    ('att-knob.png', (80, 100)),
    ('rel-knob.png', (80, 100)),
    ('sat-knob.png', (80, 51)),
]


def read_png_rgba(path):
    """(width, height, RGBA bytes) of a PNG file as this script writes it (8-bit RGBA, Sub or no
    filter); None for anything else."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        return None
    pos, idat, w, h = 8, b'', 0, 0
    while pos + 8 <= len(data):
        n, tag = struct.unpack('>I', data[pos:pos + 4])[0], data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + n]
        pos += 12 + n
        if tag == b'IHDR':
            w, h, depth, colour = struct.unpack('>IIBB', body[:10])
            if depth != 8 or colour != 6:
                return None
        elif tag == b'IDAT':
            idat += body
    raw = zlib.decompress(idat)
    stride = w * 4
    out = bytearray()
    for y in range(h):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(4, stride):
                row[i] = (row[i] + row[i - 4]) & 0xFF
        elif kind != 0:
            return None
        out += row
    return w, h, bytes(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    args = argv[1:]
    check = '--check' in args
    args = [a for a in args if a != '--check']
    out = args[0] if args else os.path.join(here, '..', 'plugin', 'resources', 'img')
    only = set(args[1:])
    if not check:
        os.makedirs(out, exist_ok=True)
    failures = 0
    for name, strip in IMAGES:
        if only and name not in only:
            continue
        canvas = backdrop() if strip is None else knob_strip(*strip)
        path = os.path.join(out, name)
        if check:
            # The committed image must be exactly what this script draws.
            found = read_png_rgba(path) if os.path.exists(path) else None
            same = found is not None and found == (canvas.w, canvas.h, bytes(canvas.rgba_bytes()))
            print('%s: %s' % (name, 'matches' if same else 'DIFFERS from the generator'))
            failures += 0 if same else 1
        else:
            write_png(path, canvas)
            print('%s: %d x %d' % (name, canvas.w, canvas.h))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
