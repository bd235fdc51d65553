#!/usr/bin/python3
"""The page of `zuv report` as a browser shows it: headless Chromium takes a
screenshot (a PNG of the window's size), the DOM it built has every figure
with its title, and the console stays quiet (no error, no failed load).

    report_browser_test.py --zuv build/bin/zuv --recording tests/decoder/golden/every_kind.zrec

Exit status 0 on success, 1 on a failure, 77 when Chromium is not installed.
"""
import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

CHROMIUM = "/usr/bin/chromium"
FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--no-default-browser-check"]
FIGURES = {
    "fig-trajectory": "Trajectory",
    "fig-attitude": "Attitude",
    "fig-accel": "IMU accelerations",
    "fig-gyro": "IMU angular rates",
    "fig-rate": "Arrival rate per log",
    "fig-jitter": "Arrival jitter",
}
WIDTH, HEIGHT = 1200, 3000

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, file=sys.stderr)


def chromium(args, timeout=120):
    return subprocess.run([CHROMIUM] + FLAGS + args, capture_output=True, timeout=timeout)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def check_screenshot(url, work, keep):
    shot = os.path.join(work, "report.png")
    run = chromium(["--screenshot=" + shot, "--window-size=%d,%d" % (WIDTH, HEIGHT), url])
    check(run.returncode == 0, "chromium --screenshot failed: %s" % run.stderr.decode(errors="replace")[-500:])
    size = png_size(shot) if os.path.exists(shot) else None
    check(size == (WIDTH, HEIGHT), "screenshot is not a %dx%d PNG: %r" % (WIDTH, HEIGHT, size))
    check(os.path.exists(shot) and os.path.getsize(shot) > 10000, "screenshot is (nearly) empty")
    if keep and os.path.exists(shot):
        shutil.copyfile(shot, keep)


def check_dom(url):
    run = chromium(["--dump-dom", url])
    dom = run.stdout.decode(errors="replace")
    check(run.returncode == 0 and "</html>" in dom, "chromium --dump-dom gave no document")
    for fid, title in FIGURES.items():
        start = dom.find('<figure id="%s"' % fid)
        check(start >= 0, "figure %s missing from the DOM" % fid)
        if start < 0:
            continue
        body = dom[start:dom.find("</figure>", start)]
        check("<h2>%s</h2>" % title in body, "figure %s has no title %r" % (fid, title))
        check("<svg" in body and "<polyline" in body, "figure %s has no plotted line" % fid)


def devtools_messages(url, work):
    """Console messages, exceptions and log entries of the loaded page."""
    profile = os.path.join(work, "profile")
    proc = subprocess.Popen(
        [CHROMIUM] + FLAGS + ["--remote-debugging-port=0", "--user-data-dir=" + profile, "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while not (os.path.exists(port_file) and open(port_file).read().count("\n") >= 1):
            if time.time() > deadline or proc.poll() is not None:
                raise RuntimeError("chromium did not open its DevTools port")
            time.sleep(0.1)
        port = int(open(port_file).read().split("\n")[0])
        with urllib.request.urlopen("http://127.0.0.1:%d/json" % port, timeout=30) as answer:
            targets = json.loads(answer.read().decode())
        page = next(t for t in targets if t.get("type") == "page")
        ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30)
        next_id = [0]

        def send(method, params=None):
            next_id[0] += 1
            ws.send(json.dumps({"id": next_id[0], "method": method, "params": params or {}}))
            return next_id[0]

        for method in ("Runtime.enable", "Log.enable", "Page.enable"):
            send(method)
        send("Page.navigate", {"url": url})
        messages = []
        loaded = False
        deadline = time.time() + 60
        while time.time() < deadline:
            ws.settimeout(max(0.05, deadline - time.time()))
            try:
                event = json.loads(ws.recv())
            except websocket.WebSocketTimeoutException:
                break
            method = event.get("method", "")
            if method == "Runtime.consoleAPICalled":
                messages.append(("console." + event["params"]["type"],
                                 " ".join(str(a.get("value", a.get("description", ""))) for a in event["params"]["args"])))
            elif method == "Runtime.exceptionThrown":
                messages.append(("exception", event["params"]["exceptionDetails"].get("text", "")))
            elif method == "Log.entryAdded":
                entry = event["params"]["entry"]
                messages.append(("log." + entry["level"], entry.get("text", "") + " " + entry.get("url", "")))
            elif method == "Page.loadEventFired" and not loaded:
                loaded = True
                # Late messages (a failed load after the event) get a moment.
                deadline = time.time() + 1.0
        ws.close()
        check(loaded, "the page never fired its load event")
        return messages
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zuv", required=True)
    parser.add_argument("--recording", required=True)
    parser.add_argument("--keep-screenshot", help="copy the screenshot here")
    args = parser.parse_args()
    if not os.access(CHROMIUM, os.X_OK):
        print("SKIP: %s not installed (scripts/install-deps browser)" % CHROMIUM)
        return 77

    with tempfile.TemporaryDirectory(prefix="zuv_report_browser_") as work:
        page = os.path.join(work, "report.html")
        run = subprocess.run([args.zuv, "report", args.recording, "-o", page], capture_output=True, timeout=120)
        if run.returncode != 0:
            print("FAIL: zuv report: %s" % run.stderr.decode(errors="replace"), file=sys.stderr)
            return 1
        url = "file://" + page
        check_screenshot(url, work, args.keep_screenshot)
        check_dom(url)
        for level, text in devtools_messages(url, work):
            # Verbose and info messages are the browser's; anything louder is the page's fault.
            check(level not in ("console.error", "console.warning", "exception", "log.error", "log.warning"),
                  "console %s: %s" % (level, text))
    print("ok" if not failures else "%d failures" % len(failures))
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
