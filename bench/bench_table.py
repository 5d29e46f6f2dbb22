#!/usr/bin/env python3
"""Gathers the outputs of the benchmarks in FOLDER (written by scripts/bench) into one table:
each figure, the reference measured beside it in the same run, their ratio, the goal, and
whether it is met. Exit code 1 when a measured goal is missed."""
import json
import os
import re
import sys


def fastest_entries(path, key, time):
    """key(entry) -> the entry with the least `time` among a Google Benchmark JSON file's
    repetitions (aggregates and failed runs left out)."""
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    best = {}
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate" or b.get("error_occurred"):
            continue
        name = key(b)
        if name not in best or b[time] < best[name][time]:
            best[name] = b
    return best


def load_gbench(path):
    """name -> the fastest repetition's entry of a Google Benchmark JSON file."""
    return fastest_entries(path, lambda b: b["name"].split("/")[0], "real_time")


def load_gbench_full(path):
    """full name (with arguments) -> the fastest repetition's entry."""
    return fastest_entries(path, lambda b: b.get("run_name", b["name"]), "cpu_time")


def ms(entry):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry.get("time_unit", "ns")]
    return entry["cpu_time"] * scale


def lines(path):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return f.read().splitlines()


def json_records(path):
    # The benches' servers share their standard output, so their own lines ("listening on")
    # can stand between the records.
    return [json.loads(line) for line in lines(path) if line.startswith("{")]


def main(folder):
    rows = []  # (measure, figure, reference, ratio, goal, met)

    def row(measure, figure, reference="", ratio="", goal="", met=None):
        rows.append((measure, figure, reference, ratio, goal,
                     "-" if met is None else ("yes" if met else "NO")))

    d = load_gbench(os.path.join(folder, "receive_decode.json"))
    if d:
        s, m = d.get("BM_SwitchStatusDecode"), d.get("BM_SwitchStatusMemcpy")
        if s and m:
            rate = s["items_per_second"]
            row("decode: Switch status answers", "%.0f msg/s, %.0f MB/s" %
                (rate, s["bytes_per_second"] / 1e6), "memcpy %.0f MB/s" %
                (m["bytes_per_second"] / 1e6), "%.3f" %
                (s["bytes_per_second"] / m["bytes_per_second"]), ">= 1,000,000 msg/s",
                rate >= 1e6)
        for label, name in (("decode: Thumbnail 256 KiB", "Thumbnail"),
                            ("decode: Full picture 2 MiB", "FullPicture")):
            s, m = d.get("BM_%sDecode" % name), d.get("BM_%sMemcpy" % name)
            if s and m:
                ratio = s["bytes_per_second"] / m["bytes_per_second"]
                row(label, "%.0f msg/s, %.0f MB/s" % (s["items_per_second"],
                                                       s["bytes_per_second"] / 1e6),
                    "memcpy %.0f MB/s" % (m["bytes_per_second"] / 1e6), "%.3f" % ratio,
                    ">= 0.25 of memcpy", ratio >= 0.25)
        s, f, m = (d.get("BM_FullPictureDecode"), d.get("BM_FullPictureFilesOnly"),
                   d.get("BM_FullPictureMemcpy"))
        if s and f and m:
            # The part of the gap to memcpy that is the file system's: the pictures' bytes
            # only written to files, as the client must.
            row("  of which: the same pictures only written to files", "%.0f MB/s" %
                (f["bytes_per_second"] / 1e6), "decoding %.0f MB/s" %
                (s["bytes_per_second"] / 1e6), "%.3f" %
                (f["bytes_per_second"] / m["bytes_per_second"]), "(of memcpy; no goal)", None)

    for line in lines(os.path.join(folder, "loopback.txt")):
        f = line.split()
        if len(f) != 8 or f[0] == "stream":
            continue
        name, msgs, client_mb, reader_mb, ratio, wall = (f[0], float(f[1]), float(f[2]),
                                                         float(f[3]), float(f[4]), float(f[5]))
        writer_mb, writer_ratio = f[6], f[7]
        reader_mb = "reader %.1f MB/s (wall ratio %.3f)" % (reader_mb, wall)
        if name == "switch_status":
            row("loopback: Switch status into a 10,000-row view", "%.0f msg/s, %.1f MB/s" %
                (msgs, client_mb), reader_mb, "%.3f" % ratio,
                ">= 200,000 msg/s", msgs >= 200000)
        else:
            row("loopback: " + name, "%.1f MB/s" % client_mb, reader_mb,
                "%.3f" % ratio, ">= 0.50 of reader", ratio >= 0.5)
            # What the files cost a reader that does nothing else: the same bytes read and
            # written into files as the client stores them.
            row("  against a reader that also writes the files", "%.1f MB/s" % client_mb,
                "reader and files %s MB/s" % writer_mb, writer_ratio, "(no goal)", None)

    per = {}
    for line in lines(os.path.join(folder, "switch_status.txt")):
        m = re.match(r"^(in-memory|qt)\s+(\d+)\s+([\d.]+)\s+([\d.]+)$", line)
        if m:
            per[(m.group(1), int(m.group(2)))] = float(m.group(4))
    for kit in ("in-memory", "qt"):
        small, big = per.get((kit, 100)), per.get((kit, 10000))
        if small and big:
            ratio = big / small
            row("switches view (%s): status change" % kit, "%.3f us with 10,000 rows" % big,
                "%.3f us with 100 rows" % small, "%.2f" % ratio, "ratio <= 1.5", ratio <= 1.5)

    a = load_gbench_full(os.path.join(folder, "activity_log.json"))
    if a:
        # Realisation 0 is the in-memory one, 1 the Qt widgets.
        qt_add, mem_add = a.get("BM_AddEntries/1/iterations:1"), a.get(
            "BM_AddEntries/0/iterations:1")
        if qt_add:
            row("activity log (qt): 100,000 entries added", "%.0f ms" % ms(qt_add),
                "in memory %.0f ms" % ms(mem_add) if mem_add else "",
                "%.2f" % (ms(qt_add) / ms(mem_add)) if mem_add else "", "< 1000 ms",
                ms(qt_add) < 1000)
        for kit, arg in (("in-memory", "0"), ("qt", "1")):
            sorts = {n: b for n, b in a.items() if n.startswith("BM_SortByColumn/%s/" % arg)}
            if sorts:
                worst = max(sorts.values(), key=ms)
                row("activity log (%s): slowest column sort" % kit, "%.0f ms" % ms(worst),
                    worst.get("run_name", worst["name"]), "", "< 150 ms", ms(worst) < 150)
        for kit, arg in (("in-memory", "0"), ("qt", "1")):
            f = a.get("BM_FilterAndBack/%s/iterations:2" % arg)
            if f:
                row("activity log (%s): filter and back" % kit, "%.0f ms" % ms(f), "", "", "",
                    None)

    h = load_gbench(os.path.join(folder, "history_store.json"))
    if h:
        def wall(entry):
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry.get("time_unit", "ns")]
            return entry["real_time"] * scale

        def timed(entry):
            # Goals are judged on the CPU time of the measuring thread; the clock's time
            # beside it shows what a loaded machine added.
            return "%.2f ms (wall %.2f ms)" % (ms(entry), wall(entry))

        def against(measure, name, bare_name, bare_what, goal_ms):
            f, bare = h.get(name), h.get(bare_name)
            if not f:
                return
            row(measure, timed(f),
                "%s %.2f ms (wall %.2f ms)" % (bare_what, ms(bare), wall(bare)) if bare else "",
                "%.2f" % (ms(f) / ms(bare)) if bare and ms(bare) > 0 else "",
                "< %d ms" % goal_ms, ms(f) < goal_ms)

        b, bare = h.get("BM_StoreWriterBatches"), h.get("BM_BareInsertLoop")
        if b:
            rows_per_s = lambda e: 200000 / (ms(e) / 1000)
            rate = rows_per_s(b)
            row("history: rows written at the writer's transactions (4,096 rows)",
                "%.0f rows/s CPU (%.0f/s wall)" % (rate, b["items_per_second"]),
                "bare insert loop %.0f rows/s CPU" % rows_per_s(bare) if bare else "",
                "%.2f" % (rate / rows_per_s(bare)) if bare else "",
                ">= 200,000 rows/s", rate >= 200000)
        b = h.get("BM_StoreBatches")
        if b:
            rate = b["items_per_second"]
            row("history: events stored in batches of 20,000", "%.0f events/s" % rate, "", "",
                "", None)
        m = h.get("BM_MillionEventsSize")
        if m and "bytes" in m:
            size = m["bytes"] / 1e6
            row("history: one million events on disk", "%.1f MB" % size, "", "", "< 100 MB",
                size < 100)
        against("history: one sensor's day among 10 million", "BM_FindOneSensorDay",
                "BM_BareDaySelect", "bare indexed select", 10)
        against("history: a year of a sensor to 1,000 columns", "BM_ReduceYear",
                "BM_BareYearRows", "its rows read bare", 50)
        against("history: all items' events table for a day among 10 million",
                "BM_EventsTableDay", "BM_BareEventsDay", "bare select", 100)
        against("history: a word search among 300,000 entries", "BM_SearchWords",
                "BM_BareWordMatch", "bare index match", 50)

    v = load_gbench(os.path.join(folder, "video_thumbnail.json"))
    w = v.get("BM_ThumbnailsThroughDecoder")
    t, d = v.get("BM_ThumbnailDecodedAndAdded"), v.get("BM_ThumbnailDecodedOnly")
    if w and d:
        rate = w["items_per_second"]
        row("thumbnails 80 x 60 decoded (workers) and added to a video view",
            "%.0f /s" % rate, "decoded only, one thread %.0f /s" % d["items_per_second"],
            "%.3f" % (rate / d["items_per_second"]), ">= 50,000 /s", rate >= 50000)
    if t and d:
        rate = t["items_per_second"]
        row("  the same on one thread", "%.0f /s" % rate,
            "decoded only %.0f /s" % d["items_per_second"],
            "%.3f" % (rate / d["items_per_second"]), "", None)

    for r in json_records(os.path.join(folder, "history_window.jsonl")):
        # The same reads made where the window would wait: what it froze for before its worker.
        row("history window: longest hold of its thread (%d steps, %d rows)"
            % (r["steps"], r["rows"]), "%.1f ms" % r["longest_ms"],
            "reads on its thread %.1f ms" % r["reference_ms"],
            "%.3f" % (r["longest_ms"] / r["reference_ms"]) if r["reference_ms"] > 0 else "",
            "< 50 ms, none over", r["longest_ms"] < 50 and r["over_50ms"] == 0)

    starts = json_records(os.path.join(folder, "start.jsonl"))
    # The big house without the history: the reference its figures with the history are
    # measured against.
    off = next((r for r in starts if not r.get("history", True)), None)
    for r in starts:
        if r is off:
            continue
        reference = off if off is not None and r["house"] != "demo house" else None
        row("start (%s)" % r["house"], "%.0f ms" % r["start_ms"],
            "window %.0f ms, login %.0f ms" % (r["window_ms"], r["login_ms"]) +
            (", history off %.0f ms" % reference["start_ms"] if reference else ""),
            "%.3f" % (r["start_ms"] / reference["start_ms"]) if reference else "",
            "<= 200 ms", r["start_ms"] <= 200)
        if reference and "received_ms" in r and "received_ms" in reference:
            # The house's last byte taken: the history must not slow receiving a whole log.
            ratio = r["received_ms"] / reference["received_ms"]
            row("received (%s)" % r["house"], "%.0f ms" % r["received_ms"],
                "history off %.0f ms" % reference["received_ms"], "%.3f" % ratio,
                "<= 1.5 x history off", ratio <= 1.5)
        if r["house"] != "demo house":
            kept = r.get("history_rows", 0)
            # On a busy machine the program can fall quiet before the whole house has come; a
            # run that received less than its reference measured less and proves nothing.
            whole = reference is None or r["received_mb"] >= 0.95 * reference["received_mb"]
            row("peak memory (%s, history on)" % r["house"], "%.1f MB" % r["peak_mb"],
                ("history off %.1f MB, " % reference["peak_mb"] if reference else "") +
                "%.1f MB received%s, %d rows kept"
                % (r["received_mb"], "" if whole else " (not the whole house)", kept),
                "%.3f" % (r["peak_mb"] / reference["peak_mb"]) if reference else "",
                "< 80 MB", r["peak_mb"] < 80 and whole and (kept > 0 or not r.get("history", True)))
        else:
            row("peak memory (demo house)", "%.1f MB" % r["peak_mb"], "", "", "", None)

    for r in json_records(os.path.join(folder, "hvbridge.jsonl")):
        row("hvbridge: 1,000 items announced after the start", "%.0f ms" % r["announce_ms"],
            "10,000 items: %.0f ms" % r["large_announce_ms"], "", "<= 1000 ms",
            r["announce_ms"] <= 1000)
        row("hvbridge: server change to broker, p99", "%.1f ms" % r.get("p99_ms", 0),
            "p50 %.1f ms; %d of %d at %.0f/s" % (r.get("p50_ms", 0), r.get("delivered", 0),
                                                 r.get("changes", 0), r.get("rate", 0)),
            "", "<= 20 ms at 10,000/s",
            r.get("p99_ms", 1e9) <= 20 and r.get("rate", 0) >= 9500 and
            r.get("delivered", 0) == r.get("changes", -1))
        # Judged by the peak: the memory the bridge needs is what it takes at its worst moment.
        row("hvbridge: peak memory with 10,000 items", "%.1f MB" % r["large_peak_mb"],
            "settled %.1f MB" % r["large_rss_mb"], "", "< 20 MB", r["large_peak_mb"] < 20)

    header = ("measure", "figure", "reference (same run)", "ratio", "goal", "met")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(6)]
    fmt = "  ".join("%%-%ds" % w for w in widths)
    print(fmt % header)
    print("  ".join("-" * w for w in widths))
    for r in rows:
        print(fmt % r)
    return 1 if any(r[5] == "NO" for r in rows) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
