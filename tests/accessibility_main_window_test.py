"""The assistive-technology side of accessibility_main_window_test.sh: finds hearthview's main
window over AT-SPI and works its controls through their actions, as a screen reader does.
The argument is housesim's log, where the requests the client sent are read back."""
import sys
import time

import pyatspi

housesim_log = sys.argv[1]


# Generous: under the sanitizers, on a machine running other tests, the program takes many
# times longer to start and to answer the bus than it does alone.
def wait_for(check, seconds=60.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = check()
        if result:
            return result
        time.sleep(0.1)
    return check()


def fresh(node):
    """node, with what the bus library remembers of it and below it forgotten: it keeps
    children, names and states from the first look and updates them only from events, which
    this script (it runs no event loop) never receives."""
    node.clear_cache()
    return node


def application():
    desktop = fresh(pyatspi.Registry.getDesktop(0))
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name == "hearthview":
            return app
    return None


def controls(node):
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is None:
            continue
        if child.getRoleName() in ("check box", "push button", "text", "entry"):
            yield child
        yield from controls(child)


def control(app, name, role):
    for node in controls(fresh(app)):
        if node.name == name and node.getRoleName() == role:
            return node
    return None


def act(node, action_name):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if action_name not in names:
        raise AssertionError(f"{node.name!r} offers {names}, not {action_name}")
    action.doAction(names.index(action_name))


def requests(name):
    with open(housesim_log, encoding="utf-8", errors="replace") as log:
        return sum(1 for line in log if line.rstrip().endswith(": " + name) or
                   (": " + name + " ") in line)


def checked(node):
    return fresh(node).getState().contains(pyatspi.STATE_CHECKED)


failures = []


def expect(condition, text):
    if not condition:
        failures.append(text)
        print("not as expected:", text)


app = wait_for(application)
if app is None:
    print("hearthview is not on the accessibility bus")
    sys.exit(1)

# Captions are the names a screen reader says (mnemonic marks left out).
for name, role in (("Mute", "check box"), ("Pause\nMacros", "check box"),
                   ("Split View", "check box"), ("Setup", "push button"),
                   ("Exit", "push button"), ("Add Log Message:", "push button"),
                   # The log's search row is reached by its label's words.
                   ("Search:", "text"), ("Regular expression", "check box"),
                   ("Export...", "push button"),
                   # The website's picture button says what it opens.
                   ("Varnholt Web Site", "push button")):
    expect(wait_for(lambda: control(app, name, role)) is not None, f"{role} {name!r}")

# Toggle on "Mute" runs the command each time, and the box follows.
mute = control(app, "Mute", "check box")
if mute is not None:
    before = requests("Set mute")
    act(mute, "Toggle")
    expect(wait_for(lambda: requests("Set mute") == before + 1), "Set mute after Toggle")
    expect(wait_for(lambda: checked(mute)), "Mute checked after Toggle")
    act(mute, "Toggle")
    expect(wait_for(lambda: requests("Set mute") == before + 2), "Set mute after a second Toggle")
    expect(wait_for(lambda: not checked(mute)), "Mute cleared after a second Toggle")
    time.sleep(0.5)
    expect(requests("Set mute") == before + 2, "each Toggle sends once")

# Press on the day/night button (its caption is the server's state by now).
day_night = wait_for(lambda: control(app, "Day", "push button") or
                     control(app, "Night", "push button"))
expect(day_night is not None, "the Day/Night button named by the state")
if day_night is not None:
    before = requests("Set light dark")
    act(day_night, "Press")
    expect(wait_for(lambda: requests("Set light dark") == before + 1), "Set light dark after Press")

sys.exit(1 if failures else 0)
