#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A private desktop for the tests that need what a screen reader needs: an X server (Xvfb), a
# session bus and the AT-SPI bus on it, all in a temporary folder and ended with the test.
# Run as a program, it runs one command inside such a session and exits with its code, or with
# 77 (skipped) when a program the session needs is not installed.
import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
LAUNCHERS = ("/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher")
PR_SET_PDEATHSIG = 1


class Missing(Exception):
    """A program the session needs is not installed."""


def _end_with_parent():
    # A test killed at its timeout takes its session with it.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _read_line(stream_fd, seconds, what):
    deadline = time.monotonic() + seconds
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([stream_fd], [], [], left)[0]:
            raise RuntimeError(f"{what} did not start within {seconds} s")
        chunk = os.read(stream_fd, 256)
        if not chunk:
            raise RuntimeError(f"{what} exited at start")
        data += chunk
    return data.decode().strip()


def find_launcher():
    for path in LAUNCHERS:
        if os.access(path, os.X_OK):
            return path
    return None


def missing_programs():
    """The programs the session needs that are not installed."""
    missing = [name for name in ("Xvfb", "dbus-daemon") if not shutil.which(name)]
    if not find_launcher():
        missing.append("at-spi-bus-launcher (at-spi2-core)")
    try:
        import gi  # noqa: F401
    except ImportError:
        missing.append("python3-gi")
    return missing


class DesktopSession:
    """Xvfb, a session bus and the AT-SPI bus launcher, ended in reverse order on exit."""

    def __init__(self, root):
        self.root = root
        self.processes = []
        self.env = {}
        self.log = None

    def __enter__(self):
        missing = missing_programs()
        if missing:
            raise Missing(", ".join(missing))
        try:
            self._start()
        except BaseException:
            self.stop()
            self._show_log()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def _start(self):
        home = os.path.join(self.root, "home")
        runtime = os.path.join(self.root, "runtime")
        os.makedirs(home, exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "VORLA_TEST_SESSION": "1",
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "GSETTINGS_BACKEND": "memory",
            "LANG": "C.UTF-8",
        }

        # The daemons' chatter goes to a log, shown only when the session cannot start.
        self.log = open(os.path.join(self.root, "session.log"), "wb")
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x700x24",
                    "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,), stderr=self.log)
        os.close(write_end)
        self.env["DISPLAY"] = ":" + _read_line(read_end, 20, "Xvfb")
        os.close(read_end)

        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"],
                         stdout=subprocess.PIPE, stderr=self.log)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = _read_line(bus.stdout.fileno(), 20, "dbus-daemon")

        self.spawn([find_launcher(), "--launch-immediately"], stdout=self.log, stderr=self.log)
        self._wait_for_name("org.a11y.Bus", 20)

    def spawn(self, args, env=None, **options):
        """Starts a program in its own process group, with the session's environment."""
        full_env = dict(self.env)
        full_env.update(env or {})
        process = subprocess.Popen(args, env=full_env, start_new_session=True,
                                   preexec_fn=_end_with_parent, stdin=subprocess.DEVNULL,
                                   **options)
        self.processes.append(process)
        return process

    def _wait_for_name(self, name, seconds):
        from gi.repository import Gio, GLib

        flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                 | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"], flags, None, None)
        deadline = time.monotonic() + seconds
        try:
            while time.monotonic() < deadline:
                reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus", "NameHasOwner",
                                      GLib.Variant("(s)", (name,)), None,
                                      Gio.DBusCallFlags.NONE, 5000, None)
                if reply.unpack()[0]:
                    return
                time.sleep(0.05)
        finally:
            bus.close_sync(None)
        raise RuntimeError(f"{name} did not appear on the session bus within {seconds} s")

    def stop(self):
        """Ends every process group started, newest first: TERM, then KILL after 3 s."""
        for process in reversed(self.processes):
            _end_group(process)
        self.processes.clear()
        if self.log:
            self.log.close()

    def _show_log(self):
        path = os.path.join(self.root, "session.log")
        if os.path.exists(path):
            with open(path, "rb") as log:
                sys.stderr.write(log.read()[-4000:].decode(errors="replace"))


def _end_group(process):
    for sig, wait in ((signal.SIGTERM, 3), (signal.SIGKILL, 3)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(wait)
        except subprocess.TimeoutExpired:
            continue
        # Whatever the leader started in its group goes too.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        break
    if process.stdout:
        process.stdout.close()


def main(argv):
    if len(argv) < 2:
        print(f"usage: {argv[0]} COMMAND [ARGUMENT...]", file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="vorla-desktop-") as root:
        try:
            with DesktopSession(root) as session:
                command = session.spawn(argv[1:], env={"QT_QPA_PLATFORM": "xcb",
                                                       "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
                try:
                    return command.wait(int(os.environ.get("VORLA_SESSION_TIMEOUT", "120")))
                except subprocess.TimeoutExpired:
                    print("the command did not finish in time", file=sys.stderr)
                    return 1
        except Missing as missing:
            print(f"SKIPPED: not installed: {missing}")
            return SKIPPED


if __name__ == "__main__":
    sys.exit(main(sys.argv))
