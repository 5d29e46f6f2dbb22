#!/usr/bin/env python3
"""start_bench: how long hearthview takes to start, and how much memory it takes.

Runs the real program under Xvfb (a display of its own) against housesim, logged in
automatically, and measures from the moment it is started:
  - window: its main window mapped on the display (seen as the X server's MapNotify);
  - login:  the first answer from housesim reaching it after its login (a byte-counting relay
            sits between the two, so the moment is seen on the wire);
  - start:  the later of the two: the main window shown and logged in;
  - received: the client taking the house's last byte from the relay (a client that falls
            behind, such as one waiting for its history's writer, reads later).
Then it lets the house arrive whole (every switch, every log entry) and reads the program's
peak memory from /usr/bin/time -v. Houses: the demo house, and a generated one of 10,000
switches with a full 100,000-entry activity log, once with the history recording all it
receives (as users have it) and once with "Record History" off, for reference; the rows the
history stored are counted, so a store that kept nothing cannot pass for a small one.

    start_bench.py BIN_DIR [--runs N] [--json] [--only big] [--wrap "heaptrack -o FILE"]

Prints one line per house (best start of the runs, peak memory of the biggest run); --json
prints them as JSON lines for scripts/bench. --only big runs the big house with the history
alone; --wrap starts the program under a profiler (its own figures, not the bench's, count then).
"""
import ctypes
import json
import sqlite3
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

# The display and the login set-up are the tests' own.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from desktop_session import start_xvfb, write_auto_login_registry  # noqa: E402

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class MapWatcher:
    """Tells when a top-level window whose name starts with `prefix` is mapped."""

    def __init__(self, display_name, prefix):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                      ctypes.POINTER(ctypes.c_char_p)]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        deadline = time.monotonic() + 10
        self.display = self.x.XOpenDisplay(display_name.encode())
        while not self.display and time.monotonic() < deadline:
            time.sleep(0.05)
            self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)
        root = self.x.XDefaultRootWindow(self.display)
        self.x.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.display)
        self.prefix = prefix.encode()
        self.fd = self.x.XConnectionNumber(self.display)
        self.seen = None

    def poll(self):
        event = ctypes.create_string_buffer(192)
        while self.x.XPending(self.display) > 0:
            self.x.XNextEvent(self.display, event)
            kind = ctypes.c_int.from_buffer(event, 0).value
            if kind != MAP_NOTIFY or self.seen is not None:
                continue
            # XMapEvent: type, serial, send_event, display, event, window (longs after type).
            window = ctypes.c_ulong.from_buffer(event, 40).value
            name = ctypes.c_char_p()
            if self.x.XFetchName(self.display, window, ctypes.byref(name)) and name.value:
                if name.value.startswith(self.prefix):
                    self.seen = time.monotonic()


class Relay:
    """Passes bytes between the client and housesim; notes the first answer after a login."""

    def __init__(self, server_port):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.port = self.listener.getsockname()[1]
        self.server_port = server_port
        self.first_answer = None
        self.to_client = 0
        self.last_to_client = None  # when the client took the last byte passed to it
        self.stop = False
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        try:
            self.relay()
        except OSError:
            pass  # either end went away: the run is over

    def relay(self):
        client, _ = self.listener.accept()
        server = socket.create_connection(("127.0.0.1", self.server_port))
        heard_client = False
        ends = {client: server, server: client}
        while not self.stop:
            ready, _, _ = select.select(list(ends), [], [], 0.2)
            for s in ready:
                data = s.recv(1 << 16)
                if not data:
                    return
                if s is client:
                    heard_client = True
                elif heard_client and self.first_answer is None:
                    self.first_answer = time.monotonic()
                ends[s].sendall(data)
                if s is server:
                    self.to_client += len(data)
                    self.last_to_client = time.monotonic()


def write_house(path, switches):
    house = {
        "server": {"control_file": "C:\\Varnholt\\Data\\Bench.vhc", "dawn": "06:45",
                   "dusk": "19:30", "dark": False, "paused": False, "muted": False},
        "users": [{"name": "demo", "password": "demo"}],
        "switches": [{"name": "Switch %05d" % i, "description": "Benchmark switch",
                      "kind": "x10", "status": "on" if i % 2 else "off"}
                     for i in range(switches)],
    }
    with open(path, "w") as f:
        json.dump(house, f)


def stored_rows(state):
    """Status samples and activity entries in the history store under `state` (0 without)."""
    path = os.path.join(state, "hearthview", "history.db")
    if not os.path.exists(path):
        return 0
    with sqlite3.connect(path) as db:
        return (db.execute("SELECT count(*) FROM samples").fetchone()[0] +
                db.execute("SELECT count(*) FROM log").fetchone()[0])


def descendants(pid):
    """Every process started below `pid`, children before grandchildren."""
    found, todo = [], [pid]
    while todo:
        parent = todo.pop(0)
        try:
            with open("/proc/%d/task/%d/children" % (parent, parent)) as f:
                children = [int(p) for p in f.read().split()]
        except OSError:
            children = []
        found += children
        todo += children
    return found


def cpu_ticks(pids):
    """The processor time the processes have used so far, in clock ticks."""
    ticks = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            ticks += int(fields[11]) + int(fields[12])  # utime, stime
        except (OSError, IndexError, ValueError):
            pass
    return ticks


def program_of(pid):
    """The hearthview process below /usr/bin/time (under a profiler's wrapper, if any)."""
    for child in descendants(pid):
        try:
            with open("/proc/%d/comm" % child) as f:
                if f.read().strip() == "hearthview":
                    return [child]
        except OSError:
            pass
    return descendants(pid)[:1]


def run_once(bin_dir, work, house, log_entries, history=True, wrap=()):
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    for sub in ("config", "data", "state", "tmp"):
        shutil.rmtree(os.path.join(work, sub), ignore_errors=True)
        os.makedirs(os.path.join(work, sub))
    env.update(HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_STATE_HOME=os.path.join(work, "state"),
               TMPDIR=os.path.join(work, "tmp"))
    procs = []
    try:
        xvfb, display = start_xvfb("1024x768x24", os.path.join(work, "xvfb.log"))
        procs.append(xvfb)
        if not display:
            raise RuntimeError("Xvfb did not say its display")
        env["DISPLAY"] = display

        port_file = os.path.join(work, "port")
        if os.path.exists(port_file):
            os.remove(port_file)
        sim_args = [os.path.join(bin_dir, "housesim"), "--listen", "127.0.0.1:0",
                    "--port-file", port_file, "--quiet",
                    "--log-capacity", str(max(log_entries, 1000))]
        if house:
            sim_args += ["--house", house]
        sim = subprocess.Popen(sim_args, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=env)
        procs.append(sim)
        for i in range(log_entries):
            sim.stdin.write(b"log Benchmark entry %d\n" % i)
        sim.stdin.flush()
        deadline = time.monotonic() + 60
        while not (os.path.exists(port_file) and open(port_file).read().strip()):
            if time.monotonic() > deadline:
                raise RuntimeError("housesim did not start")
            time.sleep(0.01)
        relay = Relay(int(open(port_file).read().strip()))
        if log_entries:
            # The console works through its lines before the client asks for the log.
            sim.stdin.write(b"log Benchmark entries written\n")
            sim.stdin.flush()
            time.sleep(1.0)

        registry = os.path.join(work, "registry.txt")
        write_auto_login_registry(registry, relay.port,
                                  ["number\tMax Log Entries\t%d" % max(log_entries, 100),
                                   "number\tRecord History\t%d" % (1 if history else 0)])
        subprocess.run([os.path.join(bin_dir, "hvreg"), "import", registry], env=env,
                       check=True, stdout=subprocess.DEVNULL)

        if xvfb.poll() is not None:
            raise RuntimeError("Xvfb ended: " + open(os.path.join(work, "xvfb.log")).read())
        watcher = MapWatcher(display, "Varnholt")
        time_file = os.path.join(work, "time.txt")
        env["QT_QPA_PLATFORM"] = "xcb"
        started = time.monotonic()
        client = subprocess.Popen(["/usr/bin/time", "-v", "-o", time_file] + list(wrap) +
                                  [os.path.join(bin_dir, "hearthview")], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(client)
        # A profiler slows the program many times over: it gets longer to start and go quiet.
        deadline = started + (600 if wrap else 60)
        quiet_s = 15 if wrap else 1.5
        while watcher.seen is None or relay.first_answer is None:
            if time.monotonic() > deadline or client.poll() is not None:
                raise RuntimeError("hearthview did not show its window and log in")
            select.select([watcher.fd], [], [], 0.005)
            watcher.poll()
        window_ms = (watcher.seen - started) * 1000
        login_ms = (relay.first_answer - started) * 1000
        # Let the whole house arrive: the relay goes quiet once it has sent it all, and the
        # program once it has worked through what waits in its socket (the history's writer
        # sets the pace when a whole log comes at once).
        children = program_of(client.pid)
        last, quiet_since = None, time.monotonic()
        while time.monotonic() - quiet_since < quiet_s and time.monotonic() < deadline:
            now = (relay.to_client, cpu_ticks(children))
            if last is None or now[0] != last[0] or now[1] > last[1] + 2:
                last, quiet_since = now, time.monotonic()
            time.sleep(0.05)
        # /usr/bin/time reports once the program it runs has ended: end that one.
        for child in children:
            os.kill(child, signal.SIGTERM)
        ended = time.monotonic()
        try:
            client.wait(timeout=30)
        except subprocess.TimeoutExpired:
            print("start_bench: hearthview did not end within 30 s of SIGTERM", file=sys.stderr)
            for child in children:
                os.kill(child, signal.SIGKILL)
            client.wait(timeout=30)
        exit_ms = (time.monotonic() - ended) * 1000
        # The client took the whole house: with the history on, a writer that cannot keep up
        # holds the window, and so its reading, back.
        received_ms = ((relay.last_to_client or started) - started) * 1000
        peak_kb = 0
        for line in open(time_file):
            if "Maximum resident set size" in line:
                peak_kb = int(line.split()[-1])
        relay.stop = True
        stored = stored_rows(os.path.join(work, "state"))
        print("start_bench: window %.0f ms, login %.0f ms, received %.0f ms, peak %d kB, ended"
              " %.0f ms after SIGTERM, %d rows of history"
              % (window_ms, login_ms, received_ms, peak_kb, exit_ms, stored), file=sys.stderr)
        return window_ms, login_ms, received_ms, peak_kb, relay.to_client, stored
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        print(__doc__, file=sys.stderr)
        return 2
    bin_dir = os.path.abspath(args[0])
    runs = int(args[args.index("--runs") + 1]) if "--runs" in args else 3
    as_json = "--json" in args
    only_big = args[args.index("--only") + 1] if "--only" in args else None
    wrap = args[args.index("--wrap") + 1].split() if "--wrap" in args else []
    work = tempfile.mkdtemp(prefix="hvbench-start-")
    try:
        big_house = os.path.join(work, "house-10000.json")
        write_house(big_house, 10000)
        results = []
        big = "10,000 switches, 100,000 log entries"
        for label, house, log_entries, history in (
                ("demo house", None, 0, True), (big, big_house, 100000, True),
                (big + ", history off", big_house, 100000, False)):
            if only_big and (house is None or history != (only_big == "big")):
                continue
            best = None
            peak = 0
            received = 0
            for _ in range(runs if house is None else 1):
                window_ms, login_ms, received_ms, peak_kb, received, stored = run_once(
                    bin_dir, work, house, log_entries, history, wrap)
                start_ms = max(window_ms, login_ms)
                if best is None or start_ms < best[0]:
                    best = (start_ms, window_ms, login_ms, received_ms)
                peak = max(peak, peak_kb)
            results.append({"house": label, "start_ms": best[0], "window_ms": best[1],
                            "login_ms": best[2], "received_ms": best[3], "peak_mb": peak / 1024.0,
                            "received_mb": received / 1e6, "history": history,
                            "history_rows": stored})
        for r in results:
            if as_json:
                print(json.dumps(r))
            else:
                print("%-52s start %7.1f ms (window %7.1f, login %7.1f)  peak %6.1f MB"
                      "  (%.1f MB received, %d rows of history)"
                      % (r["house"], r["start_ms"], r["window_ms"], r["login_ms"], r["peak_mb"],
                         r["received_mb"], r["history_rows"]))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
