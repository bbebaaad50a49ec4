#!/usr/bin/env python3
"""Draws the skin images (1000.png to 1010.png) from simple shapes.

Run from anywhere: python3 ui/resources/draw_images.py. Standard library only.
Strips hold one frame per state, left to right: normal, hover, pressed and,
where a fourth frame exists, disabled.
"""
import math
import os
import struct
import zlib

SAMPLES = 4  # per axis, for smooth edges

BANNER_BLUE = (0x4E, 0x6E, 0xF2)
VIOLET = (0x6B, 0x3E, 0xF6)
WHITE = (255, 255, 255)


def png_bytes(width, height, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(
        b"\0" + bytes(c for px in pixels[y * width:(y + 1) * width] for c in px)
        for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [(0.0, 0.0, 0.0, 0.0)] * (width * height)  # premultiplied

    def fill(self, inside, colour, alpha=1.0, box=None):
        """Paints colour where inside(x, y) holds, x and y in pixel units."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        step = 1.0 / SAMPLES
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                hits = sum(
                    inside(x + (i + 0.5) * step, y + (j + 0.5) * step)
                    for i in range(SAMPLES) for j in range(SAMPLES))
                if not hits:
                    continue
                a = alpha * hits / (SAMPLES * SAMPLES)
                r, g, b, under = self.pixels[y * self.width + x]
                self.pixels[y * self.width + x] = (
                    colour[0] * a + r * (1 - a), colour[1] * a + g * (1 - a),
                    colour[2] * a + b * (1 - a), 255 * a + under * (1 - a))

    def shade(self, alpha_at, colour):
        """Sets every pixel to colour at the alpha alpha_at(x, y) gives."""
        for y in range(self.height):
            for x in range(self.width):
                a = alpha_at(x + 0.5, y + 0.5)
                self.pixels[y * self.width + x] = (
                    colour[0] * a, colour[1] * a, colour[2] * a, 255 * a)

    def write(self, path):
        out = []
        for r, g, b, a in self.pixels:
            k = 255.0 / a if a else 0.0
            out.append((round(min(255, r * k)), round(min(255, g * k)),
                        round(min(255, b * k)), round(a)))
        with open(path, "wb") as f:
            f.write(png_bytes(self.width, self.height, out))


# Shapes: each returns inside(x, y).

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, width):
    length2 = (bx - ax) ** 2 + (by - ay) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / length2))
        return (x - ax - t * (bx - ax)) ** 2 + (y - ay - t * (by - ay)) ** 2 <= width * width / 4
    return inside


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return x0 <= x <= x1 and y0 <= y <= y1 and dx * dx + dy * dy <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


def star(cx, cy, outer, inner):
    return polygon([(cx + (outer if i % 2 == 0 else inner) * math.sin(i * math.pi / 5),
                     cy - (outer if i % 2 == 0 else inner) * math.cos(i * math.pi / 5))
                    for i in range(10)])


def heart(cx, cy, size):
    def inside(x, y):
        u, v = (x - cx) / size, -(y - cy) / size + 0.15
        return (u * u + v * v - 0.25) ** 3 - u * u * v ** 3 <= 0
    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def both(a, b):
    return lambda x, y: a(x, y) or b(x, y)


# The images.

def close_strip(size, height, cross, backdrops, ink, path):
    """A cross on a round backdrop that darkens from state to state."""
    c = Canvas(size * len(backdrops), height)
    for i, (colour, alpha) in enumerate(backdrops):
        box = (i * size, 0, (i + 1) * size, height)
        cx, cy = i * size + size / 2, height / 2
        if alpha:
            c.fill(circle(cx, cy, size / 2 - 0.5), colour, alpha, box)
        d = cross * size / 2
        w = max(1.2, size / 13)
        c.fill(both(segment(cx - d, cy - d, cx + d, cy + d, w),
                    segment(cx - d, cy + d, cx + d, cy - d, w)), ink, 1.0, box)
    c.write(path)


def logo(size, path):
    """A violet tile with two tabs joined by a white arch."""
    c = Canvas(size, size)
    s = size / 16
    c.fill(rounded_rect(0, 0, size, size, 3.5 * s), VIOLET)
    c.fill(rounded_rect(1 * s, 1 * s, size - 1 * s, size / 2, 3 * s), BANNER_BLUE, 0.7)
    arch = minus(circle(8 * s, 11.5 * s, 5 * s), circle(8 * s, 11.5 * s, 3.2 * s))
    c.fill(lambda x, y: arch(x, y) and y <= 11.5 * s, WHITE)
    c.fill(both(rounded_rect(2.5 * s, 11 * s, 4.9 * s, 13.5 * s, 0.6 * s),
                rounded_rect(11.1 * s, 11 * s, 13.5 * s, 13.5 * s, 0.6 * s)), WHITE)
    c.write(path)


def stars(looks, path):
    c = Canvas(36 * len(looks), 36)
    for i, (fill, fill_alpha, edge) in enumerate(looks):
        box = (i * 36, 0, (i + 1) * 36, 36)
        outer = star(i * 36 + 18, 19, 16, 7)
        c.fill(outer, edge, 1.0, box)
        c.fill(star(i * 36 + 18, 19, 13.2, 5.8), fill, fill_alpha, box)
        if fill_alpha < 1.0:
            c.fill(star(i * 36 + 18, 19, 13.2, 5.8), WHITE, 1.0 - fill_alpha, box)
    c.write(path)


def pill_strip(colours, path):
    c = Canvas(114 * len(colours), 36)
    for i, colour in enumerate(colours):
        c.fill(rounded_rect(i * 114 + 1, 1, i * 114 + 113, 35, 17), colour)
        cx = i * 114 + 57
        c.fill(star(cx, 18.5, 9, 4), WHITE)
    c.write(path)


def debug_strip(path):
    c = Canvas(48, 16)
    for i, alpha in enumerate((0.75, 1.0, 0.55)):
        box = (i * 16, 0, (i + 1) * 16, 16)
        cx = i * 16 + 8
        body = both(circle(cx, 9.5, 4.2), circle(cx, 4.5, 2.2))
        legs = [segment(cx - 7, y, cx + 7, y, 1.2) for y in (7.5, 10.5, 13.5)]
        c.fill(lambda x, y: body(x, y) or any(leg(x, y) for leg in legs), WHITE, alpha, box)
        c.fill(segment(cx, 6, cx, 14, 1), BANNER_BLUE, alpha, box)
    c.write(path)


def shadow(path):
    """Black fading out over 28 pixels around a transparent 50-pixel middle."""
    def alpha_at(x, y):
        dx = max(28 - x, 0, x - 78)
        dy = max(28 - y, 0, y - 78)
        if dx == 0 and dy == 0:
            return 0.0
        d = math.hypot(dx, dy)
        return 0.22 * max(0.0, 1 - d / 28) ** 2
    c = Canvas(106, 106)
    c.shade(alpha_at, (0, 0, 0))
    c.write(path)


def love_strip(path):
    c = Canvas(96, 32)
    looks = [(WHITE, 0.0), ((0xFF, 0x8F, 0xB1), 1.0), ((0xE8, 0x4A, 0x7F), 1.0)]
    for i, (fill, alpha) in enumerate(looks):
        box = (i * 32, 0, (i + 1) * 32, 32)
        inner = heart(i * 32 + 16, 16.6, 11)
        c.fill(minus(heart(i * 32 + 16, 16, 14), inner), WHITE, 1.0, box)
        c.fill(inner, fill, alpha, box)
    c.write(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))

    def out(name):
        return os.path.join(here, name)

    banner_states = [(WHITE, 0.0), (WHITE, 0.25), ((0, 0, 0), 0.25)]
    close_strip(16, 17, 0.42, banner_states, WHITE, out("1000.png"))
    close_strip(32, 32, 0.36, banner_states, WHITE, out("1001.png"))
    logo(16, out("1002.png"))
    logo(32, out("1003.png"))
    grey = (0xC9, 0xCE, 0xD8)
    stars([(WHITE, 0.0, grey), ((0xFF, 0xD5, 0x4F), 0.45, (0xF5, 0xB3, 0x01)),
           ((0xF5, 0xB3, 0x01), 0.8, (0xD9, 0x96, 0x00))], out("1004.png"))
    stars([((0xF5, 0xB3, 0x01), 1.0, (0xF5, 0xB3, 0x01))], out("1005.png"))
    close_strip(28, 28, 0.3, [(WHITE, 0.0), ((0xE5, 0xE7, 0xEB), 1.0),
                              ((0xC9, 0xCE, 0xD8), 1.0)], (0x6B, 0x72, 0x80), out("1006.png"))
    pill_strip([VIOLET, (0x8B, 0x24, 0xFB), (0x4D, 0x29, 0xDD), (0xE5, 0xE7, 0xEB)],
               out("1007.png"))
    debug_strip(out("1008.png"))
    shadow(out("1009.png"))
    love_strip(out("1010.png"))


if __name__ == "__main__":
    main()
