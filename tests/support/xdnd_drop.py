#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Drops files onto an X11 window the way a file manager does (the XDND protocol).

Usage: xdnd_drop.py WINDOW_ID X Y FILE...
WINDOW_ID is the X window (decimal or 0x hex) that takes the drop, X and Y the point on the
screen where the files are let go, FILE the Unix paths. Exits 0 once the target has taken the
drop (XdndFinished), 1 when it refused it, 2 when it did not answer within ten seconds.
"""
import sys
import time
import urllib.parse

from Xlib import X, display, protocol

TIMEOUT = 10.0


def main():
    target_id = int(sys.argv[1], 0)
    x, y = int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in sys.argv[4:]).encode()

    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    uri_list = atom("text/uri-list")
    target = d.create_resource_object("window", target_id)
    source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

    def send(name, data):
        event = protocol.event.ClientMessage(
            window=target, client_type=atom(name), data=(32, data + [0] * (5 - len(data))))
        target.send_event(event)
        d.flush()

    def answer(request):
        """Hands the file list to the target when it asks for it."""
        prop = request.property or request.target
        if request.target == uri_list:
            request.requestor.change_property(prop, uri_list, 8, uris)
        else:
            prop = X.NONE
        d.send_event(request.requestor, protocol.event.SelectionNotify(
            time=request.time, requestor=request.requestor, selection=request.selection,
            target=request.target, property=prop))
        d.flush()

    def wait_for(name):
        wanted = atom(name)
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            if not d.pending_events():
                time.sleep(0.01)
                continue
            event = d.next_event()
            if event.type == X.SelectionRequest:
                answer(event)
            elif event.type == X.ClientMessage and event.client_type == wanted:
                return event
        return None

    send("XdndEnter", [source.id, 5 << 24, uri_list])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    status = wait_for("XdndStatus")
    if status is None:
        return 2
    if not status.data[1][1] & 1:
        send("XdndLeave", [source.id])
        return 1
    send("XdndDrop", [source.id, 0, X.CurrentTime])
    return 0 if wait_for("XdndFinished") is not None else 2


if __name__ == "__main__":
    sys.exit(main())
