"""A stand-in for the desktop's settings portal on the session bus that
DBUS_SESSION_BUS_ADDRESS names: it publishes one light/dark preference
("color-scheme" in "org.freedesktop.appearance") and announces each change the
test asks for. Run by the system's python3, which has gi.

    settings_portal.py PREFERENCE [--read-only] [--slow-first-read SECONDS]

--read-only plays an older portal, which has Read but no ReadOne.
--slow-first-read answers the first read only after SECONDS, as a portal that
the bus is still starting does.

Prints "ready" once it owns the name. Each line read from standard input is a
new preference, announced with SettingChanged and acknowledged with "changed";
end of input ends it."""

import argparse
import sys

from gi.repository import Gio, GLib

NAMESPACE = "org.freedesktop.appearance"
KEY = "color-scheme"
INTERFACE = """
<node>
  <interface name="org.freedesktop.portal.Settings">
    <method name="Read">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    %s
    <signal name="SettingChanged">
      <arg type="s" name="namespace"/>
      <arg type="s" name="key"/>
      <arg type="v" name="value"/>
    </signal>
  </interface>
</node>
"""
READ_ONE = """
    <method name="ReadOne">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("preference", type=int)
    parser.add_argument("--read-only", action="store_true")
    parser.add_argument("--slow-first-read", type=float, default=0.0)
    args = parser.parse_args()

    state = {"preference": args.preference, "reads": 0}
    info = Gio.DBusNodeInfo.new_for_xml(INTERFACE % ("" if args.read_only else READ_ONE))
    loop = GLib.MainLoop()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def value():
        return GLib.Variant("u", state["preference"])

    def answer(invocation, method, namespace, key):
        if (namespace, key) != (NAMESPACE, KEY):
            invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "Requested setting not found")
        elif method == "ReadOne":
            invocation.return_value(GLib.Variant("(v)", (value(),)))
        else:  # an older portal wraps the value in one more variant
            invocation.return_value(GLib.Variant("(v)", (GLib.Variant("v", value()),)))
        return False

    def on_call(connection, sender, path, interface, method, parameters, invocation):
        namespace, key = parameters.unpack()
        state["reads"] += 1
        if state["reads"] == 1 and args.slow_first_read > 0:
            GLib.timeout_add(int(args.slow_first_read * 1000), answer, invocation, method, namespace, key)
        else:
            answer(invocation, method, namespace, key)

    bus.register_object("/org/freedesktop/portal/desktop", info.interfaces[0], on_call, None, None)

    def on_line(channel, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        state["preference"] = int(line)
        bus.emit_signal(None, "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings",
                        "SettingChanged", GLib.Variant("(ssv)", (NAMESPACE, KEY, value())))
        bus.flush_sync(None)
        print("changed", flush=True)
        return True

    def on_name(connection, name):
        GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT,
                          GLib.IOCondition.IN | GLib.IOCondition.HUP, on_line)
        print("ready", flush=True)

    Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop", Gio.BusNameOwnerFlags.NONE,
                                   on_name, lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
