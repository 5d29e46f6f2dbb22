#!/usr/bin/python3
"""The real program's tray icon on a desktop whose tray is a StatusNotifierItem host (as on
KDE Plasma, GNOME with the AppIndicator extension and the Wayland panels). The test plays
the desktop: it owns org.kde.StatusNotifierWatcher on a session bus of its own and says a
host is registered. It then checks, as such a host would use them, that the icon exports
its menu (the favourite with its check mark, then Open, Hide, About, Exit and History...), that the
menu's entries work when clicked and follow the favourite's status, that Activate (a click
on the icon) opens the hidden main window, that a log entry makes the icon change ten
times, half a second apart, and that Exit ends the program cleanly. The icon offers its
picture at 16 x 16 and at 32 x 32 for scaled screens. The program follows the host without
asking it again and again: no question to the watcher and no new bus connection while
nothing changes; when the host goes and another comes, the icon moves to it.

Run it inside a session bus of its own:

    dbus-run-session -- /usr/bin/python3 tests/status_notifier_tray_test.py BIN_DIR
"""
import os
import subprocess
import sys
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

from desktop_session import DesktopSession, TimedOut, wait_for

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"
# The test's own handle on the host it plays.
CONTROL = "org.hearthview.TestHost"
MENU_TEXTS = ["Porch Light", "", "Open Main Control Window", "Hide Main Control Window",
              "About", "Exit", "History..."]

# Qt reads the watcher's properties through its introspection data: without them declared
# there it takes the desktop for one without a host.
WATCHER_XML = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>
"""


class Watcher(dbus.service.Object):
    """The desktop's watcher and host: takes items' registrations, says whether a host is
    there, counts the questions about that, and notes when an item's picture changes. It
    runs in a process of its own, so that it answers the program while the test waits on the
    program's answers."""

    def __init__(self, bus, host):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.host = host
        self.host_questions = 0
        self.icon_changes = []
        bus.add_signal_receiver(lambda: self.icon_changes.append(time.monotonic()),
                                signal_name="NewIcon", dbus_interface=ITEM)

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names either its object path or its bus name (then at the usual path).
        self.items.append((sender, service if service.startswith("/") else
                           "/StatusNotifierItem"))
        self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER)
    def StatusNotifierHostRegistered(self):
        pass

    @dbus.service.signal(WATCHER)
    def StatusNotifierHostUnregistered(self):
        pass

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if name == "IsStatusNotifierHostRegistered":
            self.host_questions += 1
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        self.host_questions += 1
        return self.properties()

    def properties(self):
        return {"RegisteredStatusNotifierItems":
                dbus.Array(["%s%s" % item for item in self.items], signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(self.host),
                "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        self.host_questions += 1
        return WATCHER_XML

    @dbus.service.method(CONTROL, in_signature="b")
    def SetHost(self, host):
        self.host = bool(host)
        if self.host:
            self.StatusNotifierHostRegistered()
        else:
            self.StatusNotifierHostUnregistered()

    @dbus.service.method(CONTROL, out_signature="u")
    def HostQuestions(self):
        return self.host_questions

    @dbus.service.method(CONTROL, out_signature="ad")
    def IconChanges(self):
        return dbus.Array(self.icon_changes, signature="d")


def menu_entries(menu):
    """The exported menu's top level as (id, text, properties); "" for a separator."""
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), timeout=10)
    entries = []
    for child in layout[2]:
        item_id, props = int(child[0]), dict(child[1])
        text = "" if props.get("type") == "separator" else str(props.get("label", ""))
        entries.append((item_id, text.replace("_", ""), props))
    return entries


def serve_watcher(host):
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, host)
    owned_name = dbus.service.BusName(WATCHER, bus)
    GLib.MainLoop().run()
    del watcher, owned_name


def main():
    bin_dir = sys.argv[1]
    session = DesktopSession("hv-sni.")
    env = session.env
    start = session.start

    bus = dbus.SessionBus()
    client = None
    try:
        def start_watcher(*options):
            watcher_args = [sys.executable, os.path.abspath(__file__), "--watcher", *options]
            process = subprocess.Popen(watcher_args, stdin=subprocess.DEVNULL)
            session.started.append(process)
            wait_for("the watcher", lambda: bus.name_has_owner(WATCHER))
            proxy = bus.get_object(WATCHER, "/StatusNotifierWatcher")
            return process, dbus.Interface(proxy, PROPERTIES), dbus.Interface(proxy, CONTROL)

        watcher_process, watcher, control = start_watcher()

        def registered_item(other_than=None):
            items = [str(i).split("/", 1)
                     for i in watcher.Get(WATCHER, "RegisteredStatusNotifierItems")]
            items = [i for i in items if i[0] != other_than]
            return items[-1] if items else None

        def connections():
            """The highest number a connection to the bus has been given so far."""
            return max(int(name.split(".")[-1]) for name in bus.list_names()
                       if name.startswith(":"))

        session.start_display("1024x768x24")
        session.log_in_to_housesim(bin_dir, ["number\tTray Icon Type\t2",
                                             "text\tFavourites\tSwitch:Porch Light%0A"])
        client = start([os.path.join(bin_dir, "hearthview")], "hearthview.log")

        sender, path = wait_for("the icon's registration", registered_item)
        item = bus.get_object(sender, "/" + path)
        item_props = dbus.Interface(item, PROPERTIES)
        menu_path = wait_for("the exported menu", lambda: (
            lambda p: p if p != "/NO_DBUSMENU" else None)(
                str(item_props.Get(ITEM, "Menu"))))
        menu = dbus.Interface(bus.get_object(sender, menu_path), MENU)

        # Sharp at 200 %: beside the 16 x 16 picture, the same art at 32 x 32, each pixel
        # doubled rather than smoothed.
        pictures = {(int(w), int(h)): bytes(data)
                    for w, h, data in item_props.Get(ITEM, "IconPixmap")}
        assert (16, 16) in pictures and (32, 32) in pictures, sorted(pictures)
        small, large = pictures[(16, 16)], pictures[(32, 32)]
        for y in range(32):
            for x in range(32):
                at, of = (y * 32 + x) * 4, ((y // 2) * 16 + x // 2) * 4
                assert large[at:at + 4] == small[of:of + 4], (x, y)

        def texts():
            return [text for _, text, _ in menu_entries(menu)]

        def entry(text):
            return next(e for e in menu_entries(menu) if e[1] == text)

        def click(text):
            menu.Event(entry(text)[0], "clicked", dbus.Int32(0, variant_level=1),
                       dbus.UInt32(0), timeout=10)

        # Once logged in, the favourite can be switched from the menu: it is enabled.
        wait_for("the menu " + repr(MENU_TEXTS), lambda: texts() == MENU_TEXTS and
                 bool(entry("Porch Light")[2].get("enabled", True)))
        porch = entry("Porch Light")[2]
        assert porch.get("toggle-type") == "checkmark", porch
        assert int(porch.get("toggle-state", 0)) == 0, porch

        def main_window_shown():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    "Varnholt \\(TM\\) Client"], env=env,
                                   capture_output=True, text=True)
            return found.returncode == 0 and found.stdout.strip() != ""

        wait_for("the main window", main_window_shown)

        # Nothing changes on the desktop: the program asks the watcher nothing, and makes no
        # new connection to the bus (it used to make one a second to ask).
        questions, highest = control.HostQuestions(), connections()
        time.sleep(3.5)
        assert control.HostQuestions() == questions, (
            "the program asked the watcher %d times in 3.5 s"
            % (control.HostQuestions() - questions))
        assert connections() == highest, (
            "%d new bus connections in 3.5 s" % (connections() - highest))

        click("Hide Main Control Window")
        wait_for("the main window to hide", lambda: not main_window_shown())
        # A click on the icon, as these hosts report it.
        dbus.Interface(item, ITEM).Activate(dbus.Int32(0), dbus.Int32(0), timeout=10)
        wait_for("Activate to open the main window", main_window_shown)

        # The favourite from the menu: housesim switches the light on, the mark follows, and
        # the new log entry makes the icon flash.
        def picture():
            return next(bytes(data) for w, h, data in item_props.Get(ITEM, "IconPixmap")
                        if int(w) == 16)

        quiet = picture()
        changes_before = len(control.IconChanges())
        click("Porch Light")
        wait_for("the favourite's check mark", lambda: int(
            entry("Porch Light")[2].get("toggle-state", 0)) == 1)
        wait_for("the icon to flash", lambda: picture() != quiet)

        def settled():
            times = control.IconChanges()
            return (picture() == quiet and time.monotonic() - times[-1] > 2.0 and
                    list(times[changes_before:]))

        # Ten ticks of alternating pictures, each tick a change: none skipped because the
        # timer fired a little early, none doubled.
        changes = wait_for("the icon to settle", settled)
        gaps = [round(b - a, 2) for a, b in zip(changes, changes[1:])]
        assert len(changes) >= 10 and len(changes) % 2 == 0, (len(changes), gaps)
        assert all(gap > 0.3 for gap in gaps), gaps
        assert sorted(gaps)[len(gaps) // 2] < 0.75, gaps
        print("icon changes: %d, seconds apart: %s" % (len(changes), gaps))

        # The host goes: the watcher leaves the bus. Another comes without a host at first,
        # then a host registers with it: the program puts its icon there anew, with its menu.
        first_item = sender
        watcher_process.terminate()
        watcher_process.wait()
        wait_for("the watcher to go", lambda: not bus.name_has_owner(WATCHER))
        watcher_process, watcher, control = start_watcher("--no-host")
        time.sleep(1.0)
        control.SetHost(True)
        sender, path = wait_for("the icon in the new host",
                                lambda: registered_item(other_than=first_item))
        menu_path = wait_for("the new icon's menu", lambda: (
            lambda p: p if p != "/NO_DBUSMENU" else None)(str(dbus.Interface(
                bus.get_object(sender, "/" + path), PROPERTIES).Get(ITEM, "Menu"))))
        menu = dbus.Interface(bus.get_object(sender, menu_path), MENU)
        wait_for("the new icon's menu " + repr(MENU_TEXTS), lambda: texts() == MENU_TEXTS)

        click("Exit")
        wait_for("the program to end", lambda: client.poll() is not None or None)
        if client.returncode != 0:
            raise AssertionError("hearthview ended with %d" % client.returncode)
        print("PASS")
        return 0
    except (TimedOut, AssertionError, dbus.DBusException, StopIteration) as error:
        print("FAIL: %r" % (error,))
        for log in ("hearthview.log", "housesim.log"):
            log_path = session.path(log)
            if os.path.exists(log_path):
                print("--- " + log)
                print(open(log_path).read()[-3000:])
        return 1
    finally:
        session.stop()


if __name__ == "__main__":
    if sys.argv[1:2] == ["--watcher"]:
        serve_watcher(sys.argv[2:] != ["--no-host"])
    else:
        sys.exit(main())
