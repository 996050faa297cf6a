#!/usr/bin/env python3
"""Drops one file on an X window as a file manager does, through XDND.

  xdnd_drop.py DISPLAY WINDOW URI
      offers URI as text/uri-list in the middle of WINDOW, drops it there when
      the window accepts, and ends when the window says it is done with it
"""
import sys
import time

from Xlib import X
from Xlib import display as xdisplay
from Xlib.protocol import event

WAIT_SECONDS = 60
XDND_VERSION = 5


class Failure(Exception):
    pass


def drop(display_name, target_id, uri):
    display = xdisplay.Display(display_name)
    try:
        atom = display.intern_atom
        root = display.screen().root
        source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        uri_list = atom("text/uri-list")
        target = display.create_resource_object("window", target_id)
        aware = target.get_full_property(atom("XdndAware"), X.AnyPropertyType)
        if aware is None:
            raise Failure(f"window {target_id:#x} takes no drops (no XdndAware)")
        version = min(XDND_VERSION, aware.value[0])
        source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
        geometry = target.get_geometry()
        origin = target.translate_coords(root, 0, 0)
        x = geometry.width // 2 - origin.x
        y = geometry.height // 2 - origin.y
        data = (uri + "\r\n").encode()

        def send(name, values):
            target.send_event(event.ClientMessage(
                window=target, client_type=atom(name), data=(32, values + [0] * (5 - len(values)))))
            display.flush()

        send("XdndEnter", [source.id, version << 24, uri_list])
        send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
        dropped = False
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            while display.pending_events():
                received = display.next_event()
                if received.type == X.SelectionRequest:
                    offered = received.target == uri_list
                    if offered:
                        received.requestor.change_property(received.property, uri_list, 8, data)
                    received.requestor.send_event(event.SelectionNotify(
                        time=received.time, requestor=received.requestor,
                        selection=received.selection, target=received.target,
                        property=received.property if offered else X.NONE))
                    display.flush()
                elif received.type == X.ClientMessage:
                    name = display.get_atom_name(received.client_type)
                    if name == "XdndStatus" and not dropped:
                        if not received.data[1][1] & 1:
                            raise Failure(f"window {target_id:#x} refused the drop")
                        send("XdndDrop", [source.id, 0, X.CurrentTime])
                        dropped = True
                    elif name == "XdndFinished":
                        return
            if time.monotonic() > deadline:
                step = "the end of the drop" if dropped else "the window to accept the drop"
                raise Failure(f"gave up after {WAIT_SECONDS} s waiting for {step}")
            time.sleep(0.05)
    finally:
        display.close()


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        drop(argv[1], int(argv[2], 0), argv[3])
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
