#!/usr/bin/python3
"""The house's history through the real programs: hearthview, logged in to an animated
housesim, keeps what it receives; that housesim stops and a second one takes its place on the
same port (the same house, a new session), hearthview reconnects by itself, and the History
window, opened with the main window's "History..." button and read over the accessibility
bus as a screen reader reads it, shows events of both sessions and the lost connection
between them.

Starts its own display (Xvfb), accessibility bus and programs, with a throw-away home folder.
Run it inside a session bus of its own:

    dbus-run-session -- /usr/bin/python3 tests/history_window_test.py BIN_DIR \
        [AT_SPI_BUS_LAUNCHER]
"""
import os
import signal
import subprocess
import sys
import time

from desktop_session import (DesktopSession, TimedOut, accessible_program, wait_for,
                             write_auto_login_registry)

# Every 200 ms a sensor trips or clears, a door opens or closes, a temperature drifts.
ANIMATION = ["--animate-period", "200"]
# Long enough for a good number of changes, short enough for a test.
SESSION_S = 4


def nodes(node, roles):
    """Every node below node with one of roles, depth first."""
    pending = [node]
    while pending:
        current = pending.pop()
        try:
            if current is None:
                continue
            if current.getRoleName() in roles:
                yield current
            pending.extend(current.getChildAtIndex(i) for i in range(current.childCount))
        except Exception:  # a node that went away while we looked (a window being built)
            continue


def main():
    bin_dir = sys.argv[1]
    bus_launcher = sys.argv[2] if len(sys.argv) > 2 else "/usr/libexec/at-spi-bus-launcher"
    session = DesktopSession("hv-history.")
    env = session.env
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    env["XDG_STATE_HOME"] = session.path("state")
    housesim = os.path.join(bin_dir, "housesim")

    def logins(log):
        path = session.path(log)
        return open(path, errors="replace").read().count("Get dawn dusk") if os.path.exists(
            path) else 0

    try:
        session.start_display("1280x1024x24")
        session.start_accessibility_bus(bus_launcher)
        port_file = session.path("port")
        first = session.start([housesim, "--listen", "127.0.0.1:0", "--port-file", port_file,
                               "--no-console"] + ANIMATION, "housesim.log")
        port = wait_for("housesim", lambda: (open(port_file).read().strip() or None)
                        if os.path.exists(port_file) else None)
        registry = session.path("registry.txt")
        write_auto_login_registry(registry, port)
        subprocess.run([os.path.join(bin_dir, "hvreg"), "import", registry], env=env,
                       check=True)
        session.start([os.path.join(bin_dir, "hearthview")], "hearthview.log")
        wait_for("the first login", lambda: logins("housesim.log") >= 1)
        time.sleep(SESSION_S)

        # The first server goes; the second serves the same house on the same port.
        between = time.time()
        first.send_signal(signal.SIGTERM)
        first.wait(timeout=30)
        time.sleep(1.5)  # whole seconds apart: the table's times have seconds
        session.start([housesim, "--listen", "127.0.0.1:" + port, "--no-console"] + ANIMATION,
                      "housesim2.log")
        wait_for("the login to the second server", lambda: logins("housesim2.log") >= 1)
        time.sleep(SESSION_S)

        import pyatspi  # after the bus is up: the registry finds it when first used

        def application():
            return accessible_program(pyatspi)

        def history_button():
            app = application()
            for node in nodes(app, ("push button",)) if app is not None else ():
                if node.name == "History...":
                    return node
            return None

        button = wait_for("the History... button", history_button)
        action = button.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        action.doAction(names.index("press"))

        def events_table():
            for table in nodes(application(), ("table", "tree table", "tree")):
                try:
                    headers = [table.getChildAtIndex(i).name
                               for i in range(min(6, table.childCount))]
                except Exception:
                    continue
                if headers == ["Time", "Kind", "Name", "State", "Value", "Message"]:
                    return table
            return None

        table = wait_for("the History window's events", events_table).queryTable()

        def filled_rows():
            # The window reads on a worker: its rows come a moment after it opens.
            found = [[table.getAccessibleAt(row, column).name for column in range(6)]
                     for row in range(table.nRows)]
            return found if any(row[1] in ("Switch", "Sensor") for row in found) else None

        rows = wait_for("the History window's rows", filled_rows)
        # The table writes times as the rest of the program does, 12/31/2026 06:05:09 PM.
        for row in rows:
            row[0] = time.strftime("%Y-%m-%d %H:%M:%S",
                                   time.strptime(row[0], "%m/%d/%Y %I:%M:%S %p"))
        stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(between))
        changes = [row for row in rows if row[1] in ("Switch", "Sensor")]
        before = [row for row in changes if row[0] < stamp]
        after = [row for row in changes if row[0] > stamp]
        lost = [row for row in rows if row[1] == "Log" and row[2] == "Connection terminated"]
        print("%d rows: %d changes before %s, %d after, %d lost-connection entries"
              % (len(rows), len(before), stamp, len(after), len(lost)))
        failures = []
        if len(before) < 2:
            failures.append("the first session's changes are missing")
        if len(after) < 2:
            failures.append("the second session's changes are missing")
        if not lost:
            failures.append("the lost connection between the sessions is missing")
        if failures:
            print("\n".join(" | ".join(row) for row in rows[:40]))
            print("; ".join(failures))
            sys.exit(1)
        print("the History window shows both sessions")
    except TimedOut as error:
        sys.stdout.flush()
        session.print_log_ends((("bus.log", 8), ("housesim.log", 6), ("housesim2.log", 6),
                                ("hearthview.log", 20)))
        print(error)
        sys.exit(1)
    finally:
        session.stop()


if __name__ == "__main__":
    main()
