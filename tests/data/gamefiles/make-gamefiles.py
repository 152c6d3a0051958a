#!/usr/bin/env python3
"""Writes the game-file test corpus: good/ holds files the reader must accept,
each an equivalent spelling of the 3x2 example game; damaged/ holds files it
must refuse. A damaged file's name starts with the line its description must
name ("l07-..." for line 7, "l00-..." for a file-wide fault, "any-..." where
any line will do). Run from any folder; it rewrites both folders."""
import os
import random
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))

EXAMPLE = [
    b"C:\\pics\\cat.bmp",
    b" 0 ",
    b" 1 ",
    b" 0 ",
    b" 128  128 ",
    b" 3  2 ",
    b" 004 002 003",
    b" 001 006 005",
    b" 000 001 000",
    b" 000 000 001",
    b" 95 ",
]


def joined(lines, end=b"\r\n"):
    return b"".join(line + end for line in lines)


def with_line(n, text):
    lines = list(EXAMPLE)
    lines[n - 1] = text
    return joined(lines)


good = {
    "example-crlf.QVD": joined(EXAMPLE),
    "lf-only.QVD": joined(EXAMPLE, b"\n"),
    "cr-only.QVD": joined(EXAMPLE, b"\r"),
    "utf8-bom.QVD": b"\xef\xbb\xbf" + joined(EXAMPLE),
    "no-final-line-end.QVD": joined(EXAMPLE)[:-2],
    "commas.QVD": joined([EXAMPLE[0], b"0,1,0", b"128,128", b"3,2", b"4,2,3,1,6,5", b"0,1,0,0,0,1", b"95"]),
    "one-line-of-numbers.QVD": joined([EXAMPLE[0], b" 0 1 0 128 128 3 2 4 2 3 1 6 5 0 1 0 0 0 1 95"]),
    "leading-spaces-on-path.QVD": with_line(1, b"   C:\\pics\\cat.bmp"),
    "blank-lines-at-end.QVD": joined(EXAMPLE) + b"\r\n\r\n  \r\n",
    "tabs-and-plus-signs.QVD": joined([EXAMPLE[0], b"\t+0", b"+1\t", b"0", b"128\t128", b"+3 +2"] + EXAMPLE[6:]),
    # What follows the play time is not part of the game.
    "note-after-time.QVD": with_line(11, b" 95 x"),
    "extra-line-after-time.QVD": joined(EXAMPLE + [b" 1 "]),
    "note-lines-after-time.QVD": joined(EXAMPLE + ["メモ: 試験の前に保存".encode("utf-8"), b"\x00\xff junk"]),
    "eof-mark.QVD": joined(EXAMPLE) + b"\x1a",
    "eof-mark-glued-to-time.QVD": joined(EXAMPLE)[:-3] + b"\x1a\r\nnot read",
}

damaged = {
    "l00-empty.qvd": b"",
    "l02-path-only-no-line-end.qvd": EXAMPLE[0],
    "l02-only-blanks.qvd": b"   \r\n\r\n \r\n",
    "l01-control-character-in-path.qvd": with_line(1, b"C:\\pics\\c\x01t.bmp"),
    "l01-nul-in-path.qvd": with_line(1, b"C:\\pics\\c\x00t.bmp"),
    "l01-next-line-character-in-path.qvd": with_line(1, "C:\\pics\\c\u0085t.bmp".encode("utf-8")),
    "l01-bad-encoding.qvd": with_line(1, b"C:\\pics\\\x85\x20.bmp"),
    "l01-utf16.qvd": b"\xff\xfe" + joined(EXAMPLE).decode("latin-1").encode("utf-16-le"),
    "l02-letters.qvd": with_line(2, b" x "),
    "l02-empty-field.qvd": joined([EXAMPLE[0], b",1,0"] + EXAMPLE[4:]),
    "l02-sepflag-over-16-bits.qvd": with_line(2, b" 32768 "),
    "l03-decimal-point.qvd": with_line(3, b" 1.5 "),
    "l04-sign-only.qvd": with_line(4, b" - "),
    "l05-letters-after-digits.qvd": with_line(5, b" 12a  128 "),
    "l05-huge-number.qvd": with_line(5, b" 99999999999999999999999999  128 "),
    "l05-piece-height-over-32-bits.qvd": with_line(5, b" 128  2147483648 "),
    "l06-xn-zero.qvd": with_line(6, b" 0  2 "),
    "l06-xn-31.qvd": with_line(6, b" 31  2 "),
    "l06-yn-zero.qvd": with_line(6, b" 3  0 "),
    "l06-yn-31.qvd": with_line(6, b" 3  31 "),
    "l06-xn-negative.qvd": with_line(6, b"-3  2 "),
    "l07-letter-o-for-zero.qvd": with_line(7, b" 0O4 002 003"),
    "l07-nul-in-number.qvd": with_line(7, b" 004 0\x002 003"),
    "l07-zero-piece.qvd": with_line(7, b" 000 002 003"),
    "l07-piece-out-of-range.qvd": with_line(7, b" 007 002 003"),
    "l08-duplicate-piece.qvd": with_line(8, b" 001 006 004"),
    "l08-missing-piece-replaced-by-duplicate.qvd": with_line(8, b" 001 002 005"),
    "l09-grid-shorter-than-declared.qvd": with_line(6, b" 3  3 "),
    "l09-rmap-two.qvd": with_line(9, b" 000 002 000"),
    "l10-rmap-negative.qvd": with_line(10, b" 000 000 -01"),
    "l11-negative-time.qvd": with_line(11, b"-5 "),
    "l11-time-over-32-bits.qvd": with_line(11, b" 2147483648 "),
    "l11-letters-in-time.qvd": with_line(11, b" ninety-five "),
    "l11-letters-glued-to-time.qvd": with_line(11, b" 95x"),
    "l07-eof-mark-inside-grid.qvd": with_line(7, b" 004\x1a002 003"),
    "l11-eof-mark-before-time.qvd": joined(EXAMPLE[:10]) + b"\x1a 95 \r\n",
    "l09-lf-only-truncated-after-line-8.qvd": joined(EXAMPLE[:8], b"\n"),
    "l09-cr-only-truncated-after-line-8.qvd": joined(EXAMPLE[:8], b"\r"),
    "l07-truncated-inside-line-7.qvd": joined(EXAMPLE[:6]) + b" 004 00",
}
for n in range(1, 11):
    damaged["l%02d-truncated-after-line-%d.qvd" % (n + 1, n)] = joined(EXAMPLE[:n])

rng = random.Random(20240)
for n in range(3):
    damaged["any-binary-noise-%d.qvd" % n] = bytes(rng.randrange(256) for _ in range(400 + 300 * n))
damaged["any-random-digits-and-blanks.qvd"] = bytes(rng.choice(b"0123456789 \r\n,-") for _ in range(2000))

for folder, files in (("good", good), ("damaged", damaged)):
    path = os.path.join(HERE, folder)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    for name, data in files.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)
print("%d good, %d damaged game files" % (len(good), len(damaged)))
