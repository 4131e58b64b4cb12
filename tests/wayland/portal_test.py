#!/usr/bin/env python3
"""The RemoteDesktop portal sender against a stand-in portal.

Runs under dbus-run-session: the stand-in takes the portal's name on that
private session bus and records every call; vostel-portal-typist (the real
sender choice, with no compositor and no X display, so that the portal is
chosen) types descriptions through it.

usage: dbus-run-session --config-file=session-bus.conf -- python3 portal_test.py TYPIST
"""
import os
import subprocess
import sys
import tempfile
import unittest

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
REMOTE = "org.freedesktop.portal.RemoteDesktop"
TYPIST = None

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
BUS = dbus.SessionBus()


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, portal, path):
        super().__init__(BUS, path)
        self.portal = portal

    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.portal.log.append("Close")

    @dbus.service.signal("org.freedesktop.portal.Session", signature="a{sv}")
    def Closed(self, details):
        pass


class Portal(dbus.service.Object):
    """Answers like a desktop whose user accepts, unless told otherwise."""

    def __init__(self):
        super().__init__(BUS, PATH)
        self.reset(version=1)

    def reset(self, version, refuse=0, vanish=False, token=""):
        self.version, self.refuse, self.vanish, self.token = version, refuse, vanish, token
        self.log = []
        self.objects = []
        self.clients = set()  # the typists' bus names

    def respond(self, sender, options, code, results):
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), options["handle_token"])
        request = Request(BUS, path)
        self.objects.append(request)
        GLib.idle_add(lambda: request.Response(dbus.UInt32(code), dbus.Dictionary(results, signature="sv")) and False)
        return dbus.ObjectPath(path)

    def record(self, method, options, sender):
        self.clients.add(sender)
        shown = " ".join("%s=%s" % (k, options[k]) for k in sorted(options) if k != "handle_token")
        self.log.append((method + " " + shown).strip())

    @dbus.service.method(REMOTE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        self.record("CreateSession", options, sender)
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"), options["session_handle_token"])
        self.objects.append(Session(self, session))
        return self.respond(sender, options, 0, {"session_handle": session})

    @dbus.service.method(REMOTE, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectDevices(self, session, options, sender):
        self.record("SelectDevices", options, sender)
        return self.respond(sender, options, 0, {})

    @dbus.service.method(REMOTE, in_signature="osa{sv}", out_signature="o", sender_keyword="sender")
    def Start(self, session, parent, options, sender):
        self.record("Start", options, sender)
        if self.vanish:  # the portal goes away while the user would be asked
            BUS.release_name(NAME)
            return dbus.ObjectPath("%s/request/gone" % PATH)
        if self.refuse:  # as GNOME does: the session closes before the answer comes
            GLib.idle_add(lambda: self.objects[0].Closed({}) and False)
        results = {"devices": dbus.UInt32(1)}
        if self.token:
            results["restore_token"] = self.token
        return self.respond(sender, options, self.refuse, results)

    @dbus.service.method(REMOTE, in_signature="oa{sv}iu", out_signature="")
    def NotifyKeyboardKeysym(self, session, options, keysym, state):
        self.log.append("key %#x %s" % (keysym, "down" if state else "up"))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"version": dbus.UInt32(self.version), "AvailableDeviceTypes": dbus.UInt32(7)}


PORTAL = Portal()
GONE = set()  # bus names that have left: everything they sent has been handled
BUS.add_signal_receiver(lambda name, old, new: new or GONE.add(name), "NameOwnerChanged",
                        "org.freedesktop.DBus", "org.freedesktop.DBus", "/org/freedesktop/DBus")

# The keys of the descriptions below, as the portal must receive them.
SHIFT, CTRL = ["key 0xffe1 down"], ["key 0xffe3 down"]
def tap(sym):
    return ["key %#x down" % sym, "key %#x up" % sym]


class PortalSenderTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.env = dict(os.environ, HOME=self.home.name, WAYLAND_DISPLAY="vostel-no-compositor",
                        XDG_RUNTIME_DIR=self.home.name)
        self.env.pop("DISPLAY", None)
        self.env.pop("XDG_STATE_HOME", None)
        owner = BUS.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        self.assertIn(owner, (dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER, dbus.bus.REQUEST_NAME_REPLY_ALREADY_OWNER))

    def tearDown(self):
        self.home.cleanup()

    def type(self, *descriptions):
        """Runs the typist until it ends; its exit status and its error text."""
        with tempfile.TemporaryFile() as errors:
            # Descriptions are Windows-1252 bytes, as the library holds them.
            child = subprocess.Popen([TYPIST, *(d.encode("cp1252") for d in descriptions)], env=self.env,
                                     stderr=errors)
            loop, status = GLib.MainLoop(), []
            GLib.child_watch_add(GLib.PRIORITY_DEFAULT, child.pid, lambda pid, s: status.append(os.waitstatus_to_exitcode(s)))

            def done():  # the typist has ended, and its last calls (Close) have arrived
                if status and PORTAL.clients <= GONE:
                    loop.quit()
                    return False
                return True

            GLib.timeout_add(20, done)
            # A typist still waiting after a minute has hung: end it, and the test fails.
            GLib.timeout_add_seconds(60, lambda: child.kill() or False)
            loop.run()
            child.returncode = status[0]  # reaped by the main loop
            errors.seek(0)
            return status[0], errors.read().decode()

    def token_file(self, state):
        return os.path.join(state, "vostel", "portal-restore-token")

    def test_one_keyboard_session_types_keysyms_down_and_up(self):
        PORTAL.reset(version=1)
        # Shift, Ctrl, a Latin-1 and a Windows-1252 character, Enter twice, a media key.
        status, errors = self.type("+b^a\xe4", "€{ENTER 2}{VOLUME_UP}")
        self.assertEqual(status, 0, errors)
        self.assertEqual(PORTAL.log,
                         ["CreateSession session_handle_token=vostel", "SelectDevices types=1", "Start"]
                         + SHIFT + tap(0x62) + ["key 0xffe1 up"] + CTRL + tap(0x61) + ["key 0xffe3 up"]
                         + tap(0xe4) + tap(0x20ac) + tap(0xff0d) * 2 + tap(0x1008ff13) + ["Close"])
        self.assertFalse(os.path.exists(self.token_file(os.path.join(self.home.name, ".local/state"))))

    def test_a_refusal_is_the_error_and_types_nothing(self):
        PORTAL.reset(version=1, refuse=1)
        # XWayland would be next; the refusal ends the choice all the same.
        self.env["DISPLAY"] = ":vostel-no-x-server"
        status, errors = self.type("abc", "def")
        self.assertEqual(status, 68, errors)
        refused = ("Device unavailable: keystrokes cannot be sent: the desktop's request to let Vostel type "
                   "keys was refused; restart vostel and allow it.\n")
        self.assertEqual(errors, refused * 2)
        # Asked once: the refusal holds for the second description too.
        self.assertEqual(PORTAL.log, ["CreateSession session_handle_token=vostel", "SelectDevices types=1",
                                      "Start", "Close"])

    def test_a_vanished_portal_is_the_error(self):
        PORTAL.reset(version=1, vanish=True)
        status, errors = self.type("abc")
        self.assertEqual(status, 68, errors)
        self.assertIn("the desktop portal left the session bus", errors)
        self.assertNotIn("key 0x61 down", PORTAL.log)

    def test_version_2_keeps_the_grant_for_the_next_start(self):
        state = os.path.join(self.home.name, "state")
        self.env["XDG_STATE_HOME"] = state
        PORTAL.reset(version=2, token="grant-1")
        self.assertEqual(self.type("a")[0], 0)
        self.assertEqual(PORTAL.log[1], "SelectDevices persist_mode=2 types=1")
        with open(self.token_file(state)) as f:
            self.assertEqual(f.read(), "grant-1\n")

        PORTAL.reset(version=2, token="grant-2")
        self.assertEqual(self.type("a")[0], 0)
        self.assertEqual(PORTAL.log[1], "SelectDevices persist_mode=2 restore_token=grant-1 types=1")
        with open(self.token_file(state)) as f:
            self.assertEqual(f.read(), "grant-2\n")

    def test_a_relative_state_home_is_ignored(self):
        self.env["XDG_STATE_HOME"] = "relative/state"
        PORTAL.reset(version=2, token="grant-1")
        self.assertEqual(self.type("a")[0], 0)
        self.assertTrue(os.path.exists(self.token_file(os.path.join(self.home.name, ".local/state"))))


if __name__ == "__main__":
    TYPIST = sys.argv.pop(1)
    unittest.main()
