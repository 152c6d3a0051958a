#!/usr/bin/python3
# Finds where a picture appears on the screen, pixel for pixel: the Wayland
# journey has no window ids to ask, so it finds the program's windows by what
# they show.
#
#   find-on-screen.py SCREEN.rgb SCREEN_WIDTH PART.rgb PART_WIDTH
#
# Both files are raw 8-bit RGB (ImageMagick's rgb: format). Prints "X Y" of
# the first place, in reading order, where every row of PART is on the screen;
# exit status 1 when there is none.
import sys


def main():
    screen_file, screen_w, part_file, part_w = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
    screen = open(screen_file, "rb").read()
    part = open(part_file, "rb").read()
    stride, row = screen_w * 3, part_w * 3
    part_h = len(part) // row
    first = part[:row]
    at = screen.find(first)
    while at >= 0:
        x, y = (at % stride) // 3, at // stride
        if at % 3 == 0 and x + part_w <= screen_w and all(
                screen[at + r * stride:at + r * stride + row] == part[r * row:(r + 1) * row]
                for r in range(1, part_h)):
            print(x, y)
            return 0
        at = screen.find(first, at + 1)
    return 1


if __name__ == "__main__":
    sys.exit(main())
