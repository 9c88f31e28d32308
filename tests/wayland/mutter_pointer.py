#!/usr/bin/python3
"""The pointer of matrix.py on mutter, through its remote desktop service:
the same commands on standard input, "ok" once mutter has each. Relative
motion needs no screen cast; the pointer starts pushed into the top-left
corner, so every position is known."""
import sys

import dbus

bus = dbus.SessionBus()
service = "org.gnome.Mutter.RemoteDesktop"
path = bus.get_object(service, "/org/gnome/Mutter/RemoteDesktop").CreateSession(dbus_interface=service)
session = dbus.Interface(bus.get_object(service, path), service + ".Session")
session.Start()
session.NotifyPointerMotionRelative(-100000.0, -100000.0)
at = [0, 0]
for line in sys.stdin:
    words = line.split()
    if words[0] == "move":
        x, y = int(words[1]), int(words[2])
        session.NotifyPointerMotionRelative(float(x - at[0]), float(y - at[1]))
        at = [x, y]
    elif words[0] in ("down", "up"):
        session.NotifyPointerButton(int(words[1]), words[0] == "down")
    print("ok", flush=True)
