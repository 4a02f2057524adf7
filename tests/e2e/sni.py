#!/usr/bin/python3
"""A StatusNotifier watcher and host, and the calls a panel makes on an item.

  sni.py watcher            owns org.kde.StatusNotifierWatcher on the session
                            bus, registers a host with it, and prints one line
                            per event: "ready", "item SERVICE PATH" (then the
                            item's Title, Menu and icon as a panel reads them),
                            "gone SERVICE".
  sni.py props              the registered item's properties, one per line
  sni.py activate X Y       Activate(X, Y); prints the call's time in ms
  sni.py context-menu X Y   ContextMenu(X, Y); prints the call's time in ms
  sni.py menu               AboutToShow(0) then GetLayout on the item's menu:
                            one line per item "label|enabled|visible" (a
                            separator's label is "-")
  sni.py click LABEL        the "clicked" event on the visible item LABEL
"""
import os
import sys
import time

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"
TIMEOUT_MS = 5000

WATCHER_XML = """
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
</node>
"""


def say(*words):
    print(*words, flush=True)


def run_watcher():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    items = []  # "service/path" strings, as KDE's watcher lists them
    hosts = []
    node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)

    def read_item(service, path):
        # What a panel reads when an item appears.
        props = bus.call_sync(service, path, "org.freedesktop.DBus.Properties", "GetAll",
                              GLib.Variant("(s)", (ITEM_IFACE,)), GLib.VariantType("(a{sv})"),
                              Gio.DBusCallFlags.NONE, TIMEOUT_MS, None).unpack()[0]
        say("title", props.get("Title"))
        say("menu", props.get("Menu"))
        say("icon", " ".join("%dx%d" % (w, h) for w, h, _ in props.get("IconPixmap", [])))

    def forget(owner):
        for entry in list(items):
            if entry.split("/", 1)[0] == owner or entry.startswith(owner + "/"):
                items.remove(entry)
                bus.emit_signal(None, WATCHER_PATH, WATCHER, "StatusNotifierItemUnregistered",
                                GLib.Variant("(s)", (entry,)))
                say("gone", entry.split("/", 1)[0])

    def name_owner_changed(_conn, _sender, _path, _iface, _signal, params):
        name, _old, new = params.unpack()
        if not new:
            forget(name)

    bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
                         "/org/freedesktop/DBus", None, Gio.DBusSignalFlags.NONE, name_owner_changed)

    def method_call(_conn, sender, _path, _iface, method, params, invocation):
        (arg,) = params.unpack()
        if method == "RegisterStatusNotifierItem":
            if arg.startswith("/"):
                service, path = sender, arg
            else:
                service, path = arg, "/StatusNotifierItem"
            invocation.return_value(None)
            entry = service + path
            if entry not in items:
                items.append(entry)
                bus.emit_signal(None, WATCHER_PATH, WATCHER, "StatusNotifierItemRegistered",
                                GLib.Variant("(s)", (entry,)))
                say("item", service, path)
                GLib.idle_add(lambda: read_item(service, path) and False)
        else:
            hosts.append(arg)
            invocation.return_value(None)
            bus.emit_signal(None, WATCHER_PATH, WATCHER, "StatusNotifierHostRegistered", None)

    def get_property(_conn, _sender, _path, _iface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", items)
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", bool(hosts))
        return GLib.Variant("i", 0)

    bus.register_object(WATCHER_PATH, node.interfaces[0], method_call, get_property, None)
    loop = GLib.MainLoop()

    def acquired(_conn, _name):
        # The host: a panel registers itself with the watcher as any client.
        host = "org.kde.StatusNotifierHost-%d" % os.getpid()

        def registered(conn, result):
            conn.call_finish(result)
            say("ready")

        Gio.bus_own_name_on_connection(bus, host, Gio.BusNameOwnerFlags.NONE, None, None)
        bus.call(WATCHER, WATCHER_PATH, WATCHER, "RegisterStatusNotifierHost",
                 GLib.Variant("(s)", (host,)), None, Gio.DBusCallFlags.NONE, TIMEOUT_MS, None, registered)

    Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.DO_NOT_QUEUE, acquired,
                                   lambda *_: (say("watcher name lost"), loop.quit()))
    loop.run()


def the_item(bus):
    items = bus.call_sync(WATCHER, WATCHER_PATH, "org.freedesktop.DBus.Properties", "Get",
                          GLib.Variant("(ss)", (WATCHER, "RegisteredStatusNotifierItems")),
                          GLib.VariantType("(v)"), Gio.DBusCallFlags.NONE, TIMEOUT_MS, None).unpack()[0]
    if len(items) != 1:
        sys.exit("expected one registered item, found %r" % (items,))
    service, _, path = items[0].partition("/")
    return service, "/" + path


def call(bus, service, path, iface, method, args, reply_type=None):
    return bus.call_sync(service, path, iface, method, args,
                         GLib.VariantType(reply_type) if reply_type else None,
                         Gio.DBusCallFlags.NONE, TIMEOUT_MS, None)


def menu_items(bus, service, menu_path):
    call(bus, service, menu_path, MENU_IFACE, "AboutToShow", GLib.Variant("(i)", (0,)), "(b)")
    _revision, (_root, _props, children) = call(
        bus, service, menu_path, MENU_IFACE, "GetLayout",
        GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))").unpack()
    out = []
    for child in children:
        item_id, props, _ = child
        separator = props.get("type") == "separator"
        out.append((item_id, "-" if separator else props.get("label", ""),
                    props.get("enabled", True), props.get("visible", True)))
    return out


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "watcher":
        return run_watcher()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    service, path = the_item(bus)
    if command == "props":
        props = call(bus, service, path, "org.freedesktop.DBus.Properties", "GetAll",
                     GLib.Variant("(s)", (ITEM_IFACE,)), "(a{sv})").unpack()[0]
        for key in ("Id", "Title", "Status", "Menu", "ItemIsMenu"):
            say(key, props.get(key))
        say("IconPixmap", " ".join("%dx%d" % (w, h) for w, h, _ in props.get("IconPixmap", [])))
        say("ToolTip", repr(props.get("ToolTip", ("", [], "", ""))[2]))
    elif command in ("activate", "context-menu"):
        method = "Activate" if command == "activate" else "ContextMenu"
        x, y = int(sys.argv[2]), int(sys.argv[3])
        start = time.monotonic()
        call(bus, service, path, ITEM_IFACE, method, GLib.Variant("(ii)", (x, y)))
        say(int((time.monotonic() - start) * 1000))
    elif command in ("menu", "click"):
        menu_path = call(bus, service, path, "org.freedesktop.DBus.Properties", "Get",
                         GLib.Variant("(ss)", (ITEM_IFACE, "Menu")), "(v)").unpack()[0]
        if menu_path in ("", "/", "/NO_DBUSMENU"):
            sys.exit("the item exports no menu (%s)" % menu_path)
        items = menu_items(bus, service, menu_path)
        if command == "menu":
            for _id, label, enabled, visible in items:
                say("%s|%s|%s" % (label, str(enabled).lower(), str(visible).lower()))
        else:
            ids = [i for i, label, _e, visible in items if label == sys.argv[2] and visible]
            if len(ids) != 1:
                sys.exit("no single visible item %r in %r" % (sys.argv[2], items))
            call(bus, service, menu_path, MENU_IFACE, "Event",
                 GLib.Variant("(isvu)", (ids[0], "clicked", GLib.Variant("i", 0), 0)))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
