#!/usr/bin/env python3
"""hvbridge against housesim and a mosquitto broker on loopback, with the issue's goals:
how long after the login a 1,000-item house is announced (discovery published), how long
status changes take from the server to the broker at 10,000 a second (the 99th percentile),
the bridge's CPU for each change beside the broker's own for the same messages, the bridge's
memory with 10,000 items, and its memory and CPU for the demo house while 100 snapshots flow.
The machine's load is printed with each burst; a burst counts only when two cores were free
(the one-minute load average at its start at most the cores less two, plus a half).

    hvbridge_bench.py BIN_DIR [--changes N] [--rate PER_SECOND] [--sweep R,R,...]
                      [--no-large] [--syscalls] [--json]

The server's changes are console commands to housesim (switch NAME on|off), written at the
rate; each one's latency runs from its write to the state message's arrival at a subscriber
(mosquitto_sub's own receive time), so housesim's handling is counted too (it writes a change
to its clients in the turn that reads the line, with no timer between). The writer sleeps
between writes rather than spin: on a small machine a spinning writer takes the core that
housesim, the bridge and the broker need. Lines that fall due while it sleeps go out in one
write, each timed from that write. --sweep measures further rates (5,000 and 2,000 a second
unless told) against the same bridge,
to show where the knee is. --syscalls counts the bridge's system calls per change over the
bursts with strace -c (which slows it, so the timings of that run mean little): on a busy
machine the count tells a change's cost more steadily than CPU seconds do."""
import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(done, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if done():
            return True
        time.sleep(0.005)
    return done()


class Subscriber:
    """mosquitto_sub with the arrival time of every message (seconds since 1970), written to
    a file: a pipe that the busy sender leaves unread would hold the subscriber up and make
    its times late."""

    def __init__(self, port, topics, path):
        args = ["mosquitto_sub", "-p", str(port), "-R", "-F", "%U %t %p"]
        for topic in topics:
            args += ["-t", topic]
        self.path = path
        self.out = open(path, "w")
        self.process = subprocess.Popen(args, stdout=self.out)
        self.skip = 0

    @property
    def messages(self):
        found = []
        with open(self.path, errors="replace") as f:
            for line in f.read().splitlines()[self.skip:]:
                parts = line.split(" ", 2)
                if len(parts) >= 2:
                    try:
                        found.append((float(parts[0]), parts[1], parts[2] if len(parts) > 2 else ""))
                    except ValueError:
                        pass
        return found

    def clear(self):
        with open(self.path, errors="replace") as f:
            self.skip = len(f.read().splitlines())

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.out.close()


def drain(connection):
    try:
        while connection.recv(65536):
            pass
    except OSError:
        pass


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def house_file(folder, switches):
    path = os.path.join(folder, "house-%d.json" % switches)
    house = {"users": [{"name": "demo", "password": "demo"}],
             "switches": [{"name": "S%05d" % i, "kind": "io", "status": "off"}
                          for i in range(switches)]}
    with open(path, "w") as f:
        json.dump(house, f)
    return path


def strace_calls(path):
    """The total of calls in an strace -c summary, or 0."""
    with open(path) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] == "total":
                return int(fields[3])
    return 0


def stop_all(procs):
    for p in reversed(procs):
        p.terminate()
        p.wait()


def memory_mb(pid):
    """The process's peak (VmHWM) and present (VmRSS) resident memory, in MB."""
    found = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key = line.split(":", 1)[0]
            if key in ("VmHWM", "VmRSS"):
                found[key] = int(line.split()[1]) / 1024
    return found


def start_bridge(bin_dir, server_port, broker_port, password, env, log):
    return subprocess.Popen([os.path.join(bin_dir, "hvbridge"), "--server",
                             "127.0.0.1:%d" % server_port, "--user", "demo", "--password-file",
                             password, "--broker", "127.0.0.1:%d" % broker_port], env=env,
                            stderr=open(log, "w"))


def burst(control, sub, procs, switches, changes, rate, counter):
    """`changes` status changes at `rate` a second; their latencies and who was busy."""
    sub.clear()
    cpu_before = [cpu_seconds(p.pid) for p in procs]
    load_before = os.getloadavg()[0]
    sent = []
    start = time.time()
    i = 0
    while i < changes:
        due = min(changes, int((time.time() - start) * rate) + 1)
        if due > i:
            lines = []
            for j in range(i, due):
                k = counter[0] + j
                name = "S%05d" % (k % switches)
                # Every change changes: a switch goes on in even rounds, off in odd ones.
                state = "on" if (k // switches) % 2 == 0 else "off"
                lines.append('switch "%s" %s\n' % (name, state))
            t = time.time()
            control.sendall("".join(lines).encode())
            sent.extend((t, "S%05d" % ((counter[0] + j) % switches)) for j in range(i, due))
            i = due
        time.sleep(0.0005)
    counter[0] += changes
    wait_for(lambda: len(sub.messages) >= changes, 30)
    messages = sub.messages
    result = {"changes": changes, "target_rate": rate,
              "load": [round(load_before, 2), round(os.getloadavg()[0], 2)],
              # Who was busy: the broker, housesim and the bridge, in CPU seconds of the burst.
              "cpu_s": [round(cpu_seconds(p.pid) - b, 2) for p, b in zip(procs, cpu_before)]}
    # The bridge's own CPU for one change (its two threads, the kernel's work for them
    # included): what the rate costs it, whatever the rest of the machine is doing.
    result["bridge_us_per_change"] = round(result["cpu_s"][2] / changes * 1e6, 1)
    # The broker handles the same messages (the bridge's publishes, a subscriber's delivery).
    result["broker_us_per_change"] = round(result["cpu_s"][0] / changes * 1e6, 1)
    result["counts"] = load_before <= (os.cpu_count() or 1) - 2 + 0.5
    # The goal: the bridge spends no more on a change than the broker spends on its messages.
    result["bridge_within_broker"] = result["cpu_s"][2] <= result["cpu_s"][0]
    if messages:
        span = messages[-1][0] - messages[0][0]
        result["arrival_rate"] = len(messages) / span if span > 0 else 0
    arrivals = {}
    for t, topic, _ in messages:
        arrivals.setdefault(topic.split("/")[3].rsplit("_", 1)[0], []).append(t)
    latencies = []
    seen = {}
    for t, name in sent:
        k = seen.get(name.lower(), 0)
        seen[name.lower()] = k + 1
        times = arrivals.get(name.lower(), [])
        if k < len(times):
            latencies.append((times[k] - t) * 1000)
    latencies.sort()
    result["delivered"] = len(latencies)
    result["rate"] = changes / (sent[-1][0] - sent[0][0]) if sent[-1][0] > sent[0][0] else 0
    if latencies:
        result["p50_ms"] = latencies[len(latencies) // 2]
        result["p99_ms"] = latencies[min(len(latencies) - 1, int(len(latencies) * 0.99))]
        result["max_ms"] = latencies[-1]
    return result


def run(bin_dir, folder, switches, changes, rates=(10000,), syscalls=False):
    broker_port, server_port, control_port = free_port(), free_port(), free_port()
    conf = os.path.join(folder, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write("listener %d 127.0.0.1\nallow_anonymous true\n" % broker_port)
    password = os.path.join(folder, "password")
    with open(password, "w") as f:
        f.write("demo\n")
    os.chmod(password, 0o600)
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(folder, "state-%d" % switches))
    procs = [subprocess.Popen(["/usr/sbin/mosquitto", "-c", conf], stderr=subprocess.DEVNULL),
             subprocess.Popen([os.path.join(bin_dir, "housesim"), "--listen",
                               "127.0.0.1:%d" % server_port, "--house",
                               house_file(folder, switches), "--quiet", "--no-console",
                               "--control", "127.0.0.1:%d" % control_port],
                              # Its lines would go into the --json output.
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    result = {"items": switches, "bursts": []}
    try:
        time.sleep(0.5)
        sub = Subscriber(broker_port, ["homeassistant/#", "hearthview/+/switch/+/state"],
                         os.path.join(folder, "sub-%d.txt" % switches))
        time.sleep(0.3)
        start = time.time()
        bridge = start_bridge(bin_dir, server_port, broker_port, password, env,
                              os.path.join(folder, "hvbridge.log"))
        procs.append(bridge)
        announced = lambda: [m for m in sub.messages if m[1].startswith("homeassistant/device/")]
        if not wait_for(announced, 30):
            raise RuntimeError("the house was not announced")
        result["announce_ms"] = (announced()[0][0] - start) * 1000
        wait_for(lambda: len(sub.messages) > 0, 30)
        time.sleep(1)
        memory = memory_mb(bridge.pid)
        result["peak_mb"], result["rss_mb"] = memory["VmHWM"], memory["VmRSS"]
        if changes:
            control = socket.create_connection(("127.0.0.1", control_port))
            # housesim answers every console line; unread answers would hold it up.
            threading.Thread(target=drain, args=(control,), daemon=True).start()
            counter = [0]
            tracer = None
            if syscalls:
                summary = os.path.join(folder, "strace.txt")
                tracer = subprocess.Popen(["strace", "-c", "-f", "-o", summary, "-p",
                                           str(bridge.pid)], stderr=subprocess.DEVNULL)
                time.sleep(0.5)
            for rate in rates:
                result["bursts"].append(burst(control, sub, procs, switches, changes, rate,
                                              counter))
            control.close()
            if tracer:
                tracer.send_signal(signal.SIGINT)
                tracer.wait()
                result["syscalls_per_change"] = round(
                    strace_calls(summary) / (changes * len(rates)), 1)
            result.update(result["bursts"][0])
        sub.stop()
    finally:
        stop_all(procs)
    return result


def pictures(bin_dir, folder, snaps=100):
    """The demo house, its cameras snapped `snaps` times through the broker: the bridge's peak
    memory while the pictures flow and its CPU for them."""
    broker_port, server_port = free_port(), free_port()
    conf = os.path.join(folder, "mosquitto-demo.conf")
    with open(conf, "w") as f:
        f.write("listener %d 127.0.0.1\nallow_anonymous true\n" % broker_port)
    password = os.path.join(folder, "password")
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(folder, "state-demo"))
    procs = [subprocess.Popen(["/usr/sbin/mosquitto", "-c", conf], stderr=subprocess.DEVNULL),
             subprocess.Popen([os.path.join(bin_dir, "housesim"), "--listen",
                               "127.0.0.1:%d" % server_port, "--quiet", "--no-console"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    result = {}
    try:
        time.sleep(0.5)
        sub = Subscriber(broker_port, ["hearthview/+/camera/+/thumbnail"],
                         os.path.join(folder, "sub-demo.txt"))
        bridge = start_bridge(bin_dir, server_port, broker_port, password, env,
                              os.path.join(folder, "hvbridge-demo.log"))
        procs.append(bridge)
        if not wait_for(lambda: len(sub.messages) > 0, 30):
            raise RuntimeError("no camera picture arrived")
        cameras = sorted({m[1].rsplit("/", 1)[0] for m in sub.messages})
        time.sleep(1)
        sub.clear()
        cpu_before = cpu_seconds(bridge.pid)
        for i in range(snaps):
            subprocess.run(["mosquitto_pub", "-p", str(broker_port), "-t",
                            cameras[i % len(cameras)] + "/snap", "-m", "SNAP"], check=True)
        wait_for(lambda: len(sub.messages) >= snaps, 60)
        result["snaps"] = snaps
        result["pictures"] = len(sub.messages)
        result["cpu_s"] = round(cpu_seconds(bridge.pid) - cpu_before, 2)
        result["peak_mb"] = memory_mb(bridge.pid)["VmHWM"]
        sub.stop()
    finally:
        stop_all(procs)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--changes", type=int, default=20000)
    parser.add_argument("--rate", type=float, default=10000, help="changes a second")
    parser.add_argument("--sweep", default="5000,2000",
                        help="further rates, comma-separated (\"\" for none)")
    parser.add_argument("--no-large", action="store_true", help="skip the 10,000-item house")
    parser.add_argument("--syscalls", action="store_true",
                        help="count the bridge's system calls per change (strace -c)")
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    if args.syscalls and shutil.which("strace") is None:
        parser.error("--syscalls needs strace (apt-get install strace)")
    rates = [args.rate] + [float(r) for r in args.sweep.split(",") if r]
    with tempfile.TemporaryDirectory(prefix="hvbridge-bench.") as folder:
        small = run(args.bin, folder, 1000, args.changes, rates, args.syscalls)
        large = {} if args.no_large else run(args.bin, folder, 10000, 0)
        demo = pictures(args.bin, folder)
    small["large_peak_mb"] = large.get("peak_mb", 0)
    small["large_announce_ms"] = large.get("announce_ms", 0)
    small["large_rss_mb"] = large.get("rss_mb", 0)
    small["demo_pictures"] = demo
    if args.json:
        print(json.dumps(small))
    else:
        print("1,000 items announced %.0f ms after the start; %d of %d changes at %.0f/s, "
              "p50 %.1f ms, p99 %.1f ms; 10,000 items: %.1f MB settled, %.1f MB peak, announced "
              "in %.0f ms" %
              (small["announce_ms"], small.get("delivered", 0), small.get("changes", 0),
               small.get("rate", 0), small.get("p50_ms", 0), small.get("p99_ms", 0),
               small["large_rss_mb"], small["large_peak_mb"], small["large_announce_ms"]))
        if "syscalls_per_change" in small:
            print("the bridge made %.1f system calls per change over the bursts (under strace)" %
                  small["syscalls_per_change"])
        print("demo house: %d of %d snapshots, bridge CPU %.2f s, peak %.1f MB" %
              (demo.get("pictures", 0), demo.get("snaps", 0), demo.get("cpu_s", 0),
               demo.get("peak_mb", 0)))
        for b in small["bursts"]:
            print("  at %5.0f/s (load %.2f-%.2f on %d cores, %s): %d of %d, p50 %.1f ms, "
                  "p99 %.1f ms, max %.1f ms; CPU s broker/housesim/bridge %s; a change costs the "
                  "bridge %.0f us, the broker %.0f us (%s)" %
                  (b["rate"], b["load"][0], b["load"][1], os.cpu_count() or 1,
                   "counts" if b["counts"] else "does not count: fewer than two cores free",
                   b["delivered"], b["changes"], b.get("p50_ms", 0), b.get("p99_ms", 0),
                   b.get("max_ms", 0), b["cpu_s"], b["bridge_us_per_change"],
                   b["broker_us_per_change"],
                   "bridge within the broker's" if b["bridge_within_broker"]
                   else "bridge above the broker's"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
