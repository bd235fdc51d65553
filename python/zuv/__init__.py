"""Recordings of zuv.pck and its frame decoder, for analysis in Python.

    rec = zuv.Recording("run.zrec")          # len(rec), rec.first_timestamp, for t, frame in rec
    frames = zuv.decode("run.zrec", {"pImuData": "Enabled"})
    frames["oImu"]                           # DataFrame: t, accelX, accelY, ...

decode() runs the real decoder of zuv.pck in this process, as `zuv decode`
does, and gives the same values in the same order as its JSON lines, one
DataFrame per decoder output: column t (microseconds), then one column per
element named after the log catalogue, "internalTimestamp" on the twin
outputs, "data" (bytes) on the raw outputs, and "framerate" when
pAddOriginalFramerate is on (missing where the decoder appended none yet).
Integer columns with missing cells are pandas' nullable Int64.

zuv.pck is found through $ZUV_PACKAGE, else the build tree's bin/, else the
package folder installed with this module.
"""

import logging
import os
import threading

import numpy as np
import pandas as pd

from . import _zuv

__all__ = ["Recording", "decode", "decode_many", "package_path"]

class Recording(_zuv.Recording):
    """A .zrec recording: iterate (t, frame_bytes) records, len(), first_timestamp and
    last_timestamp (None when empty). A file that is not a recording, is truncated
    or holds a record larger than `zuv decode` replays raises ValueError with the
    message `zuv decode` prints for it."""

    def __init__(self, path):
        super().__init__(os.fspath(path))

    def __repr__(self):
        return f"zuv.Recording({self.path!r}, {len(self)} records)"


_log = logging.getLogger("zuv")
_REPORT_LEVELS = {0: logging.INFO, 1: logging.WARNING, 2: logging.ERROR}

# One decode at a time per process: the runtime loads one zuv.pck per process.
_decode_lock = threading.Lock()

# output -> (columns or None, element type, twin or None, variable length)
_CATALOGUE = _zuv.catalogue()
_TWINS = {twin for _, _, twin, _ in _CATALOGUE.values() if twin}
_TWIN_COLUMN = "internalTimestamp"
_FRAMERATE = "framerate"


def package_path():
    """The zuv.pck that decode() loads."""
    named = os.environ.get("ZUV_PACKAGE")
    if named:
        return named
    here = os.path.dirname(os.path.abspath(_zuv.__file__))
    tried = []
    for relative in (_zuv.PACKAGE_FROM_BUILD, _zuv.PACKAGE_FROM_INSTALL):
        candidate = os.path.normpath(os.path.join(here, relative, "zuv.pck"))
        if os.path.isfile(candidate):
            return candidate
        tried.append(candidate)
    raise FileNotFoundError("zuv.pck not found (ZUV_PACKAGE is not set; looked at " + ", ".join(tried) + ")")


def _text(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def _assignments(properties):
    # Applied in order, as -p options are: pDownSampling before pNewFramerate.
    if properties is None:
        return []
    if isinstance(properties, str):
        raise TypeError("properties: a mapping of NAME to VALUE, or NAME=VALUE texts, not one text")
    if hasattr(properties, "items"):
        return [f"{name}={_text(value)}" for name, value in properties.items()]
    return [str(item) for item in properties]


def _column(values, present, element):
    """One column: NaN for a missing real, pandas NA for a missing integer."""
    if element == "Integer64":
        if present.all():
            return values.astype(np.int64, copy=False)
        return pd.arrays.IntegerArray(values.astype(np.int64), ~present)
    column = values.astype(np.float64, copy=True)
    column[~present] = np.nan
    return column


def _framerate_switch(outputs):
    """Publish positions around the decoder's first appended framerate.

    The decoder starts appending to every output at the same frame, so the
    fixed-size outputs show where that happened: (last position without, first
    position with), either None when not seen."""
    last_without = None
    first_with = None
    for name, raw in outputs.items():
        entry = _CATALOGUE.get(name)
        if entry is None or entry[0] is None or entry[3] or len(raw["counts"]) == 0:
            continue
        full = len(entry[0])
        counts, order = raw["counts"], raw["order"]
        with_rate = order[counts == full]
        without = order[counts == full - 1]
        if len(with_rate):
            first_with = int(with_rate.min()) if first_with is None else min(first_with, int(with_rate.min()))
        if len(without):
            last_without = int(without.max()) if last_without is None else max(last_without, int(without.max()))
    return last_without, first_with


def _event_frame(raw, names, adds_framerate, switch):
    # A marker's time stamp, then only the times its status flags, then the
    # framerate: a row's count alone cannot always tell the last two apart.
    counts, order, values = raw["counts"], raw["order"], raw["values"]
    rows = len(counts)
    times = len(names) - 1
    last_without, first_with = switch
    has_rate = np.zeros(rows, dtype=bool)
    if adds_framerate:
        for r in range(rows):
            c, s = int(counts[r]), int(order[r])
            if c >= times + 1:
                has_rate[r] = True
            elif c <= 1:
                has_rate[r] = False
            elif first_with is not None and s > first_with:
                has_rate[r] = True
            elif last_without is not None and s < last_without:
                has_rate[r] = False
    n_times = counts - has_rate
    data = {"t": raw["t"]}
    for i in range(times):
        data[names[i]] = _column(values[:, i], n_times > i, "Integer64")
    if adds_framerate:
        rate = np.zeros(rows, dtype=np.int64)
        idx = np.nonzero(has_rate)[0]
        rate[idx] = values[idx, counts[idx] - 1]
        data[_FRAMERATE] = _column(rate, has_rate, "Integer64")
    return pd.DataFrame(data)


def _frame(name, raw, adds_framerate, switch):
    counts, element = raw["counts"], raw["type"]
    if element in ("Stream8", "TextAscii"):
        return pd.DataFrame({"t": raw["t"], "data": pd.Series(raw["values"], dtype=object)})
    if element not in ("Integer64", "Float64"):
        element = "Integer64" if element.startswith("Integer") else "Float64"
    entry = _CATALOGUE.get(name)
    values = raw["values"]
    if entry is not None and entry[0] is not None and entry[3]:
        return _event_frame(raw, entry[0], adds_framerate, switch)
    if name in _TWINS:
        names = [_TWIN_COLUMN]
    elif entry is not None and entry[0] is not None:
        names = list(entry[0][:-1]) + ([_FRAMERATE] if adds_framerate else [])
    else:
        names = [f"v{i}" for i in range(values.shape[1])]
    data = {"t": raw["t"]}
    for i, column in enumerate(names):
        data[column] = _column(values[:, i], counts > i, element)
    return pd.DataFrame(data)


def decode(path, properties=None):
    """Decodes a recording with zuv.pck's frame decoder, as `zuv decode` does.

    properties: the decoder's properties as `-p` takes them, applied in order,
    e.g. {"pImuData": "Enabled", "pDeviceClockTimestamps": "true"} (a bool may be
    True/False), or a list of "NAME=VALUE" texts. Returns {output name:
    DataFrame}, one per output the decoder has. The decoder's reports go to
    the logger "zuv". A bad recording raises ValueError with the message `zuv
    decode` prints (its `frames` attribute holds what was decoded before the
    fault); a property the decoder refuses raises ValueError too.
    """
    assignments = _assignments(properties)
    package = package_path()
    with _decode_lock:
        raw = _zuv.decode(os.fspath(path), assignments, package)
    for level, instance, text in raw["reports"]:
        _log.log(_REPORT_LEVELS.get(level, logging.ERROR), "%s: %s", instance, text)
    if raw["load_error"]:
        raise RuntimeError(raw["load_error"])
    if raw["usage_error"]:
        raise ValueError(raw["usage_error"])
    outputs = raw["outputs"]
    switch = _framerate_switch(outputs) if raw["adds_framerate"] else (None, None)
    frames = {name: _frame(name, rows, raw["adds_framerate"], switch) for name, rows in outputs.items()}
    if raw["error"]:
        error = ValueError(raw["error"])
        error.frames = frames
        raise error
    return frames


def _decode_all(client, paths, properties):
    futures = client.map(decode, paths, properties=properties, pure=False)
    return client.gather(futures)


def decode_many(paths, properties=None, client=None, n_workers=None):
    """decode() of every path, each in a worker of a dask.distributed cluster.

    Returns one result per path, in order, equal to decode() one by one. With
    no client, a local cluster of n_workers processes (default: one per path,
    at most one per CPU) on 127.0.0.1 without a dashboard is made for the call.
    Worker processes import the calling script again: guard its top level with
    `if __name__ == "__main__":`.
    """
    paths = [os.fspath(p) for p in paths]
    if not paths:
        return []
    if client is not None:
        return _decode_all(client, paths, properties)
    from dask.distributed import Client, LocalCluster

    workers = n_workers or min(len(paths), os.cpu_count() or 1)
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None,
                      host="127.0.0.1") as cluster, Client(cluster) as own:
        return _decode_all(own, paths, properties)
