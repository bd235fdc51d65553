"""Writes and reads .zrec files byte by byte, independently of the module under test."""

import json
import os
import struct
import subprocess

HEADER = b"ZREC" + struct.pack("<I", 1)


def write(path, records, header=HEADER):
    with open(path, "wb") as f:
        f.write(header)
        for t, data in records:
            f.write(struct.pack("<qI", t, len(data)) + data)
    return path


def read(path):
    with open(path, "rb") as f:
        blob = f.read()
    assert blob[:8] == HEADER
    records, at = [], 8
    while at < len(blob):
        t, size = struct.unpack_from("<qI", blob, at)
        records.append((t, blob[at + 12:at + 12 + size]))
        at += 12 + size
    return records


def frames(data):
    """The zuvECom frames of one record, in order."""
    out, at = [], 0
    while at + 9 <= len(data):
        size = struct.unpack_from("<H", data, at + 4)[0] + 9
        out.append(data[at:at + size])
        at += size
    return out


def tool():
    return os.environ["ZUV_TOOL"]


def golden(name="every_kind.zrec"):
    return os.path.join(os.environ["ZUV_GOLDEN_DIR"], name)


def run_decode(recording, assignments, jsonl):
    """`zuv decode` as a user runs it: (exit status, its "zuv: " messages, JSON lines)."""
    command = [tool(), "decode", str(recording), "--jsonl", str(jsonl)]
    for assignment in assignments:
        command += ["-p", assignment]
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    messages = "\n".join(line[len("zuv: "):] for line in done.stderr.splitlines() if line.startswith("zuv: "))
    lines = []
    if os.path.exists(jsonl):
        with open(jsonl) as f:
            lines = [json.loads(line) for line in f]
    return done.returncode, messages, lines
