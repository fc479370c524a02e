#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The real player under a private X server, heard through AT-SPI as a screen reader hears it:
# the list row is selected and 播放 pressed through AT-SPI, then the title and time labels must
# carry the track's name and clock texts as their names and their role words as descriptions,
# and the new title must reach AT-SPI as a name change. With LANG=zh_CN.UTF-8, 添加 must open a
# file dialog in Chinese. Usage: screen_reader_test.py PATH_TO_VORLA
# Debian's own interpreter: python3-pyatspi installs only for it.
import importlib.util
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session  # noqa: E402

TRACK = "晴天 测试.mp3"
TRACK_SECONDS = 7
OVERALL_SECONDS = 120


class Failed(Exception):
    pass


def make_track(path):
    """A TRACK_SECONDS-long sine tone as MP3, made with the tools the media tests use."""
    subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", f"num-buffers={TRACK_SECONDS}",
                    "samplesperbuffer=44100", "!",
                    "audio/x-raw,format=S16LE,rate=44100,channels=1", "!", "lamemp3enc", "!",
                    "filesink", f"location={path}"], check=True, timeout=60)


def write_playlist(data_home, folder, name):
    os.makedirs(os.path.join(data_home, "vorla"))
    record = b"1\n" + os.fsencode(folder) + b"\n*\n" + os.fsencode(name) + b"\n*\n"
    with open(os.path.join(data_home, "vorla", "savelist"), "wb") as out:
        out.write(record)


class ScreenReader:
    """An AT-SPI client on the session's accessibility bus."""

    def __init__(self):
        import pyatspi
        from gi.repository import GLib

        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.name_changes = []
        self.listen()

    def listen(self):
        self.pyatspi.Registry.registerEventListener(self._heard,
                                                    "object:property-change:accessible-name")

    def listen_again(self):
        """Registers the listener afresh: a busy registry may have taken the first one late."""
        self.pyatspi.Registry.deregisterEventListener(self._heard,
                                                      "object:property-change:accessible-name")
        self.listen()

    # libatspi updates the source's name from the event itself: this is the name announced.
    def _heard(self, event):
        self.name_changes.append((event.source.description, event.source.name))

    def wait_for(self, what, condition, seconds):
        """Serves AT-SPI events until condition() gives something true; fails after seconds."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while self.context.pending():
                self.context.iteration(False)
            try:
                found = condition()
            except Exception:  # the application may not be on the bus yet
                found = None
            if found:
                return found
            time.sleep(0.05)
        raise Failed(f"{what}: not seen within {seconds} s")

    def application(self, name):
        for app in self.pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        return None

    def find_all(self, root, predicate):
        """The nodes under root for which predicate holds, depth first, read afresh."""
        found = []
        for child in root:
            if child is None:
                continue
            child.clearCache()
            if predicate(child):
                found.append(child)
            found.extend(self.find_all(child, predicate))
        return found

    def find(self, root, predicate):
        found = self.find_all(root, predicate)
        return found[0] if found else None

    def press(self, node):
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                action.doAction(i)
                return
        raise Failed(f"{node.name} has no Press action")


def role(node):
    return node.getRoleName()


def press_named(reader, window, name):
    reader.press(reader.find(window, lambda n: role(n) == "push button" and n.name == name))


def check_labels(reader, window):
    labels = {}
    for words in ("歌曲名", "总时长", "已播放时间"):
        labels[words] = reader.find(window, lambda n, w=words: role(n) == "label"
                                    and n.description == w)
        if labels[words] is None:
            raise Failed(f"no label described as {words}")
    title, total, elapsed = labels["歌曲名"], labels["总时长"], labels["已播放时间"]

    def fresh_name(node):
        node.clearCache()
        return node.name

    # A clock that has moved on shows the track is playing, not just selected.
    reader.wait_for("elapsed time 0:01 or later",
                    lambda: re.fullmatch(r"0:0[1-9]", fresh_name(elapsed)), 15)
    results = [("title", fresh_name(title), TRACK), ("total", fresh_name(total), "0:07")]
    for what, heard, expected in results:
        if heard != expected:
            raise Failed(f"{what} label is named {heard!r}, expected {expected!r}")
    print(f"heard: title {fresh_name(title)!r}, elapsed {fresh_name(elapsed)!r}, "
          f"total {fresh_name(total)!r}; descriptions {list(labels)}")
    try:
        reader.wait_for("the new title as a name change",
                        lambda: ("歌曲名", TRACK) in reader.name_changes, 5)
    except Failed:
        # Nothing heard at all, not even the clock's changes every second: on a busy machine the
        # registry can take the listener late. Heard changes without the title are a fault.
        if reader.name_changes:
            raise
        print("nothing heard: listening again")
        reader.listen_again()
        press_named(reader, window, "停止")
        press_named(reader, window, "播放")
        reader.wait_for("the new title as a name change, listening again",
                        lambda: ("歌曲名", TRACK) in reader.name_changes, 10)


def check_chinese_file_dialog(reader, app, client):
    reader.press(reader.find(client, lambda n: role(n) == "push button" and n.name == "添加"))
    dialog = reader.wait_for("the file dialog", lambda: reader.find(
        app, lambda n: role(n) == "dialog" and n.name == "打开"), 15)
    buttons = {n.name for n in reader.find_all(dialog, lambda n: role(n) == "push button")}
    print(f"file dialog 打开, buttons {sorted(buttons)}")
    for expected in ("打开(O)", "取消"):
        if expected not in buttons:
            raise Failed(f"the file dialog has no {expected} button: {sorted(buttons)}")
    reader.press(reader.find(dialog, lambda n: role(n) == "push button" and n.name == "取消"))


def run(vorla, root):
    music = os.path.join(root, "music")
    data_home = os.path.join(root, "data")
    os.makedirs(music)
    make_track(os.path.join(music, TRACK))
    write_playlist(data_home, music, TRACK)

    with desktop_session.DesktopSession(root) as session:
        session.spawn([vorla], env={
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "LANG": "zh_CN.UTF-8",
            "XDG_DATA_HOME": data_home,
            "XDG_DATA_DIRS": os.path.join(root, "none"),
            "VORLA_AUDIO_SINK": "fakesink sync=true",
        })
        os.environ.update(session.env)
        reader = ScreenReader()
        app = reader.wait_for("vorla on the AT-SPI bus", lambda: reader.application("vorla"), 30)
        window = reader.wait_for("the main window", lambda: reader.find(
            app, lambda n: role(n) == "dialog" and n.name == "Vorla音乐播放器"), 15)
        playlist = reader.wait_for("the playlist with its entry", lambda: reader.find(
            window, lambda n: role(n) == "list" and n.name == "播放列表" and n.childCount == 1), 15)

        # Qt offers the list's selection through the Table interface.
        if not playlist.queryTable().addRowSelection(0):
            raise Failed("the playlist refused to select its row")
        reader.wait_for("the row selected", lambda: playlist[0].getState().contains(
            reader.pyatspi.STATE_SELECTED), 5)
        press_named(reader, window, "播放")

        check_labels(reader, window)
        check_chinese_file_dialog(reader, app, window)


def main(argv):
    if len(argv) != 2:
        print(f"usage: {argv[0]} PATH_TO_VORLA", file=sys.stderr)
        return 2
    missing = desktop_session.missing_programs()
    # Only looked up here: imported, it would connect before the session exists.
    if importlib.util.find_spec("pyatspi") is None:
        missing.append("python3-pyatspi")
    if not shutil.which("gst-launch-1.0"):
        missing.append("gst-launch-1.0")
    if missing:
        print(f"SKIPPED: not installed: {', '.join(missing)}")
        return desktop_session.SKIPPED

    def out_of_time(*_):
        raise Failed(f"the whole check took longer than {OVERALL_SECONDS} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(OVERALL_SECONDS)
    with tempfile.TemporaryDirectory(prefix="vorla-screen-reader-") as root:
        try:
            run(argv[1], root)
        except Failed as failure:
            print(f"FAILED: {failure}")
            return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
