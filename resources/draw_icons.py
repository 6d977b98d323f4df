#!/usr/bin/env python3
"""Draws the program's 32 x 32, 16-colour pictures as XPM files.

The pictures are kept as the XPM files this writes; run it again after changing a shape.
Shapes are drawn supersampled, then every covered pixel on the shape's edge is outlined.
"""
import math
import os

# The 16 colours of the classic VGA palette.
PALETTE = {
    'k': '#000000', 'm': '#800000', 'g': '#008000', 'o': '#808000',
    'n': '#000080', 'p': '#800080', 't': '#008080', 's': '#C0C0C0',
    'G': '#808080', 'r': '#FF0000', 'l': '#00FF00', 'y': '#FFFF00',
    'b': '#0000FF', 'f': '#FF00FF', 'c': '#00FFFF', 'w': '#FFFFFF',
}
SIZE = 32


def capsule(ax, ay, bx, by, radius):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= radius * radius
    return inside


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rotated(shape, angle, cx, cy):
    c, s = math.cos(angle), math.sin(angle)
    return lambda x, y: shape(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c)


def render(layers, outline=True):
    """layers: list of (colour key, shape); later layers lie on top."""
    grid = [['.'] * SIZE for _ in range(SIZE)]
    owner = [[-1] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            for index, (key, shape) in enumerate(layers):
                hits = sum(shape(x + (i + 0.5) / 4, y + (j + 0.5) / 4)
                           for i in range(4) for j in range(4))
                if hits >= 7:
                    grid[y][x] = key
                    owner[y][x] = index
    if outline:
        result = [row[:] for row in grid]
        for y in range(SIZE):
            for x in range(SIZE):
                if owner[y][x] < 0:
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if not (0 <= nx < SIZE and 0 <= ny < SIZE) or owner[ny][nx] < 0 or (
                            owner[ny][nx] < owner[y][x]):
                        result[y][x] = 'k'
                        break
        grid = result
    return grid


def hand(cuff_key):
    palm = box(9.5, 13.5, 22.5, 25.5)
    fingers = [capsule(10.8, 15, 10.8, 5, 1.9), capsule(14.6, 14, 14.6, 3, 1.9),
               capsule(18.4, 14, 18.4, 4, 1.9), capsule(22, 15, 22, 7, 1.8)]
    thumb = capsule(10, 21, 5, 14, 1.9)
    return [('w', palm), ('w', thumb)] + [('w', f) for f in fingers] + [
        (cuff_key, box(9, 25.5, 23.5, 31))]


def write_xpm(name, grid, hotspot=None):
    used = sorted({key for row in grid for key in row if key != '.'})
    lines = ['/* XPM */', 'static const char* %s[] = {' % name.replace('-', '_')]
    header = '%d %d %d 1' % (SIZE, SIZE, len(used) + 1)
    if hotspot:
        header += ' %d %d' % hotspot
    lines.append('"%s",' % header)
    lines.append('". c None",')
    lines += ['"%s c %s",' % (key, PALETTE[key]) for key in used]
    lines += ['"%s",' % ''.join(row) for row in grid]
    lines[-1] = lines[-1].rstrip(',')
    lines.append('};')
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name + '.xpm')
    with open(path, 'w') as out:
        out.write('\n'.join(lines) + '\n')


def main():
    # Window icon: the hand leans so its fingers point to the upper left.
    tilt = math.radians(32)
    write_xpm('hand', render([(k, rotated(s, tilt, 16, 18)) for k, s in hand('b')]))
    # Link cursor: the same hand upright.
    write_xpm('hand-cursor', render(hand('b')), hotspot=(16, 14))
    # About picture: a white box with a purple arched door and a cyan upper edge, a yellow and
    # a green slab above it.
    door = lambda x, y: box(12.5, 22, 19.5, 29.5)(x, y) or ellipse(16, 22, 3.5, 3.5)(x, y)
    write_xpm('about', render([
        ('g', box(8, 3, 24, 6.5)),
        ('y', box(6, 8.5, 26, 12)),
        ('w', box(4, 14, 28, 29.5)),
        ('c', box(4, 14, 28, 16.5)),
        ('p', door),
    ]))


if __name__ == '__main__':
    main()
