#!/usr/bin/python3
# A stand-in for the desktop's notification daemon on the test's session bus. Prints "ready" once
# it owns the name, then one JSON line per Notify call.
import json
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  </interface>
</node>
"""
counter = 0


def on_call(connection, sender, path, interface, method, parameters, invocation):
    global counter
    if method == "Notify":
        app, replaces, icon, summary, body, actions, hints, timeout = parameters.unpack()
        counter += 1
        print(json.dumps({"app": app, "summary": summary, "body": body, "hints": hints, "timeout": timeout}), flush=True)
        invocation.return_value(GLib.Variant("(u)", (counter,)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("test", "glimmo", "1", "1.2")))
    else:
        invocation.return_value(GLib.Variant("(as)", (["body", "sound"],)))


def on_bus(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/freedesktop/Notifications", node.interfaces[0], on_call, None, None)


def on_name(connection, name):
    print("ready", flush=True)


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE, on_bus, on_name,
                 lambda *args: sys.exit(1))
GLib.MainLoop().run()
