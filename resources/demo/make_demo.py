#!/usr/bin/env python3
"""Writes demo.mid, the Vantrix demo song: "Glass Harbour", eight bars in A minor.

A Standard MIDI File, format 1: a tempo track (100 bpm, easing to 88 bpm for the last two
bars) and three instrument tracks: sustained chords, an eighth-note bass line and a melody with
pitch-bend scoops and mod-wheel vibrato swells, all on MIDI channel 1 (hosts map controllers
of the first channel to the instrument's parameters). Bars 5 and 6 are an interlude of held chords
alone, which demo.params hands to the arpeggiator. Standard library only; run it to regenerate:

    python3 make_demo.py [output.mid]
"""

import os
import struct
import sys

PPQ = 480
BAR = 4 * PPQ

# Event ordering at one tick: notes end first, controllers and bends set up the next note, then
# notes start.
NOTE_OFF, CONTROL, NOTE_ON = 0, 1, 2


def note_number(name):
    """'A4' -> 69, 'F#3' -> 54, 'Bb2' -> 46 (C4 = 60)."""
    pitch = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}[name[0]]
    rest = name[1:]
    if rest[0] in "#b":
        pitch += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return (int(rest) + 1) * 12 + pitch


def beats(b):
    return round(b * PPQ)


class Track:
    def __init__(self, name, channel=0):
        self.channel = channel
        self.events = []  # (tick, order, bytes)
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, CONTROL, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def note(self, start, length, name, velocity):
        """start and length in beats."""
        key = note_number(name)
        on, off = beats(start), beats(start + length) - 12  # a little gap before the next note
        self.events.append((on, NOTE_ON, bytes([0x90 | self.channel, key, velocity])))
        self.events.append((off, NOTE_OFF, bytes([0x80 | self.channel, key, 64])))

    def controller(self, start, number, value):
        self.events.append((beats(start), CONTROL, bytes([0xB0 | self.channel, number, value])))

    def bend(self, start, semitones, bend_range=2.0):
        value = max(0, min(16383, round(8192 + semitones / bend_range * 8192)))
        self.events.append(
            (beats(start), CONTROL, bytes([0xE0 | self.channel, value & 0x7F, value >> 7])))

    def chunk(self, end_tick):
        """The MTrk chunk; channel messages share running status as most sequencers write."""
        body = bytearray()
        tick = 0
        running = None
        for when, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            body += vlq(when - tick)
            tick = when
            if data[0] < 0xF0 and data[0] == running:
                body += data[1:]
            else:
                body += data
                running = data[0] if data[0] < 0xF0 else None  # meta events cancel it
        body += vlq(end_tick - tick) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def tempo_track():
    t = Track("Glass Harbour")
    t.meta(0, 0x58, bytes([4, 2, 24, 8]))  # 4/4
    t.meta(0, 0x59, bytes([0, 1]))  # A minor
    t.meta(0, 0x51, struct.pack(">I", 60_000_000 // 100)[1:])
    t.meta(6 * BAR, 0x51, struct.pack(">I", 60_000_000 // 88)[1:])  # the last two bars broaden
    return t


# Bars 5 and 6 (beats 16 to 24): held chords only, arpeggiated by the instrument.
INTERLUDE = (16, 24)

# One entry per half bar: (bass root, chord voicing).
HARMONY = [
    ("A1", "C4 E4 G4 B4"), ("A1", "C4 E4 G4 B4"),  # Am9
    ("F2", "C4 E4 F4 A4"), ("F2", "C4 E4 F4 A4"),  # Fmaj7
    ("D2", "C4 D4 F4 A4"), ("D2", "C4 D4 F4 A4"),  # Dm7
    ("E2", "B3 D4 E4 A4"), ("E2", "B3 D4 E4 G#4"),  # E7sus4 - E7
    ("A1", "C4 E4 G4 B4"), ("C2", "C4 E4 G4 B4"),  # Am9 - Cmaj7
    ("F2", "C4 E4 F4 A4"), ("F2", "C4 E4 F4 A4"),  # Fmaj7
    ("D2", "C4 E4 F4 A4"), ("G2", "B3 D4 F4 G4"),  # Dm9 - G7
    ("A1", "B3 C4 E4 A4"), ("A1", "B3 C4 E4 A4"),  # Am(add9), held
]


def chord_track():
    t = Track("Chords")
    half = 0
    while half < len(HARMONY):
        # A voicing that stays for the next half bar is held across it.
        length = 2
        while half + length // 2 < len(HARMONY) and HARMONY[half + length // 2][1] == HARMONY[half][1]:
            length += 2
        for i, name in enumerate(HARMONY[half][1].split()):
            t.note(half * 2, length, name, 62 + 4 * i)
        half += length // 2
    return t


def bass_track():
    t = Track("Bass")
    # Eighth-note positions in a half bar and the interval above the root played there.
    pattern = [(0.0, 0, 100), (1.0, 12, 78), (1.5, 7, 84)]
    for half, (root, _) in enumerate(HARMONY[:-2]):
        if INTERLUDE[0] <= half * 2 < INTERLUDE[1]:
            continue
        base = note_number(root)
        for offset, interval, velocity in pattern:
            key = base + interval
            name = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"][key % 12]
            t.note(half * 2 + offset, 0.45, name + str(key // 12 - 1), velocity)
    t.note(28, 4, "A1", 96)  # the final root rings
    return t


# (start beat, length in beats, note, velocity)
MELODY = [
    (2.5, 0.5, "E5", 88), (3.0, 0.5, "G5", 92), (3.5, 0.5, "A5", 96),
    (4.0, 1.5, "B5", 104), (5.5, 0.5, "A5", 90), (6.0, 0.5, "G5", 88), (6.5, 1.5, "E5", 94),
    (8.0, 0.5, "D5", 86), (8.5, 0.5, "E5", 90), (9.0, 1.0, "F5", 98), (10.0, 0.5, "E5", 88),
    (10.5, 0.5, "D5", 86), (11.0, 1.0, "C5", 92),
    (12.0, 1.5, "B4", 96), (13.5, 0.5, "A4", 84), (14.0, 0.5, "B4", 88), (14.5, 0.5, "D5", 92),
    (15.0, 1.0, "E5", 100),
    (24.0, 1.0, "D5", 94), (25.0, 0.5, "E5", 90), (25.5, 0.5, "F5", 92), (26.0, 1.0, "G5", 98),
    (27.0, 1.0, "B5", 104),
    (28.0, 3.75, "A5", 100),
]

SCOOPS = [4.0, 27.0]  # notes reached by bending up from a semitone below
SWELLS = [(12.0, 1.5), (28.0, 3.75)]  # (start, length): mod-wheel vibrato on long notes


def melody_track():
    t = Track("Melody")
    t.controller(0, 1, 0)
    t.bend(0, 0.0)
    for start, length, name, velocity in MELODY:
        t.note(start, length, name, velocity)
    for start in SCOOPS:
        steps = 8
        for i in range(steps + 1):
            t.bend(start + 0.25 * i / steps, -1.0 * (1 - i / steps))
    for start, length in SWELLS:
        steps = 16
        for i in range(1, steps + 1):
            t.controller(start + 0.5 + (length - 0.75) * i / steps, 1, round(96 * i / steps))
        t.controller(start + length, 1, 0)
    # A slow fall of a whole tone as the last note fades.
    for i in range(1, 13):
        t.bend(30.5 + 1.25 * i / 12, -2.0 * i / 12)
    t.bend(32, 0.0)
    return t


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "demo.mid")
    tracks = [tempo_track(), chord_track(), bass_track(), melody_track()]
    end = 8 * BAR
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    data += b"".join(t.chunk(end) for t in tracks)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
