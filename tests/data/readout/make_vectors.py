#!/usr/bin/env python3
"""Writes the panel decoder's test vectors: panel frames and the readings they
spell. The expected readings come from the digit rules and frame layout as
written down for the instrument, not from the decoder's code.

A vector line:  BITS G45 G53 G61 G69 G77 G85 G101 G109 G117 G125 G133 G149 G157 G165 => MAIN AUX SECONDS
BITS is how many bits of the frame are sent (position 0 first; the rest of the
256 positions is never reached, so it counts as lit). Each G is the digit
group at that base as two hex digits: bit k is the segment at offset +k
(0 top a, 1 upper left f, 2 lower left e, 3 bottom d, 4 upper right b,
5 middle g, 6 lower right c, 7 decimal point). Positions outside the groups
are sent as 0.
Run it from this folder to write the .txt files again."""
import random

BASES = [45, 53, 61, 69, 77, 85, 101, 109, 117, 125, 133, 149, 157, 165]
MAIN = [133, 125, 117, 109, 101]
AUX = [149, 157, 165, 45, 53]
TIME = [61, 69, 77, 85]

# The usual shapes, as the segments a f e d b g c.
SHAPES = {0: "afedbc", 1: "bc", 2: "aedbg", 3: "adbgc", 4: "fbgc", 5: "afdgc", 6: "afedgc",
          7: "abc", 8: "afedbgc", 9: "afdbgc"}
OFFSET = {"a": 0, "f": 1, "e": 2, "d": 3, "b": 4, "g": 5, "c": 6, "p": 7}


def group(segments):
    return sum(1 << OFFSET[s] for s in segments)


# The digit rules in order, over the read offsets: 1 lit, 0 dark, None either.
RULES = [  # (a, f, e, b, g, c) -> digit
    ((None, 1, None, None, 0, None), 0), ((1, 0, None, None, 0, None), 7),
    ((0, 0, None, 1, 0, None), 1), ((0, 0, None, 0, 0, None), 0),
    ((0, 1, None, None, 1, None), 4), ((0, 0, None, None, 1, None), 0),
    ((1, None, None, None, 1, 0), 2), ((1, 0, None, None, 1, 1), 3),
    ((1, 1, 0, 0, 1, 1), 5), ((1, 1, 1, 0, 1, 1), 6),
    ((1, 1, 1, 1, 1, 1), 8), ((1, 1, 0, 1, 1, 1), 9),
]


def digit(bits, base):
    lit = [bits[base + k] != 0 if base + k < len(bits) else True for k in (0, 1, 2, 4, 5, 6)]
    for want, d in RULES:
        if all(w is None or w == int(l) for w, l in zip(want, lit)):
            return d
    raise AssertionError("no rule")


def reading(groups, sent):
    bits = [0] * 176
    for base, g in zip(BASES, groups):
        for k in range(8):
            bits[base + k] = (g >> k) & 1
    bits = bits[:sent] + [9] * (256 - sent)
    number = lambda bases: int("".join(str(digit(bits, b)) for b in bases))
    t = [digit(bits, b) for b in TIME]
    return number(MAIN), number(AUX), 60 * (10 * t[0] + t[1]) + 10 * t[2] + t[3]


def groups_of(main, aux, seconds, blank=True, points=True):
    """The frame an instrument sends for these readings: leading zeros of a
    temperature blanked down to its units digit, points on the units and the
    minutes."""
    def temp(v, place):
        if blank and place >= 2 and v < 10 ** place:
            return 0
        return group(SHAPES[v // 10 ** place % 10])
    p = OFFSET["p"]
    g = {45: temp(aux, 1) | (points << p), 53: temp(aux, 0),
         61: group(SHAPES[seconds // 600]), 69: group(SHAPES[seconds // 60 % 10]) | (points << p),
         77: group(SHAPES[seconds % 60 // 10]), 85: group(SHAPES[seconds % 10]),
         101: temp(main, 0), 109: temp(main, 1) | (points << p), 117: temp(main, 2),
         125: temp(main, 3), 133: temp(main, 4), 149: temp(aux, 4), 157: temp(aux, 3), 165: temp(aux, 2)}
    return [g[b] for b in BASES]


def line(groups, sent=176):
    m, a, s = reading(groups, sent)
    return f"{sent} " + " ".join(f"{g:02X}" for g in groups) + f" => {m} {a} {s}"


def write(name, comment, lines):
    with open(name, "w") as f:
        f.write("# " + comment + "\n")
        f.write("\n".join(lines) + "\n")


rng = random.Random(7)
worked = [line(groups_of(1234, 250, 754)), line(groups_of(3805, 250, 0)), line(groups_of(0, 0, 0)),
          line(groups_of(99999, 99999, 5999)), line(groups_of(1234, 250, 754, blank=False, points=False)),
          line([group(SHAPES[8]) | (1 << 7)] * 14), line([0] * 14)]
for d in range(10):
    worked.append(line(groups_of(d * 11111, d * 11111, d * 600 + d * 60 + min(d, 5) * 10 + d)))
for _ in range(20):
    worked.append(line(groups_of(rng.randrange(100000), rng.randrange(1000), rng.randrange(6000))))
write("worked_examples.txt", "Readings as an instrument sends them: usual shapes, blanked leading "
      "zeros, points; also every group lit and every group dark.", worked)

patterns = []
base = groups_of(1230, 250, 754)
for pattern in range(64):
    read = [0, 1, 2, 4, 5, 6]
    g = sum(1 << read[k] for k in range(6) if pattern >> k & 1)
    for unread in (0, (1 << 3) | (1 << 7)):  # d and the point are never read
        groups = list(base)
        groups[BASES.index(101)] = g | unread
        patterns.append(line(groups))
write("segment_patterns.txt", "All 64 patterns of the six read segments in the main tenths group, "
      "with the two unread positions dark and lit.", patterns)

short = [line(groups_of(1234, 567, 754), sent) for sent in
         (176, 172, 171, 168, 165, 160, 150, 141, 134, 130, 110, 101, 93, 86, 60, 45, 1, 0)]
write("short_frames.txt", "A frame cut short: positions past the last bit sent are never reached "
      "and count as lit.", short)
