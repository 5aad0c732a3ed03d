#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes an Intel HEX file of SIZE random data bytes (16 per record, an extended linear
address record before every 64 KiB, end record) to standard output, in one of four flavours:
right (CR LF, all checksums right), wrong (CR LF, every checksum wrong), wrong-lf (every
checksum wrong, LF line ends), shuffled (as right, the data records of each 64 KiB in random
order), scattered (as right, every data record in random order across the whole image, each
behind its own extended linear address record). The file is written 64 KiB of data at a time, so that large sizes
need little memory. Usage: make_bench_hex.py FLAVOUR [SIZE]"""
import random
import sys


WRONG = False
END = "\r\n"


def record(kind, address, data):
    body = bytes([len(data), (address >> 8) & 0xFF, address & 0xFF, kind]) + data
    checksum = (-sum(body)) & 0xFF
    if WRONG:
        checksum ^= 0xA5
    return ":" + (body + bytes([checksum])).hex().upper() + END


def main():
    global WRONG, END
    flavour = sys.argv[1]
    WRONG = flavour in ("wrong", "wrong-lf")
    END = "\n" if flavour == "wrong-lf" else "\r\n"
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 16 * 1024 * 1024
    rng = random.Random(2026)
    out = sys.stdout.buffer
    if flavour == "scattered":
        pairs = []
        for segment in range(0, size, 0x10000):
            data = rng.randbytes(min(0x10000, size - segment))
            high = record(4, 0, (segment >> 16).to_bytes(2, "big"))
            for offset in range(0, len(data), 16):
                pairs.append(high + record(0, offset, data[offset:offset + 16]))
        rng.shuffle(pairs)
        for start in range(0, len(pairs), 4096):
            out.write("".join(pairs[start:start + 4096]).encode("ascii"))
        out.write(record(1, 0, b"").encode("ascii"))
        return
    for segment in range(0, size, 0x10000):
        data = rng.randbytes(min(0x10000, size - segment))
        lines = [record(4, 0, (segment >> 16).to_bytes(2, "big"))]
        for offset in range(0, len(data), 16):
            lines.append(record(0, offset, data[offset:offset + 16]))
        if flavour == "shuffled":
            lines[1:] = rng.sample(lines[1:], len(lines) - 1)
        out.write("".join(lines).encode("ascii"))
    out.write(record(1, 0, b"").encode("ascii"))


main()
