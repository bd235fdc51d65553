"""zuv.Recording and the bad files that both it and zuv.decode refuse as `zuv decode` does."""

import struct

import pandas as pd
import pytest

import zuv
import zrecfiles


def test_records_lengths_and_time_stamps_as_written():
    expected = zrecfiles.read(zrecfiles.golden())
    recording = zuv.Recording(zrecfiles.golden())
    assert len(recording) == len(expected) == 240
    assert recording.first_timestamp == expected[0][0]
    assert recording.last_timestamp == expected[-1][0]
    assert list(recording) == expected
    # Each iteration starts again from the first record.
    assert next(iter(recording)) == expected[0]


@pytest.mark.parametrize("records", [
    [],
    [(-5, b"")],
    [(2**62, b"\x00" * 65536), (-(2**62), b"\xff")],
], ids=["empty", "one empty record", "extreme stamps, largest record"])
def test_round_trip(tmp_path, records):
    recording = zuv.Recording(zrecfiles.write(tmp_path / "r.zrec", records))
    assert list(recording) == records
    assert len(recording) == len(records)
    assert recording.first_timestamp == (records[0][0] if records else None)
    assert recording.last_timestamp == (records[-1][0] if records else None)


def good_records():
    return zrecfiles.read(zrecfiles.golden())[:20]


def truncated_body(path):
    zrecfiles.write(path, good_records())
    with open(path, "r+b") as f:
        f.truncate(f.seek(0, 2) - 3)


def truncated_head(path):
    zrecfiles.write(path, good_records())
    with open(path, "ab") as f:
        f.write(struct.pack("<q", 999))


def oversized(path):
    records = good_records()
    zrecfiles.write(path, records[:10] + [(555, b"\x01" * 65537)] + records[10:])


def not_a_recording(path):
    path.write_text('{"t":1}\n')


def other_version(path):
    zrecfiles.write(path, good_records(), header=b"ZREC" + struct.pack("<I", 2))


def short_header(path):
    path.write_bytes(b"ZRE")


BAD = {
    "truncated record": (truncated_body, 19),
    "truncated record header": (truncated_head, 20),
    "oversized record": (oversized, 20),
    "not a recording": (not_a_recording, None),
    "other version": (other_version, None),
    "shorter than a header": (short_header, None),
    "missing": (lambda path: None, None),
}


@pytest.mark.parametrize("case", BAD)
def test_bad_file_is_refused_with_the_tools_message(case, tmp_path):
    make, decodable = BAD[case]
    path = tmp_path / "bad.zrec"
    make(path)
    status, messages, lines = zrecfiles.run_decode(path, ["pImuData=Enabled"], tmp_path / "out.jsonl")
    assert status == 1 and messages
    with pytest.raises(ValueError) as error:
        zuv.Recording(path)
    assert str(error.value) == messages
    with pytest.raises(ValueError) as error:
        zuv.decode(path, {"pImuData": "Enabled"})
    assert str(error.value) == messages
    if decodable is None:
        assert lines == []
        return
    # What came before the fault is decoded, as the tool's lines show.
    frames = error.value.frames
    lines = [line for line in lines if line["pin"] == "decoder.oImu"]
    assert len(frames["oImu"]) == len(lines) == decodable
    assert frames["oImu"]["t"].tolist() == [line["t"] for line in lines]
    good = zrecfiles.write(tmp_path / "good.zrec", [r for r in good_records() if r[1] != b"\x01" * 65537][:decodable])
    pd.testing.assert_frame_equal(frames["oImu"], zuv.decode(good, {"pImuData": "Enabled"})["oImu"])


def test_iteration_stops_at_a_fault_that_appeared_after_the_check(tmp_path):
    path = zrecfiles.write(tmp_path / "r.zrec", good_records())
    recording = zuv.Recording(path)
    truncated_body(path)
    records = iter(recording)
    for expected in good_records()[:19]:
        assert next(records) == expected
    with pytest.raises(ValueError, match="truncated record at byte offset"):
        next(records)
