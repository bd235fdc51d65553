"""zuv.decode_many on a local dask cluster equals zuv.decode one by one."""

import pandas as pd
import pytest

import zuv
import zrecfiles

pytestmark = pytest.mark.slow

PROPERTIES = {"pImuData": "Enabled", "pEkfNav": "Enabled", "pEventA": "Enabled", "pAddOriginalFramerate": True,
              "pVerbose": False}


@pytest.fixture(scope="module")
def recordings(tmp_path_factory):
    folder = tmp_path_factory.mktemp("recordings")
    records = zrecfiles.read(zrecfiles.golden())
    # Different lengths and start times, so that a swapped result shows.
    paths = [zrecfiles.golden()]
    for i in range(1, 4):
        shifted = [(t + i * 1000, data) for t, data in records[: 240 - 50 * i]]
        paths.append(str(zrecfiles.write(folder / f"r{i}.zrec", shifted)))
    return paths


def assert_same(results, expected):
    assert len(results) == len(expected)
    for got, want in zip(results, expected):
        assert list(got) == list(want)
        for name in want:
            pd.testing.assert_frame_equal(got[name], want[name])


def test_two_workers_give_the_one_by_one_results(recordings):
    from dask.distributed import Client, LocalCluster

    expected = [zuv.decode(path, PROPERTIES) for path in recordings]
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                      host="127.0.0.1") as cluster, Client(cluster) as client:
        assert_same(zuv.decode_many(recordings, PROPERTIES, client=client), expected)
        assert len({w for w in client.run(lambda: 1)}) == 2
        # A bad recording fails the call with decode's own error.
        with pytest.raises(ValueError, match="not a recording"):
            zuv.decode_many(recordings + [__file__], PROPERTIES, client=client)


def test_a_cluster_of_its_own_when_none_is_given(recordings):
    expected = [zuv.decode(path, PROPERTIES) for path in recordings[:2]]
    assert_same(zuv.decode_many(recordings[:2], PROPERTIES, n_workers=2), expected)
    assert zuv.decode_many([], PROPERTIES) == []
