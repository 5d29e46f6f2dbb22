"""What the Python tests and benchmarks that run the real program share: a display of their
own (Xvfb) and a registry store set up for an automatic login to housesim."""
import os
import select
import subprocess
import time


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
