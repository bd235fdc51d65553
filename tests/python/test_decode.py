"""zuv.decode against `zuv decode`'s JSON lines for the same recording and properties."""

import math

import numpy as np
import pandas as pd
import pytest

import zuv
import zrecfiles

EVERY_KIND = [
    "pStatus", "pUtcTime", "pImuData", "pMag", "pMagCalib", "pEkfEuler", "pEkfQuat", "pEkfNav", "pGps1Vel",
    "pGps1Pos", "pGps1Hdt", "pGps1Raw", "pGps2Vel", "pGps2Pos", "pGps2Hdt", "pGps2Raw", "pOdoVel", "pEventA",
    "pEventB", "pEventC", "pEventD", "pEventE", "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl",
]
EVENTS = ["oEventMarkerA", "oEventMarkerB", "oEventMarkerC", "oEventMarkerD", "oEventMarkerE"]
RAW = ["oGps1Raw", "oGps2Raw"]

CASES = {
    "twins": {},
    "no_twins": {"pInternalTimestamp": False},
    "framerates": {"pAddOriginalFramerate": True},
    "framerates_no_twins": {"pAddOriginalFramerate": "true", "pInternalTimestamp": "0", "pVerbose": False},
    "down_sampled": {"pAddOriginalFramerate": True, "pDownSampling": True, "pNewFramerate": 5},
    "device_clock": {"pDeviceClockTimestamps": "true", "pAddOriginalFramerate": True},
}


def every_kind(extra):
    properties = {kind: "Enabled" for kind in EVERY_KIND}
    properties.update(extra)
    return properties


def assignments(properties):
    return [f"{k}={'true' if v is True else 'false' if v is False else v}" for k, v in properties.items()]


def by_pin(lines):
    rows = {}
    for line in lines:
        rows.setdefault(line["pin"].split(".", 1)[1], []).append(line)
    return rows


def row_values(name, frame):
    """Each row's elements, read back from the named columns in the decoder's order."""
    if "data" in frame:
        return [list(b) for b in frame["data"]]
    columns = [c for c in frame.columns if c != "t"]
    out = []
    for row in frame[columns].itertuples(index=False):
        values = [v for c, v in zip(columns, row) if not (c == "framerate" or name in EVENTS) or not pd.isna(v)]
        out.append(values)
    return out


def same(a, b):
    if b is None:
        return isinstance(a, float) and math.isnan(a)
    return a == b


@pytest.fixture(scope="module")
def tool_lines(tmp_path_factory):
    done = {}

    def lines(case):
        if case not in done:
            jsonl = tmp_path_factory.mktemp(case) / "out.jsonl"
            status, messages, got = zrecfiles.run_decode(zrecfiles.golden(), assignments(every_kind(CASES[case])),
                                                        jsonl)
            assert status == 0, messages
            done[case] = got
        return done[case]

    return lines


@pytest.mark.parametrize("case", CASES)
def test_every_output_row_by_row_as_the_json_lines(case, tool_lines):
    expected = by_pin(tool_lines(case))
    frames = zuv.decode(zrecfiles.golden(), every_kind(CASES[case]))
    assert set(expected) <= set(frames)
    assert all(len(frames[name]) == 0 for name in set(frames) - set(expected))
    for name, lines in expected.items():
        frame = frames[name]
        assert frame["t"].tolist() == [line["t"] for line in lines], name
        values = row_values(name, frame)
        for i, (got, line) in enumerate(zip(values, lines)):
            assert len(got) == len(line["data"]) and all(map(same, got, line["data"])), (name, i, got, line)


@pytest.mark.parametrize("case", ["framerates", "down_sampled", "device_clock"])
def test_framerate_only_where_the_decoder_appended_one(case, tool_lines):
    expected = by_pin(tool_lines(case))
    frames = zuv.decode(zrecfiles.golden(), every_kind(CASES[case]))
    for name, lines in expected.items():
        if name.endswith("InternalTimestamp") or name in RAW:
            assert "framerate" not in frames[name]
            continue
        longest = max(len(line["data"]) for line in lines)
        appended = [len(line["data"]) == longest for line in lines]
        assert any(appended) and not all(appended), name
        assert frames[name]["framerate"].notna().tolist() == appended, name
        assert frames[name]["framerate"].dropna().tolist() == [
            line["data"][-1] for line in lines if len(line["data"]) == longest], name


def test_columns_and_types_follow_the_catalogue():
    frames = zuv.decode(zrecfiles.golden(), {"pImuData": "Enabled", "pEventC": "Enabled", "pGps1Raw": "Enabled",
                                             "pStatus": "Enabled", "pVerbose": False})
    assert list(frames) == ["oStatus", "oImu", "oImuInternalTimestamp", "oGps1Raw", "oEventMarkerC"]
    assert list(frames["oImu"].columns) == [
        "t", "accelX", "accelY", "accelZ", "gyroX", "gyroY", "gyroZ", "deltaVelX", "deltaVelY", "deltaVelZ",
        "deltaAngleX", "deltaAngleY", "deltaAngleZ", "temperature", "status"]
    assert (frames["oImu"].dtypes[1:] == np.float64).all()
    assert list(frames["oImuInternalTimestamp"].columns) == ["t", "internalTimestamp"]
    assert frames["oImuInternalTimestamp"]["internalTimestamp"].dtype == np.int64
    assert list(frames["oStatus"].columns) == [
        "t", "timeStamp", "generalStatus", "comStatus", "aidingStatus", "clockStatus", "reserved2", "reserved3"]
    assert (frames["oStatus"].dtypes == np.int64).all()
    # Marker C flags no pulse: its time stamp alone.
    marker = frames["oEventMarkerC"]
    assert list(marker.columns) == ["t", "timeStamp", "time0", "time1", "time2", "time3"]
    assert marker["time0"].isna().all() and marker["timeStamp"].notna().all()
    assert frames["oGps1Raw"]["data"].map(type).eq(bytes).all()


def test_no_output_enabled_gives_no_frames():
    assert zuv.decode(zrecfiles.golden(), {"pVerbose": False}) == {}


def test_properties_as_texts_equal_a_mapping():
    mapping = {"pImuData": "Enabled", "pDownSampling": True, "pNewFramerate": 20}
    texts = ["pImuData=Enabled", "decoder.pDownSampling=true", "pNewFramerate=20"]
    a, b = zuv.decode(zrecfiles.golden(), mapping), zuv.decode(zrecfiles.golden(), texts)
    assert list(a) == list(b)
    for name in a:
        pd.testing.assert_frame_equal(a[name], b[name])
    assert 0 < len(a["oImu"]) < 240


@pytest.mark.parametrize("properties", [
    {"pNoSuchThing": 1},
    {"pImuData": "Sometimes"},
    {"pNewFramerate": 5},                    # exists only once pDownSampling is on
    {"pInternalTimestamp": "perhaps"},
])
def test_a_refused_property_is_the_tools_message(properties, tmp_path):
    status, messages, _ = zrecfiles.run_decode(zrecfiles.golden(), assignments(properties), tmp_path / "out.jsonl")
    assert status == 2
    with pytest.raises(ValueError) as error:
        zuv.decode(zrecfiles.golden(), properties)
    assert str(error.value) == messages


def test_reports_reach_the_zuv_logger(caplog):
    zuv.decode(zrecfiles.golden(), {"pImuData": "Enabled"})
    texts = [r.getMessage() for r in caplog.records if r.name == "zuv"]
    assert "decoder: CRC not correct." in texts
    caplog.clear()
    zuv.decode(zrecfiles.golden(), {"pImuData": "Enabled", "pVerbose": False})
    assert not [r for r in caplog.records if r.name == "zuv" and r.levelname == "ERROR"]


def test_frames_split_over_many_records_decode_as_one(tmp_path):
    # The same frames, one per record instead of many per record.
    records = zrecfiles.read(zrecfiles.golden())
    single = [(t, frame) for t, data in records for frame in zrecfiles.frames(data)]
    path = zrecfiles.write(tmp_path / "single.zrec", single)
    properties = {"pImuData": "Enabled", "pEkfNav": "Enabled", "pVerbose": False}
    status, messages, lines = zrecfiles.run_decode(path, assignments(properties), tmp_path / "out.jsonl")
    assert status == 0, messages
    frames = zuv.decode(path, properties)
    expected = by_pin(lines)
    assert len(frames["oImu"]) == len(expected["oImu"]) == 240
    assert frames["oEkfNav"]["t"].tolist() == [line["t"] for line in expected["oEkfNav"]]


def test_the_package_is_found_beside_the_build_or_through_the_variable(monkeypatch, tmp_path):
    found = zuv.package_path()
    assert found.endswith("/zuv.pck")
    monkeypatch.setenv("ZUV_PACKAGE", str(tmp_path / "missing.pck"))
    with pytest.raises(RuntimeError, match="cannot load the package .*missing.pck"):
        zuv.decode(zrecfiles.golden(), {"pImuData": "Enabled"})
