"""Start-up and memory of the real program with a long clipboard history, against an
empty one, under a private Xvfb: the median of five launches each, printed beside
the budgets (start-up at most 20 ms and resident memory at most 5 MiB more with ten
thousand entries). `make bench` runs it."""

import sqlite3
import statistics
import sys
import time
import uuid

import harness
from harness import CTRL_SHIFT_K
from test_clipboardowners import press_to_panel

ENTRIES = 10000
LAUNCHES = 5


def fill_store(path, count):
    """`count` ordinary texts, newest last, one in fifty pinned, written straight into the store."""
    con = sqlite3.connect(path, timeout=5)
    now = int(time.time() * 1000)
    rows = []
    for i in range(count):
        text = ("Clipboard entry %d: a sentence of the usual length, with a word or two more "
                "to search through" % i)
        rows.append((str(uuid.uuid4()), now - (count - i) * 1000, "text", text, "%064x" % i,
                     1 if i % 50 == 0 else 0, text.encode()))
    con.executemany("INSERT INTO ClipboardItem (id, timestamp, contentType, preview, contentHash, "
                    "isPinned, data) VALUES (?, ?, ?, ?, ?, ?, ?)", rows)
    con.commit()
    con.close()


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def launches(count):
    """Median seconds from start to the launch line, and median RSS in KiB once the
    pane has shown its rows, with `count` entries stored."""
    with harness.Session() as s:
        s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
        s.start_app()
        if s.stop_app() != 0:
            raise RuntimeError(s.app_log())
        fill_store(s.store_path, count)
        starts, rss = [], []
        for _ in range(LAUNCHES):
            began = time.monotonic()
            s.start_app(wait_launched=False)
            # Polled closely: the budget is a few milliseconds.
            while "Quorvane launched successfully" not in s.app_log():
                if s.app.poll() is not None or time.monotonic() - began > harness.DEFAULT_TIMEOUT:
                    raise RuntimeError("no launch\n" + s.app_log())
                time.sleep(0.002)
            starts.append(time.monotonic() - began)
            press_to_panel(s)  # the pane has shown its rows once
            rss.append(rss_kib(s.app.pid))
            if s.stop_app() != 0:
                raise RuntimeError(s.app_log())
        return statistics.median(starts), statistics.median(rss)


def main():
    empty, full = launches(0), launches(ENTRIES)
    print("start-up: %.0f ms empty, %.0f ms with %d entries (+%.0f ms; budget +20 ms)"
          % (empty[0] * 1000, full[0] * 1000, ENTRIES, (full[0] - empty[0]) * 1000))
    print("RSS: %.1f MiB empty, %.1f MiB with %d entries (+%.1f MiB; budget +5 MiB)"
          % (empty[1] / 1024, full[1] / 1024, ENTRIES, (full[1] - empty[1]) / 1024))
    return 0


if __name__ == "__main__":
    sys.exit(main())
