#!/usr/bin/env python3
"""What scripts/panels asks the session bus and the stand-in.

  panels-probe.py items                 the watcher's registered items, one a line
  panels-probe.py props ITEM            the item's label, title, icon name and a digest of
                                        its pixmaps, as key=value lines
  panels-probe.py menu ITEM             the item's dbusmenu, one "id<TAB>label" a line
                                        (separators as "id<TAB>-"); exits 1 without a menu
  panels-probe.py click ITEM LABEL      sends Event(id, "clicked") to the entry LABEL
  panels-probe.py gnome-shot X Y W H FILE
                                        org.gnome.Shell.Screenshot.ScreenshotArea
  panels-probe.py polls PORT            the stand-in's /api/chrome.php requests, one
                                        "time<TAB>status<TAB>body" a line
  panels-probe.py standin PORT PATH [BODY]
                                        POST BODY (or GET) to the stand-in's PATH

ITEM is an entry of the watcher's list: "busname/object/path", or a bare bus name.
Errors go to standard error with exit status 1: the caller decides what they mean.
"""

import hashlib
import json
import sys
import time
import urllib.request

WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
PROPERTIES = "org.freedesktop.DBus.Properties"
TIMEOUT = 10  # seconds; a busy machine, but an answer that slow is a fault worth seeing


def bus():
    import dbus  # only the bus commands need python3-dbus

    return dbus, dbus.SessionBus()


def split_item(entry):
    # Watchers store "name/path", some ":1.42/path", old ones the bare name.
    slash = entry.find("/")
    if slash < 0:
        return entry, "/StatusNotifierItem"
    return entry[:slash], entry[slash:]


def items():
    dbus, session = bus()
    watcher = session.get_object(*WATCHER, introspect=False)
    listed = watcher.Get(WATCHER[0], "RegisteredStatusNotifierItems", dbus_interface=PROPERTIES,
                         timeout=TIMEOUT)
    for entry in listed:
        print(str(entry))


def item_properties(entry):
    dbus, session = bus()
    name, path = split_item(entry)
    item = session.get_object(name, path, introspect=False)
    return dbus, session, name, item.GetAll(ITEM_INTERFACE, dbus_interface=PROPERTIES,
                                            timeout=TIMEOUT)


def props(entry):
    _, _, _, values = item_properties(entry)
    digest = hashlib.sha1()
    sizes = []
    for width, height, data in values.get("IconPixmap", []):
        digest.update(bytes(data))
        sizes.append(f"{int(width)}x{int(height)}")
    for key in ("Id", "Title", "Status", "Category", "IconName", "XAyatanaLabel", "Menu",
                "ItemIsMenu", "IconAccessibleDesc"):
        if key in values:
            print(f"{key}={values[key]}")
    tooltip = values.get("ToolTip")
    if tooltip is not None:
        print(f"ToolTip={tooltip[2]} | {tooltip[3]}")
    print(f"IconPixmap={','.join(sizes)} sha1:{digest.hexdigest()[:12]}")


def menu_entries(entry):
    dbus, session, name, values = item_properties(entry)
    path = values.get("Menu")
    if not path or str(path) == "/":
        raise RuntimeError("the item has no Menu object path")
    menu = session.get_object(name, str(path), introspect=False)
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"),
                               dbus_interface="com.canonical.dbusmenu", timeout=TIMEOUT)
    found = []

    def walk(node):
        node_id, properties, children = node
        if node_id != 0 and properties.get("visible", True):
            if properties.get("type", "standard") == "separator":
                found.append((int(node_id), "-"))
            else:
                found.append((int(node_id), str(properties.get("label", ""))))
        for child in children:
            walk(child)

    walk(layout)
    return dbus, menu, found


def menu(entry):
    _, _, found = menu_entries(entry)
    for node_id, label in found:
        print(f"{node_id}\t{label}")


def click(entry, wanted):
    dbus, menu_object, found = menu_entries(entry)
    # Labels may carry a mnemonic underscore ("_Quit").
    ids = [i for i, label in found if label.replace("_", "") == wanted.replace("_", "")]
    if not ids:
        raise RuntimeError(f"no menu entry {wanted!r}")
    menu_object.Event(ids[0], "clicked", dbus.Int32(0, variant_level=1),
                      dbus.UInt32(int(time.time())), dbus_interface="com.canonical.dbusmenu",
                      timeout=TIMEOUT)


def gnome_shot(x, y, width, height, filename):
    _, session = bus()
    shell = session.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot")
    ok, used = shell.ScreenshotArea(int(x), int(y), int(width), int(height), False, filename,
                                    dbus_interface="org.gnome.Shell.Screenshot", timeout=60)
    if not ok:
        raise RuntimeError("ScreenshotArea answered false")
    print(used)


def standin(port, path, body=None):
    request = urllib.request.Request(f"http://127.0.0.1:{port}{path}",
                                     data=body.encode() if body is not None else None)
    with urllib.request.urlopen(request, timeout=30) as reply:
        return reply.read().decode()


def polls(port):
    for entry in json.loads(standin(port, "/__log")):
        if entry.get("path") == "/api/chrome.php" and "shownotify" in entry.get("query", ""):
            print(f"{entry.get('time')}\t{entry.get('status')}\t{entry.get('body')}")


def main(argv):
    commands = {
        "items": (items, 0),
        "props": (props, 1),
        "menu": (menu, 1),
        "click": (click, 2),
        "gnome-shot": (gnome_shot, 5),
        "polls": (polls, 1),
        "standin": (lambda *a: print(standin(*a)), None),
    }
    if len(argv) < 2 or argv[1] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    function, count = commands[argv[1]]
    args = argv[2:]
    if count is not None and len(args) != count:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        function(*args)
    except Exception as error:  # noqa: BLE001 - reported, the caller judges
        print(f"panels-probe {argv[1]}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
