#!/usr/bin/env python3
"""Deterministic benchmark data for the archive library: the same bytes on every machine
and every run, so that sizes and speeds can be compared across them.

    bench/lha/gen-mix.py OUT_DIR [--scale N]

writes five files (sizes for --scale 1, the default; 64 MiB in all):
    text.txt    20 MiB  prose: words of a fixed vocabulary, Zipf-like frequencies
    log.txt     12 MiB  log lines: timestamps, levels, hosts, templated messages
    mixed.bin   10 MiB  binary records: headers, small integers, tables, strings
    sparse.bin  10 MiB  mostly zero blocks with scattered values and repeats
    random.bin  12 MiB  incompressible (SHA-256 in counter mode)
--scale divides every size by N (for quick tests). Only the Python standard library is
used, and no part of it whose output may change between versions: the generator is our
own (SplitMix64), and random.bin comes from hashlib.
"""
import hashlib
import os
import struct
import sys

MIB = 1 << 20
MASK = (1 << 64) - 1


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & MASK

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def zipf_index(self, n):
        # Rank r is drawn with weight about 1/r: an exponential spread over the ranks.
        u = (self.next() >> 11) / float(1 << 53)
        return min(n - 1, int(n ** u) - 1)


SYLLABLES = ["ka", "ri", "to", "ne", "su", "mo", "ra", "ve", "ol", "an", "in", "er", "st",
             "th", "or", "al", "ze", "qu", "lo", "mi", "de", "pa", "ur", "ex", "ti", "co",
             "ba", "gu", "hy", "fe", "ni", "wa"]


def vocabulary(rng, count):
    words = []
    seen = set()
    while len(words) < count:
        n = 1 + rng.below(4)
        w = "".join(SYLLABLES[rng.below(len(SYLLABLES))] for _ in range(n))
        if w not in seen:
            seen.add(w)
            words.append(w)
    return words


def make_text(size, rng):
    words = vocabulary(rng, 800)
    out = []
    total = 0
    line = []
    line_len = 0
    sentence_start = True
    while total < size:
        w = words[rng.zipf_index(len(words))]
        if sentence_start:
            w = w.capitalize()
            sentence_start = False
        r = rng.below(100)
        if r < 7:
            w += "."
            sentence_start = True
        elif r < 12:
            w += ","
        line.append(w)
        line_len += len(w) + 1
        if line_len > 60 + rng.below(20):
            s = " ".join(line) + "\n"
            if rng.below(12) == 0:
                s += "\n"
            out.append(s)
            total += len(s)
            line = []
            line_len = 0
    return "".join(out).encode("ascii")[:size]


def make_log(size, rng):
    levels = ["INFO", "INFO", "INFO", "DEBUG", "DEBUG", "WARN", "ERROR"]
    hosts = ["app%02d.morvane.example" % i for i in range(24)]
    users = vocabulary(rng, 300)
    templates = [
        "request {id} GET /api/v{n}/items/{num} took {ms} ms status {st}",
        "user {user} logged in from 10.{a}.{b}.{c}",
        "cache miss for key item:{num}:{user} (size {sz} bytes)",
        "job {id} finished: {num} records written, {ms} ms",
        "connection pool at {n}/{m} (waiting {a})",
        "retrying upload {id} to storage node {b} after {ms} ms",
        "config reloaded: {n} keys changed by {user}",
        "slow query {ms} ms: SELECT * FROM items WHERE owner = '{user}' LIMIT {n}",
    ]
    t = 1_700_000_000_000
    out = []
    total = 0
    while total < size:
        t += rng.below(250)
        sec, ms = divmod(t, 1000)
        day, rest = divmod(sec, 86400)
        hh, rest = divmod(rest, 3600)
        mm, ss = divmod(rest, 60)
        tmpl = templates[rng.zipf_index(len(templates))]
        msg = tmpl.format(id="%08x" % rng.below(1 << 32), n=1 + rng.below(9), m=10 + rng.below(40),
                          num=rng.below(100000), ms=rng.below(5000), st=[200, 200, 200, 304, 404, 500][rng.below(6)],
                          user=users[rng.zipf_index(len(users))], a=rng.below(256), b=rng.below(256),
                          c=rng.below(256), sz=rng.below(1 << 20))
        s = "2026-%02d-%02d %02d:%02d:%02d.%03d %-5s [%s] req=%014x %s\n" % (
            1 + (day // 28) % 12, 1 + day % 28, hh, mm, ss, ms, levels[rng.below(len(levels))],
            hosts[rng.zipf_index(len(hosts))], rng.below(1 << 56), msg)
        out.append(s)
        total += len(s)
    return "".join(out).encode("ascii")[:size]


def make_mixed(size, rng):
    # Like a program or a database file: record headers, small and clustered integers,
    # offsets that grow, short names, and stretches of noise (packed or encrypted parts).
    names = [w.encode() for w in vocabulary(rng, 500)]
    out = bytearray()
    offset = 0
    while len(out) < size:
        kind = rng.below(26)
        if kind < 10:
            out += struct.pack("<IHHI", 0x4B565200 | rng.below(16), rng.below(64), rng.below(4096), offset)
            offset += rng.below(4096)
            for _ in range(4 + rng.below(12)):
                out += struct.pack("<i", rng.below(300) - 150)
        elif kind < 16:
            n = names[rng.zipf_index(len(names))]
            out += struct.pack("<B", len(n)) + n + b"\0" * (rng.below(4))
        elif kind < 24:
            base = rng.below(1 << 16)
            for _ in range(8 + rng.below(24)):
                out += struct.pack("<H", (base + rng.below(64)) & 0xFFFF)
        else:
            out += bytes(rng.below(256) for _ in range(8 + rng.below(32)))
    return bytes(out[:size])


def make_sparse(size, rng):
    out = bytearray(size)
    pos = 0
    pattern = bytes(rng.below(256) for _ in range(64))
    while True:
        pos += rng.below(27)
        if pos >= size:
            break
        kind = rng.below(8)
        if kind < 5:
            n = 1 + rng.below(16)
            chunk = bytes(rng.below(256) for _ in range(n))
        elif kind < 7:
            n = 16 + rng.below(48)
            chunk = pattern[:n]
        else:
            chunk = struct.pack("<Q", pos)
        end = min(size, pos + len(chunk))
        out[pos:end] = chunk[: end - pos]
        pos = end
    return bytes(out)


def make_random(size, seed):
    out = bytearray()
    counter = 0
    key = seed.to_bytes(8, "little")
    while len(out) < size:
        out += hashlib.sha256(key + counter.to_bytes(8, "little")).digest()
        counter += 1
    return bytes(out[:size])


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out_dir = sys.argv[1]
    scale = 1
    if len(sys.argv) == 4 and sys.argv[2] == "--scale":
        scale = int(sys.argv[3])
    os.makedirs(out_dir, exist_ok=True)
    files = [
        ("text.txt", lambda n: make_text(n, SplitMix64(1))),
        ("log.txt", lambda n: make_log(n, SplitMix64(2))),
        ("mixed.bin", lambda n: make_mixed(n, SplitMix64(3))),
        ("sparse.bin", lambda n: make_sparse(n, SplitMix64(4))),
        ("random.bin", lambda n: make_random(n, 5)),
    ]
    sizes = {"text.txt": 20, "log.txt": 12, "mixed.bin": 10, "sparse.bin": 10, "random.bin": 12}
    for name, make in files:
        data = make(sizes[name] * MIB // scale)
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
