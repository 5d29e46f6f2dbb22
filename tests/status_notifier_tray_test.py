#!/usr/bin/python3
"""The real program's tray icon on a desktop whose tray is a StatusNotifierItem host (as on
KDE Plasma, GNOME with the AppIndicator extension and the Wayland panels). The test plays
the desktop: it owns org.kde.StatusNotifierWatcher on a session bus of its own and says a
host is registered. It then checks, as such a host would use them, that the icon exports
its menu (the favourite with its check mark, then Open, Hide, About, Exit and History...), that the
menu's entries work when clicked and follow the favourite's status, that Activate (a click
on the icon) opens the hidden main window, that the icon flashes, and that Exit ends the
program cleanly. The icon offers its picture at 16 x 16 and at 32 x 32 for scaled screens.

Run it inside a session bus of its own:

    dbus-run-session -- /usr/bin/python3 tests/status_notifier_tray_test.py BIN_DIR
"""
import os
import subprocess
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

from desktop_session import DesktopSession, TimedOut, wait_for

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"
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
    """The desktop's watcher: takes items' registrations and says a host is there. It runs
    in a process of its own, so that it answers the program (which asks it whether a host
    is there every second) while the test waits on the program's answers."""

    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

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

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems":
                dbus.Array(["%s%s" % item for item in self.items], signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(True),
                "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return WATCHER_XML


def menu_entries(menu):
    """The exported menu's top level as (id, text, properties); "" for a separator."""
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), timeout=10)
    entries = []
    for child in layout[2]:
        item_id, props = int(child[0]), dict(child[1])
        text = "" if props.get("type") == "separator" else str(props.get("label", ""))
        entries.append((item_id, text.replace("_", ""), props))
    return entries


def serve_watcher():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
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
        watcher_args = [sys.executable, os.path.abspath(__file__), "--watcher"]
        session.started.append(subprocess.Popen(watcher_args, stdin=subprocess.DEVNULL))
        wait_for("the watcher", lambda: bus.name_has_owner(WATCHER))
        watcher = dbus.Interface(bus.get_object(WATCHER, "/StatusNotifierWatcher"), PROPERTIES)

        def registered_item():
            items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems")
            return str(items[0]).split("/", 1) if items else None

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
        click("Porch Light")
        wait_for("the favourite's check mark", lambda: int(
            entry("Porch Light")[2].get("toggle-state", 0)) == 1)
        wait_for("the icon to flash", lambda: picture() != quiet)
        wait_for("the icon to settle", lambda: picture() == quiet)

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
    if sys.argv[1:] == ["--watcher"]:
        serve_watcher()
    else:
        sys.exit(main())
