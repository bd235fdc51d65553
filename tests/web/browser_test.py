#!/usr/bin/python3
"""zuv web's page in headless Chromium against the simulator, over the
DevTools protocol: live values move, a rate set on the page reaches the
simulated device as an output configuration, a downloaded settings image
uploads and downloads again the same, and a screenshot is taken.

    browser_test.py --zuv build/bin/zuv --out DIR [--screenshot PNG]
"""
import argparse
import base64
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket


class Failure(Exception):
    pass


def wait_for(what, check, timeout=30.0, every=0.2):
    end = time.monotonic() + timeout
    last = None
    while time.monotonic() < end:
        last = check()
        if last:
            return last
        time.sleep(every)
    raise Failure(f"timed out waiting for {what} (last: {last!r})")


class Page:
    def __init__(self, ws_url):
        self.ws = websocket.create_connection(ws_url, timeout=30, suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get("id") == self.next_id:
                if "error" in msg:
                    raise Failure(f"{method}: {msg['error']}")
                return msg["result"]

    def js(self, expression):
        r = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in r:
            raise Failure(f"{expression}: {r['exceptionDetails']}")
        return r["result"].get("value")


def start_chromium(profile):
    chromium = shutil.which("chromium") or "/usr/bin/chromium"
    proc = subprocess.Popen(
        [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--remote-debugging-port=0",
         f"--user-data-dir={profile}", "--window-size=1400,1300", "--no-first-run", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = os.path.join(profile, "DevToolsActivePort")
    wait_for("DevToolsActivePort", lambda: os.path.exists(port_file) and open(port_file).read().count("\n") >= 1)
    port = int(open(port_file).read().split("\n")[0])
    def page_target():
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json") as r:
            return next((t for t in json.load(r) if t["type"] == "page"), None)
    target = wait_for("a page target", page_target)
    return proc, Page(target["webSocketDebuggerUrl"])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--zuv", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--screenshot", default=os.environ.get("ZUV_WEB_SCREENSHOT", ""))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="zuv-web-test-")
    zuv = subprocess.Popen([args.zuv, "web", "--sim", "--listen", "127.0.0.1:0"],
                           stdout=subprocess.PIPE, stderr=open(os.path.join(args.out, "zuv-web.stderr"), "w"),
                           text=True)
    chromium = None
    checks = 0
    try:
        url = zuv.stdout.readline().strip()
        if not url.startswith("http://127.0.0.1:"):
            raise Failure(f"first line is not the URL: {url!r}")
        chromium, page = start_chromium(os.path.join(scratch, "profile"))
        page.call("Page.enable")
        page.call("Page.setDownloadBehavior", behavior="deny")
        page.call("Page.navigate", url=url)

        # Live values: the newest IMU point and the status move between two reads.
        wait_for("samples on the page", lambda: page.js("window.zuvDashboard && zuvDashboard.samples > 3"))
        wait_for("a status", lambda: page.js("!!(window.zuvDashboard && zuvDashboard.lastStatus)"))
        read = ("JSON.stringify({imu: charts.accel.data.datasets[2].data.slice(-1)[0],"
                " yaw: charts.attitude.data.datasets[2].data.slice(-1)[0],"
                " frames: zuvDashboard.lastStatus.frames, badge: document.getElementById('health').textContent,"
                " bytes: document.querySelector('#linkCounts td:last-child').textContent})")
        first = json.loads(page.js(read))
        time.sleep(1.5)
        second = json.loads(page.js(read))
        if first["imu"]["x"] >= second["imu"]["x"] or first["yaw"] == second["yaw"]:
            raise Failure(f"plots did not move: {first} then {second}")
        if second["frames"] <= first["frames"] or first["bytes"] == second["bytes"]:
            raise Failure(f"status did not move: {first} then {second}")
        if second["badge"] != "LIVE":
            raise Failure(f"health badge: {second['badge']}")
        mode = page.js("document.getElementById('mode').textContent")
        if "nav position" not in mode:
            raise Failure(f"solution mode shown as {mode!r}")
        if page.js("document.querySelectorAll('#rates tbody tr').length") != 26:
            raise Failure("the rates table has not one row per log")
        if page.js("document.querySelectorAll('#solutionFlags .flag.on').length") < 1:
            raise Failure("no solution flag is lit")
        checks += 1

        # A rate set on the page reaches the device.
        if page.js("zuvDashboard.lastStatus.device.pImuData") != "25 Hz":
            raise Failure("the simulated device does not start at 25 Hz IMU")
        page.js("document.querySelector('select[name=pImuData]').value = '50 Hz'; "
                "document.getElementById('apply').click(); true")
        wait_for("the rate reply", lambda: "rates applied" in page.js("document.getElementById('message').textContent"))
        wait_for("the device at 50 Hz", lambda: page.js("zuvDashboard.lastStatus.device.pImuData === '50 Hz' && "
                                                         "zuvDashboard.lastStatus.configured.pImuData === '50 Hz'"))
        wait_for("the table showing it", lambda: page.js(
            "document.querySelector('#rates tr[data-property=pImuData]').cells[3].textContent") == "50 Hz")
        checks += 1

        # Settings image: download, upload, download again the same.
        def download():
            page.js("zuvDashboard.downloaded = null; document.getElementById('download').click(); true")
            wait_for("the download", lambda: page.js("!!zuvDashboard.downloaded"), timeout=60)
            return bytes(page.js("Array.from(zuvDashboard.downloaded)"))
        image = download()
        if len(image) == 0:
            raise Failure("empty settings image")
        path = os.path.join(scratch, "settings.bin")
        with open(path, "wb") as f:
            f.write(image)
        doc = page.call("DOM.getDocument")
        node = page.call("DOM.querySelector", nodeId=doc["root"]["nodeId"], selector="#upload")
        page.call("DOM.setFileInputFiles", files=[path], nodeId=node["nodeId"])
        wait_for("the upload reply", lambda: f"imported {len(image)} bytes" in
                 page.js("document.getElementById('message').textContent"), timeout=60)
        again = download()
        if again != image:
            raise Failure(f"settings changed over the round trip: {len(image)} then {len(again)} bytes")
        checks += 1

        # A picture of it, once the plots have filled a little.
        wait_for("the page live again", lambda: page.js("document.getElementById('health').textContent") == "LIVE")
        time.sleep(3)
        shot = base64.b64decode(page.call("Page.captureScreenshot", format="png")["data"])
        if not shot.startswith(b"\x89PNG"):
            raise Failure("the screenshot is no PNG")
        for target in filter(None, [os.path.join(args.out, "web-screenshot.png"), args.screenshot]):
            with open(target, "wb") as f:
                f.write(shot)
        checks += 1
    except Failure as e:
        print(f"FAIL: {e}")
        return 1
    finally:
        if chromium:
            chromium.terminate()
            chromium.wait(timeout=30)
        zuv.send_signal(signal.SIGINT)
        try:
            status = zuv.wait(timeout=30)
        except subprocess.TimeoutExpired:
            zuv.kill()
            status = -1
        shutil.rmtree(scratch, ignore_errors=True)
    if status != 0:
        print(f"FAIL: zuv web ended with status {status}")
        return 1
    print(f"{checks} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
