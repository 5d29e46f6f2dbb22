#!/usr/bin/python3
"""The switches list of the real program over the desktop's accessibility bus (AT-SPI), as a
screen reader or another assistive program sees it: a table of rows and columns with column
headers, a row's box a check box with its state, and its "Toggle" action switches the switch
through the server like a click.

Starts its own display (Xvfb), accessibility bus, housesim, and hearthview logged in to it
automatically, all with a throw-away home folder. Run it inside a session bus of its own:

    dbus-run-session -- /usr/bin/python3 tests/accessibility_switch_test.py BIN_DIR \
        [AT_SPI_BUS_LAUNCHER]
"""
import os

from desktop_session import accessibility_session, accessible_program, fresh, wait_for


def describe(node, depth=0, limit=6):
    """The accessible tree below node as indented "role: name" lines, for a failure report."""
    if node is None or depth > limit:
        return []
    try:
        lines = ["  " * depth + node.getRoleName() + ": " + (node.name or "")]
        for i in range(min(node.childCount, 12)):
            lines += describe(node.getChildAtIndex(i), depth + 1, limit)
    except Exception as error:  # a node that went away while we looked
        lines = ["  " * depth + "(gone: %s)" % error]
    return lines


def main():
    session, bin_dir, bus_launcher = accessibility_session("hv-a11y.")
    start = session.start

    def test():
        session.start_display("1280x1024x24")
        session.start_accessibility_bus(bus_launcher)
        session.log_in_to_housesim(bin_dir)
        start([os.path.join(bin_dir, "hearthview")], "hearthview.log")

        import pyatspi  # after the bus is up: the registry finds it when first used

        def application():
            return accessible_program(pyatspi)

        def switches_list():
            app = application()
            if app is None:
                return None
            pending = [app]
            while pending:
                node = pending.pop()
                if node is None:
                    continue
                if node.getRoleName() in ("tree", "tree table", "table"):
                    if node.childCount > 2 and node.getChildAtIndex(2).name == "Switch Name":
                        return node
                    continue
                pending.extend(node.getChildAtIndex(i) for i in range(node.childCount))
            return None

        tree = wait_for("the switches list", switches_list)
        columns = 0
        while "header" in tree.getChildAtIndex(columns).getRoleName():
            columns += 1

        def porch_row():
            fresh(tree)
            for index in range(columns, tree.childCount):
                if tree.getChildAtIndex(index).name == "Porch Light":
                    return index // columns - 1
            return None

        row = wait_for("the Porch Light row", porch_row)
        # A table a screen reader can walk by row and column, with the column's header.
        table = fresh(tree).queryTable()
        assert table.nColumns == columns, (table.nColumns, columns)
        assert table.nRows == tree.childCount // columns - 1, (table.nRows, tree.childCount)
        name_cell = table.getAccessibleAt(row, 2)
        assert name_cell is not None and name_cell.name == "Porch Light", name_cell
        assert table.getColumnHeader(2).name == "Switch Name"
        assert table.getColumnHeader(0).name == tree.getChildAtIndex(0).name
        assert table.getAccessibleAt(row, 0).getRoleName() == "check box"
        box = tree.getChildAtIndex((row + 1) * columns)
        assert box.getRoleName() == "check box", box.getRoleName()
        assert box.name == "Off", box.name
        assert not box.getState().contains(pyatspi.STATE_CHECKED)
        action = box.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        assert "toggle" in names, names
        action.doAction(names.index("toggle"))

        def switched_on():
            cell = fresh(tree).getChildAtIndex((row + 1) * columns)
            return cell.name == "On" and cell.getState().contains(pyatspi.STATE_CHECKED)

        wait_for("the server's answer in the row", switched_on)
        log = open(session.path("housesim.log")).read()
        assert log.count('Set switch status "Porch Light"') == 1, log
        assert 'Set switch status "Porch Light" 2' in log, log
        print("the box toggled over AT-SPI switched Porch Light on")

    def print_bus():
        # What the bus showed, first: the chattiest part of the report.
        try:
            import pyatspi
            for app in fresh(pyatspi.Registry.getDesktop(0)):
                print("\n".join(describe(fresh(app))[:60]))
        except Exception as bus_error:
            print("the accessibility bus could not be read:", bus_error)

    session.run(test, (("bus.log", 8), ("housesim.log", 6), ("hearthview.log", 12),
                       ("xvfb.log", 8)), print_bus)


if __name__ == "__main__":
    main()
