"""Decode rate of zuv.decode and wall time of zuv.decode_many, on recordings of IMU frames.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_decode.py [--frames N] [--files K] [--per-record M]

Writes its recordings to a temporary folder: one of N frames (M to a record, 200 Hz), then
K of N/K frames each, copies of the golden recording's first IMU frame. Prints frames/s of
zuv.decode and of `zuv decode --jsonl /dev/null`, and decode_many's wall time with 1 and 2
workers, with and without starting the cluster.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time

import zuv

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "tests", "decoder", "golden", "every_kind.zrec")
IMU_ID = 3


def imu_frame():
    for _, data in zuv.Recording(GOLDEN):
        at = 0
        while at + 9 <= len(data):
            size = struct.unpack_from("<H", data, at + 4)[0] + 9
            if data[at + 2] == IMU_ID and data[at + 3] == 0:
                return data[at:at + size]
            at += size
    raise SystemExit("no IMU frame in " + GOLDEN)


def write(path, frames, per_record, frame):
    with open(path, "wb") as f:
        f.write(b"ZREC" + struct.pack("<I", 1))
        record = frame * per_record
        for i in range(0, frames, per_record):
            f.write(struct.pack("<qI", 5000 * i, len(record)) + record)
    return path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=1_000_000)
    parser.add_argument("--files", type=int, default=8)
    parser.add_argument("--per-record", type=int, default=1)
    args = parser.parse_args()
    properties = {"pImuData": "Enabled", "pInternalTimestamp": False}
    frame = imu_frame()
    with tempfile.TemporaryDirectory() as folder:
        one = write(os.path.join(folder, "one.zrec"), args.frames, args.per_record, frame)
        start = time.perf_counter()
        rows = len(zuv.decode(one, properties)["oImu"])
        took = time.perf_counter() - start
        print(f"zuv.decode: {rows} frames in {took:.2f} s = {rows / took:,.0f} frames/s")
        tool = os.path.join(os.path.dirname(zuv.package_path()), "zuv")
        if os.path.exists(tool):
            start = time.perf_counter()
            subprocess.run([tool, "decode", one, "-p", "pImuData=Enabled", "-p", "pInternalTimestamp=false",
                            "--jsonl", "/dev/null"], check=True)
            took = time.perf_counter() - start
            print(f"zuv decode --jsonl /dev/null: {args.frames / took:,.0f} frames/s")

        each = args.frames // args.files
        paths = [write(os.path.join(folder, f"r{i}.zrec"), each, args.per_record, frame) for i in range(args.files)]
        start = time.perf_counter()
        expected = [len(zuv.decode(p, properties)["oImu"]) for p in paths]
        print(f"decode one by one, {args.files} x {each} frames: {time.perf_counter() - start:.2f} s")
        from dask.distributed import Client, LocalCluster
        for workers in (1, 2):
            start = time.perf_counter()
            results = zuv.decode_many(paths, properties, n_workers=workers)
            total = time.perf_counter() - start
            assert [len(r["oImu"]) for r in results] == expected
            with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None,
                              host="127.0.0.1") as cluster, Client(cluster) as client:
                start = time.perf_counter()
                zuv.decode_many(paths, properties, client=client)
                running = time.perf_counter() - start
            print(f"decode_many, {workers} worker(s): {total:.2f} s with the cluster's start, "
                  f"{running:.2f} s on a running cluster")


if __name__ == "__main__":
    sys.exit(main())
