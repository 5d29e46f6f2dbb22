"""What the Python tests and benchmarks that run the real program share: a display of their
own (Xvfb) and a registry store set up for an automatic login to housesim."""
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

# Generous: under the sanitizers, on a busy machine, the program takes many times longer to
# start and to answer than it does alone.
TIMEOUT_S = 90


class TimedOut(Exception):
    pass


def wait_for(what, done, timeout=TIMEOUT_S):
    """The first value of done() that is neither None nor False."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = done()
        if value is not None and value is not False:
            return value
        time.sleep(0.1)
    raise TimedOut("timed out waiting for " + what)


def read_line(fd, timeout):
    """The first line written to fd, without its end ("" on a time-out or an early end).

    Xvfb writes a display number and its newline in two writes, and ends itself if the
    second finds the pipe closed: closing it after the first read left, on a busy machine,
    a display that had just said its number and was already gone."""
    data = b""
    end = time.monotonic() + timeout
    while b"\n" not in data:
        ready, _, _ = select.select([fd], [], [], max(0.0, end - time.monotonic()))
        chunk = os.read(fd, 64) if ready else b""
        if not chunk:
            return ""
        data += chunk
    return data.split(b"\n", 1)[0].decode().strip()


def start_xvfb(screen, log_path, env=None, timeout=60):
    """Starts Xvfb with a screen of `screen` (WxHxDepth) and answers (process, ":N"), or
    (process, "") when it did not say its display within `timeout` seconds.

    Xvfb picks a free number itself and says which: a number chosen beforehand (as xvfb-run
    -a does) races with the other tests that start displays at the same time. It never
    resets: a reset, which Xvfb does whenever its last client leaves, drops a client that
    is connecting at that moment, and here the display check and the accessibility bus come
    and go just as the program connects."""
    display_read, display_write = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(display_write), "-screen", "0", screen, "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(display_write,), env=env, stdin=subprocess.DEVNULL,
        stdout=open(log_path, "w"), stderr=subprocess.STDOUT)
    os.close(display_write)
    number = read_line(display_read, timeout)
    os.close(display_read)
    return process, (":" + number if number else "")


def display_answers(env):
    """Whether the X server of env's DISPLAY takes a client."""
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def write_auto_login_registry(path, port, extra_lines=()):
    """An hvreg export at path that logs in to housesim on 127.0.0.1:port as "demo", with
    further "Client Settings" lines (hvreg's export form) after the login's."""
    with open(path, "w") as f:
        f.write("# hvreg export 1\n"
                "key\tSoftware\\Orvane LLC\\Varnholt\\Client Settings\n"
                "number\tAuto Login\t1\n"
                "text\tLoginSelName\thousesim\n"
                "text\tLoginAddress\t127.0.0.1\n"
                f"number\tLoginPort\t{port}\n"
                "text\tLoginUserName\tdemo\n"
                "text\tLoginPassword\tdemo\n")
        for line in extra_lines:
            f.write(line + "\n")


def fresh(node):
    """node, with what the accessibility bus library remembers of it and below it forgotten.
    The library keeps children, names and states from the first look and updates them only
    from events, which a script that never runs an event loop never receives: without this, a
    window looked at while it was still being built would stay half-built to us."""
    if node is not None:
        node.clear_cache()
    return node


def accessible_program(pyatspi, name="hearthview"):
    """The running program of that name on the accessibility bus, looked at afresh; None
    while it is not there."""
    for app in fresh(pyatspi.Registry.getDesktop(0)):
        if app is not None and app.name and name in app.name.lower():
            return fresh(app)
    return None


def accessibility_session(prefix):
    """The session of a test that reads the program over the accessibility bus, and the
    test's command line: BIN_DIR [AT_SPI_BUS_LAUNCHER]. Returns (session, bin_dir,
    bus_launcher)."""
    bin_dir = sys.argv[1]
    bus_launcher = sys.argv[2] if len(sys.argv) > 2 else "/usr/libexec/at-spi-bus-launcher"
    session = DesktopSession(prefix)
    session.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    return session, bin_dir, bus_launcher


class DesktopSession:
    """A temporary folder that stands in for the user's home and configuration, the
    environment that points the programs there, and the programs started in it (each with
    its log in the folder). stop() ends them all and removes the folder."""

    def __init__(self, prefix):
        self.work = tempfile.mkdtemp(prefix=prefix)
        self.env = dict(os.environ)
        for name, sub in (("HOME", ""), ("XDG_CONFIG_HOME", "config"),
                          ("XDG_DATA_HOME", "data"), ("TMPDIR", "tmp")):
            path = os.path.join(self.work, sub)
            os.makedirs(path, exist_ok=True)
            self.env[name] = path
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.started = []

    def path(self, name):
        return os.path.join(self.work, name)

    def start(self, args, log):
        process = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=open(self.path(log), "w"), stderr=subprocess.STDOUT)
        self.started.append(process)
        return process

    def start_display(self, screen):
        """Starts Xvfb (log xvfb.log) and sets DISPLAY once a client gets through to it."""
        xvfb, display = start_xvfb(screen, self.path("xvfb.log"), self.env, TIMEOUT_S)
        self.started.append(xvfb)
        if not display:
            raise TimedOut("timed out waiting for Xvfb to say its display")
        display_env = dict(self.env, DISPLAY=display)
        wait_for("display %s to take a client" % display,
                 lambda: xvfb.poll() is None and display_answers(display_env))
        self.env["DISPLAY"] = display

    def start_accessibility_bus(self, launcher):
        """Starts the accessibility bus (log bus.log) and waits until it owns its name: the
        program looks for the bus once, as it starts, and on a busy machine the launcher may
        not own its name yet, which would leave the program off the bus."""
        self.start([launcher, "--launch-immediately"], "bus.log")

        def bus_owned():
            reply = subprocess.run(
                ["dbus-send", "--session", "--dest=org.freedesktop.DBus", "--print-reply",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.a11y.Bus"], env=self.env, capture_output=True, text=True)
            return reply.returncode == 0 and "boolean true" in reply.stdout

        wait_for("the accessibility bus", bus_owned)

    def print_log_ends(self, logs):
        """The last lines of each (log, lines) that was written, for a failure report."""
        for log, lines in logs:
            path = self.path(log)
            if os.path.exists(path):
                print("---- %s (end)" % log)
                print("\n".join(open(path, errors="replace").read().splitlines()[-lines:]))

    def print_programs(self):
        """Whether each program started is still running, and whether the display answers."""
        for index, process in enumerate(self.started):
            print("process %d %s: %s" % (index, os.path.basename(process.args[0]),
                                        "running" if process.poll() is None
                                        else "ended with %s" % process.returncode))
        print("DISPLAY=%s; the display answers: %s"
              % (self.env.get("DISPLAY"), "DISPLAY" in self.env and display_answers(self.env)))

    def run(self, test, logs, report=None):
        """Runs test() and stops the session whatever happens. When a wait times out it prints
        report() (when given), the ends of the logs, the programs' states and the error last,
        so that a failure on a machine we cannot look at can still be understood (the build's
        report keeps only the end of a test's output), and exits with 1."""
        try:
            test()
        except TimedOut as error:
            if report is not None:
                report()
            sys.stdout.flush()
            self.print_log_ends(logs)
            self.print_programs()
            print(error)
            sys.exit(1)
        finally:
            self.stop()

    def log_in_to_housesim(self, bin_dir, extra_lines=()):
        """Starts housesim (log housesim.log) on a free port and stores an automatic login
        to it, with extra_lines as in write_auto_login_registry, for the program to find."""
        port_file = self.path("port")
        self.start([os.path.join(bin_dir, "housesim"), "--listen", "127.0.0.1:0",
                    "--port-file", port_file, "--no-console"], "housesim.log")
        port = wait_for("housesim", lambda: (open(port_file).read().strip() or None)
                        if os.path.exists(port_file) else None)
        registry = self.path("registry.txt")
        write_auto_login_registry(registry, port, extra_lines)
        subprocess.run([os.path.join(bin_dir, "hvreg"), "import", registry], env=self.env,
                       check=True)

    def stop(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in self.started:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        subprocess.run(["rm", "-rf", self.work])
