#!/usr/bin/env python3
"""Writes the seed corpus of lv2_atom_fuzz into lv2_corpus/ (URIDs as the target fixes them)."""
import math
import os
import struct

SEQUENCE, OBJECT, FLOAT, DOUBLE, INT, LONG, CHUNK, VECTOR = 1, 2, 4, 5, 6, 7, 8, 9
POSITION, BPM, BEAT, SPEED = 10, 11, 12, 13
DISPLAY, DATA_TO_GUI, OVERVIEW, SHOWING = 14, 15, 16, 17


def pad(b):
    return b + b"\0" * (-len(b) % 8)


def atom(type_, body):
    return struct.pack("<II", len(body), type_) + body


def prop(key, type_, body):
    return pad(struct.pack("<II", key, 0) + atom(type_, body))


def obj(otype, props):
    return atom(OBJECT, struct.pack("<II", 0, otype) + b"".join(props))


def sequence(events):
    body = struct.pack("<II", 0, 0)
    for frames, a in events:
        body += pad(struct.pack("<q", frames) + a)
    return atom(SEQUENCE, body)


def position(*props):
    return obj(POSITION, list(props))


def display(count=512):
    block = struct.pack("<IIfB3xff", 0, 0, 0.25, 1, 0.25, 0.5)
    values = [math.sin(k / 9.0) * (1 if k % 2 else -1) for k in range(count)]
    vector = struct.pack("<II", 4, FLOAT) + struct.pack(f"<{count}f", *values)
    return obj(DISPLAY, [prop(DATA_TO_GUI, CHUNK, block), prop(OVERVIEW, VECTOR, vector)])


seeds = {
    "plugin-tempo": b"\0\x3f" + sequence([(100, position(prop(BPM, FLOAT, struct.pack("<f", 120.0)),
                                                         prop(BEAT, DOUBLE, struct.pack("<d", 3.5)),
                                                         prop(SPEED, FLOAT, struct.pack("<f", 1.0))))]),
    "plugin-events": b"\0\xff" + sequence([(300, position(prop(BPM, LONG, struct.pack("<q", 90)))),
                                           (20, position(prop(SPEED, INT, struct.pack("<i", -1)))),
                                           (5000, atom(INT, struct.pack("<i", 7)))]),
    "plugin-editor-showing": b"\0\x20" + sequence([(0, obj(SHOWING, [])),
                                                   (200, position(prop(BPM, FLOAT, struct.pack("<f", 100.0))))]),
    "reader-message": b"\1" + display(),
    "reader-short-overview": b"\1" + display(500),
}
here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lv2_corpus")
os.makedirs(here, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)
