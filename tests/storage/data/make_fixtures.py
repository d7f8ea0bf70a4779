#!/usr/bin/env python3
"""Writes the archive fixtures of the storage and vars tests. The files are committed; this shows their bytes."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
vars_dir = os.path.join(here, '..', '..', 'vars', 'data')


def key(password):
    k = 0
    for i, c in enumerate(password[:16]):
        k = (k + (ord(c) << i)) & 0xFFFF
    return k


def s(text, password=''):
    k = key(password) if password else 0
    units = [ord(c) ^ k for c in text]
    n = len(units)
    length = bytes([n]) if n < 255 else b'\xff' + struct.pack('<H', n)
    return b'\xff\xfe\xff' + length + b''.join(struct.pack('<H', u) for u in units)


def i32(v):
    return struct.pack('<i', v)


def put(folder, name, data):
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


header = s('mfc arhive')

# Storage: good files.
put(here, 'pin1234.cfg', s('mfc arhive', '1234') + i32(7) + b'\x01' + s('ab', '1234'))
put(here, 'plain.cfg', header + s('Привет') + i32(-1))
# Marker-less 8-bit strings in Windows-1251, as other writers store them: a one-byte and a 16-bit length.
put(here, 'ansi.cfg', b'\x0a' + b'mfc arhive' + b'\x06' + 'Привет'.encode('cp1251') + b'\xff\x00\x01' + b'\xff' * 256)
# Storage: damaged files.
put(here, 'empty.cfg', b'')
put(here, 'cut_header.cfg', header[:8])
put(here, 'not_archive.cfg', b'hello, world\n')

# Vars: a registry of two records, then a record of type 9 at offset 39.
put(vars_dir, 'unknown_type.cfg', header + i32(3) + i32(0) + s('a') + b'\x01' + i32(9) + s('b') + b'\x00' * 8)
put(vars_dir, 'negative_count.cfg', header + i32(-1))
# A card list that claims five cards and holds one.
put(vars_dir, 'short_card_list.cfg', header + i32(1) + i32(1) + s('cards') + i32(5) + s('1111') + s('Visa') + s(''))
# A count of 2^31-1 records with nothing after it: must end at the file's end, not allocate.
put(vars_dir, 'huge_count.cfg', header + i32(0x7FFFFFFF))
