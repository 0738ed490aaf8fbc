#!/usr/bin/env python3
"""A desktop panel's StatusNotifierWatcher and host, as KDE's, XFCE's or GNOME's AppIndicator
extension run one, on the session bus given by DBUS_SESSION_BUS_ADDRESS. It takes the items that
register and reads each the way a panel does, over D-Bus: the item's properties (Status, ToolTip,
IconPixmap, Menu, ...) and its menu's layout (com.canonical.dbusmenu GetLayout). It reads them
again whenever the item says something changed (NewToolTip, NewIcon, NewStatus, the menu's
LayoutUpdated) and appends every reading as one JSON line to the file given as the argument.

    python3 status_watcher.py <record.jsonl>
"""
import hashlib
import json
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
XML = """
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

record_path = sys.argv[1]
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
items = {}  # bus name of the item -> object path
readings = 0


def call(name, path, interface, method, args, reply):
    return bus.call_sync(name, path, interface, method, args, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 5000, None).unpack()


def flatten(node):
    """A dbusmenu layout node (id, properties, children) as a plain dictionary."""
    ident, props, children = node
    out = {"id": ident}
    for key in ("label", "type", "toggle-type", "toggle-state", "enabled", "visible",
                "children-display"):
        if key in props:
            out[key] = props[key]
    out["children"] = [flatten(c) for c in children]
    return out


def read(name, why):
    global readings
    path = items[name]
    props = call(name, path, "org.freedesktop.DBus.Properties", "GetAll",
                 GLib.Variant("(s)", (ITEM,)), "(a{sv})")[0]
    tip = props.get("ToolTip", ("", [], "", ""))
    entry = {
        "why": why,
        "service": name,
        "id": props.get("Id"),
        "title": props.get("Title"),
        "status": props.get("Status"),
        "category": props.get("Category"),
        "tooltip": tip[2],
        "tooltip_text": tip[3],
        "icon_sizes": sorted(w for (w, h, data) in props.get("IconPixmap", [])),
        # A fingerprint of the 22-pixel picture: which of the states it shows.
        "icon22": [hashlib.md5(bytes(data)).hexdigest() for (w, h, data) in props.get("IconPixmap", [])
                   if w == 22],
        "menu_path": props.get("Menu"),
    }
    if entry["menu_path"]:
        revision, layout = call(name, entry["menu_path"], MENU, "GetLayout",
                                GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
        entry["menu"] = flatten(layout)
    readings += 1
    entry["reading"] = readings
    with open(record_path, "a", encoding="utf-8") as f:
        f.write(json.dumps(entry, ensure_ascii=False) + "\n")


def on_item_signal(_conn, sender, _path, _iface, signal, _params, _data):
    for name in list(items):
        if bus_owner(name) == sender:
            GLib.idle_add(lambda n=name, s=signal: read(n, s) and False)


owners = {}


def bus_owner(name):
    if name.startswith(":"):
        return name
    if name not in owners:
        owners[name] = call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "GetNameOwner",
                            GLib.Variant("(s)", (name,)), "(s)")[0]
    return owners[name]


def method_call(conn, sender, path, iface, method, params, invocation):
    if method == "RegisterStatusNotifierItem":
        service = params.unpack()[0]
        # A service name, or an object path on the caller's connection.
        name, obj = (sender, service) if service.startswith("/") else (service,
                                                                       "/StatusNotifierItem")
        items[name] = obj
        invocation.return_value(None)
        conn.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierItemRegistered",
                         GLib.Variant("(s)", (name,)))
        GLib.idle_add(lambda: read(name, "registered") and False)
        return
    invocation.return_value(None)


def get_property(conn, sender, path, iface, prop):
    if prop == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", list(items))
    if prop == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    return GLib.Variant("i", 0)


node = Gio.DBusNodeInfo.new_for_xml(XML)
bus.register_object("/StatusNotifierWatcher", node.interfaces[0], method_call, get_property,
                    None)
for signal in ("NewToolTip", "NewIcon", "NewStatus", "NewTitle", "NewMenu"):
    bus.signal_subscribe(None, ITEM, signal, None, None, Gio.DBusSignalFlags.NONE,
                         on_item_signal, None)
bus.signal_subscribe(None, MENU, "LayoutUpdated", None, None, Gio.DBusSignalFlags.NONE,
                     on_item_signal, None)
Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.NONE, None, None)
GLib.MainLoop().run()
