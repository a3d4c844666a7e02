"""Quorrel on a real X desktop, used the way a person uses it: menu clicks, a double-click on the
notification icon, keys. The results are read from the window system and the file system.

    python3 tests/desktop/desktop_test.py path/to/quorrel
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

from xdesktop import Desktop, Failure, luminance, text_runs, wait_for

MENUS = ["File", "Run", "Options", "Hide", "Help"]
ITEMS = {"File": ["Load", "Exit"], "Run": ["Start", "Stop"], "Options": ["Set Options"],
         "Help": ["About"]}
# Round trips through the notification area with Start, and as many with Hide.
ROUND_TRIPS = 20
# The icon is a picture of many colours; an icon that the notification area shows but its window
# never painted is a flat square of the area's own grey.
ICON_COLOURS = 8
# Text on a menu differs from the menu's background by more than INK in brightness; enabled text
# is darker than ENABLED, greyed text lighter.
INK = 25
ENABLED = 100
SNAPSHOT_NAME = re.compile(r"^Hero-\d\d-\d\d-\d{4}-\d\d-\d\d-\d\d$")
# The remastered game's shared stash, which belongs to no character, and its snapshots.
STASH = "SharedStashSoftCoreV2.d2i"
STASH_SNAPSHOT = re.compile(r"^SharedStashSoftCoreV2-\d\d-\d\d-\d{4}-\d\d-\d\d-\d\d(-\d+)?$")


def steady(read):
    """What read returns twice in a row, so that a picture half drawn is not taken for the
    result."""
    first = read()
    return first if first and read() == first else None


class Quorrel:
    """One run of the real program, from a folder of its own: the executable is copied there, so
    that Settings.ini beside it is this test's own, and the folder is the current directory, so
    that Log.txt goes there too."""

    # The class of its windows as xwininfo shows it, and as the notification area's icons have it.
    WINDOW_CLASS = '("quorrel" "Quorrel")'
    TRAY_CLASS = "Quorrel"

    def __init__(self, desktop, binary, folder, settings=None):
        self.desktop = desktop
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.executable = os.path.join(folder, "quorrel")
        if not os.path.exists(self.executable):  # a second start from the same folder
            shutil.copy2(binary, self.executable)
        if settings is not None:
            with open(os.path.join(folder, "Settings.ini"), "wb") as f:
                f.write("".join(line + "\r\n" for line in settings).encode())
        self.output = open(os.path.join(folder, "output.txt"), "ab")
        env = dict(desktop.env, QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([self.executable], cwd=folder, env=env,
                                        stdout=self.output, stderr=self.output)
        self.window = None

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.output.close()

    def find_window(self, title="Quorrel", kind="_NET_WM_WINDOW_TYPE_NORMAL"):
        return wait_for(f'the window "{title}"',
                        lambda: self.desktop.managed_window(self.process.pid, title, kind))

    def wait_main_window(self):
        self.window = self.find_window()
        wait_for("the main window on the screen", lambda: self.shown_and_focused())
        return self.window

    # --- what the window system says -----------------------------------------------------

    def shown_and_focused(self):
        """Normal, mapped, on top of the others and with the keyboard focus."""
        d, w = self.desktop, self.window
        geometry = d.geometry(w)
        return (geometry and geometry["mapped"] and d.wm_state(w) == "Normal"
                and "_NET_WM_STATE_HIDDEN" not in d.net_wm_state(w)
                and d.focus() == w and d.active_window() == w and d.top_window() == w)

    def withdrawn(self):
        """Off the screen and out of the window manager's list, as a hidden window is."""
        d, w = self.desktop, self.window
        geometry = d.geometry(w)
        return (geometry and not geometry["mapped"] and d.wm_state(w) in (None, "Withdrawn")
                and w not in d.window_ids("_NET_CLIENT_LIST"))

    def minimised(self):
        """Iconic, as a minimised window is: still in the window manager's list."""
        d, w = self.desktop, self.window
        return (d.wm_state(w) == "Iconic" and "_NET_WM_STATE_HIDDEN" in d.net_wm_state(w)
                and w in d.window_ids("_NET_CLIENT_LIST"))

    def icons(self):
        return self.desktop.tray_icons(self.TRAY_CLASS)

    # --- the menu bar, found on the screen the way a person finds it ---------------------

    def menu_bar(self):
        """The menu bar's titles in order: their centres and whether they are enabled."""
        self.desktop.park_pointer()
        return wait_for("the menu bar on the screen", lambda: steady(self.read_menu_bar))

    def read_menu_bar(self):
        geometry = self.desktop.geometry(self.window)
        if not (geometry and geometry["mapped"]):
            return None
        x, y, width = geometry["x"], geometry["y"], geometry["width"]
        rows = self.desktop.region(x, y, width, 40)
        background = luminance(rows[0][width // 2])
        height = 0
        while height < len(rows) and abs(luminance(rows[height][0]) - background) < 30:
            height += 1  # the bar ends where the dark background picture begins
        band = rows[:height]
        self.menu_bar_height = height
        profile = [any(abs(luminance(row[c]) - background) > INK for row in band)
                   for c in range(width)]
        titles = []
        for start, end in text_runs(profile, gap=5):
            darkest = min(luminance(row[c]) for row in band for c in range(start, end + 1))
            titles.append({"x": x + (start + end) // 2, "y": y + height // 2,
                           "enabled": darkest < ENABLED})
        # Until the window is drawn there is nothing to read.
        return dict(zip(MENUS, titles)) if len(titles) == len(MENUS) else None

    def open_menus(self):
        """Menus dropped down from the menu bar: windows of the program that the window manager
        leaves alone, hanging from the bar's lower edge."""
        geometry = self.desktop.geometry(self.window)
        if not geometry:
            return []  # the program has ended
        bar_bottom = geometry["y"] + self.menu_bar_height
        found = []
        for line in self.desktop.run("xwininfo", "-root", "-children").splitlines():
            if self.WINDOW_CLASS not in line:
                continue
            window = int(line.split()[0], 16)
            menu = self.desktop.geometry(window)
            if (menu and menu["mapped"] and menu["override_redirect"]
                    and abs(menu["y"] - bar_bottom) <= 6):
                found.append(window)
        return found

    def menu_items(self, menu):
        """The items of an open menu, top to bottom, with their centres and enabled state;
        separators left out."""
        geometry = self.desktop.geometry(menu)
        x, y, width, height = geometry["x"], geometry["y"], geometry["width"], geometry["height"]
        rows = self.desktop.region(x + 3, y + 2, width - 6, height - 4)
        background = luminance(rows[0][0])
        profile = [any(abs(luminance(p) - background) > INK for p in row) for row in rows]
        items = []
        for start, end in text_runs(profile, gap=3):
            if end - start < 4:
                continue  # a separator line
            darkest = min(luminance(p) for row in rows[start:end + 1] for p in row)
            items.append({"x": x + width // 2, "y": y + 2 + (start + end) // 2,
                          "enabled": darkest < ENABLED})
        return items

    def choose(self, title, item=None):
        """Clicks a title on the menu bar and, for a menu, one of its items."""
        bar = self.menu_bar()
        self.desktop.click(bar[title]["x"], bar[title]["y"])
        if item is None:
            return
        items = self.wait_menu_items(title)
        target = items[ITEMS[title].index(item)]
        if not target["enabled"]:
            raise Failure(f"{title} > {item} is greyed")
        self.desktop.click(target["x"], target["y"])
        wait_for(f"the {title} menu to close", lambda: not self.open_menus())

    def wait_menu_items(self, title):
        """The items of the menu that has just dropped down from the title."""
        menu = wait_for(f"the {title} menu", self.open_menus)[0]
        self.desktop.park_pointer()

        def read():
            items = self.menu_items(menu)
            return items if len(items) == len(ITEMS[title]) else None

        return wait_for(f"the items of the {title} menu", lambda: steady(read))

    def painted_icon(self):
        """The one notification icon, once the screen shows its picture there."""
        icons = self.icons()
        if len(icons) > 1:
            raise Failure(f"{len(icons)} notification icons instead of one")
        if not icons:
            return None
        icon = icons[0]
        colours = self.desktop.colours(icon["x"], icon["y"], icon["width"], icon["height"])
        self.icon_colours = len(colours)
        return icon if len(colours) >= ICON_COLOURS else None

    def wait_painted_icon(self):
        self.icon_colours = 0
        try:
            return wait_for("the notification icon's picture", self.painted_icon)
        except Failure:
            raise Failure(f"no painted notification icon: {self.icons()}, "
                          f"{self.icon_colours} colours where the icon is") from None

    def keep_icon_picture(self, path):
        """Saves the notification area around the painted icon as the player sees it."""
        icon = self.wait_painted_icon()
        self.desktop.screenshot(path, icon["x"] - 60, icon["y"] - 16, 120, 64)

    def double_click_icon(self):
        icon = self.wait_painted_icon()
        self.desktop.click(icon["x"] + icon["width"] // 2, icon["y"] + icon["height"] // 2,
                           count=2)
        return icon

    def exit(self):
        self.choose("File", "Exit")
        wait_for("the program to end", lambda: self.process.poll() is not None)
        if self.process.returncode != 0:
            raise Failure(f"the program ended with exit code {self.process.returncode}")


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def round_trips(desktop, quorrel, count, picture=None):
    """Sends the window to the notification area count times with Start (the first time from a
    stopped run) and count times with Hide, and brings it back each time with a double-click on
    the icon, as a player does. The first time, the icon's picture is kept as picture."""
    for command in ("Start", "Hide"):
        for attempt in range(1, count + 1):
            if command == "Start":
                if attempt > 1:
                    quorrel.choose("Run", "Stop")
                quorrel.choose("Run", "Start")
            else:
                quorrel.choose("Hide")
            wait_for(f"{command} {attempt} to withdraw the window", quorrel.withdrawn)
            if picture and command == "Start" and attempt == 1:
                quorrel.keep_icon_picture(picture)
            quorrel.double_click_icon()
            try:
                wait_for("the window back", quorrel.shown_and_focused, timeout=5)
            except Failure:
                raise Failure(f"after {command} {attempt} the window did not come back from the "
                              f"notification area: {desktop.window_report(quorrel.window)}")
    print(f"  round trips through the notification area: {count} with Start, {count} with Hide")


class Suite:
    def __init__(self, binary):
        self.binary = os.path.abspath(binary)
        self.workdir = tempfile.mkdtemp(prefix="quorrel-desktop-")
        self.desktop = Desktop(self.workdir)
        self.programs = []

    def program(self, name, settings=None):
        folder = os.path.join(self.workdir, name, "program")
        program = Quorrel(self.desktop, self.binary, folder, settings)
        self.programs.append(program)
        return program

    def game_folders(self, name):
        """A save folder with one character and an empty history folder."""
        save = os.path.join(self.workdir, name, "save")
        history = os.path.join(self.workdir, name, "history")
        os.makedirs(save)
        os.makedirs(history)
        for extension in ("d2s", "key", "map"):
            with open(os.path.join(save, "Hero." + extension), "w") as f:
                f.write(f"Hero's {extension}\n")
        return save, history

    # --- scenarios -----------------------------------------------------------------------

    def test_first_run_without_settings(self):
        quorrel = self.program("first-run")
        box = quorrel.find_window("FirstTime User", "_NET_WM_WINDOW_TYPE_DIALOG")
        wait_for("the message box to take the focus", lambda: self.desktop.focus() == box)
        if self.desktop.managed_window(quorrel.process.pid, "Quorrel"):
            raise Failure("the main window is up before the first-run message is closed")
        self.desktop.key("Return")
        quorrel.wait_main_window()
        bar = quorrel.menu_bar()
        greyed = [title for title in MENUS if not bar[title]["enabled"]]
        if greyed != ["Run"]:
            raise Failure(f"greyed titles {greyed}, expected Run only")
        quorrel.choose("File")
        items = quorrel.wait_menu_items("File")
        if items[0]["enabled"] or not items[1]["enabled"]:
            raise Failure("Load should be greyed and Exit not")
        self.desktop.key("Escape")
        wait_for("the File menu to close", lambda: not quorrel.open_menus())
        quorrel.exit()
        left = sorted(set(os.listdir(quorrel.folder)) - {"quorrel", "output.txt"})
        if left:
            raise Failure(f"the program left {left} behind; nothing is saved without Apply")

    def test_tray_round_trips(self):
        save, history = self.game_folders("tray")
        quorrel = self.program("tray", [save, history, "1"])
        quorrel.wait_main_window()
        if self.desktop.windows_named("FirstTime User"):
            raise Failure("a first-run message with a valid Settings.ini")
        if not all(title["enabled"] for title in quorrel.menu_bar().values()):
            raise Failure("a greyed menu with a valid Settings.ini")

        round_trips(self.desktop, quorrel, ROUND_TRIPS, os.path.join(self.workdir, "icon.png"))

        # A run at one check a second takes a snapshot of a save that the game rewrote.
        quorrel.choose("Run", "Stop")
        quorrel.choose("Run", "Start")
        wait_for("Start to withdraw the window", quorrel.withdrawn)
        saved = os.path.join(save, "Hero.d2s")
        stamp = os.stat(saved).st_mtime - 3600
        os.utime(saved, (stamp, stamp))
        # A snapshot is copied into a hidden folder and renamed once whole: wait for its own name.
        snapshot = wait_for("a snapshot", lambda: [name for name in os.listdir(history)
                                                   if not name.startswith(".")])[0]
        if not SNAPSHOT_NAME.match(snapshot):
            raise Failure(f"snapshot folder named {snapshot}")
        wait_for("the character's three files in the snapshot",
                 lambda: sorted(os.listdir(os.path.join(history, snapshot)))
                 == ["Hero.d2s", "Hero.key", "Hero.map"])
        quorrel.double_click_icon()
        wait_for("the window back", quorrel.shown_and_focused)
        self.desktop.screenshot(os.path.join(self.workdir, "restored.png"))

        quorrel.exit()
        wait_for("the notification icon to go", lambda: not quorrel.icons())

    def test_the_shared_stash_is_snapshotted_and_restored_through_load(self):
        save, history = self.game_folders("stash")
        stash = os.path.join(save, STASH)
        write(stash, "the stash as first seen\n")
        quorrel = self.program("stash", [save, history, "1"])
        quorrel.wait_main_window()
        quorrel.choose("Run", "Start")
        wait_for("Start to withdraw the window", quorrel.withdrawn)
        write(stash, "the stash with a rune in it\n")
        snapshot = wait_for("a snapshot of the stash", lambda: [
            name for name in os.listdir(history) if STASH_SNAPSHOT.match(name)
            and os.listdir(os.path.join(history, name)) == [STASH]])[0]
        quorrel.double_click_icon()
        wait_for("the window back", quorrel.shown_and_focused)
        quorrel.choose("Run", "Stop")

        write(stash, "a later stash\n")
        quorrel.choose("File", "Load")
        load = quorrel.find_window("Load Game", "_NET_WM_WINDOW_TYPE_DIALOG")
        wait_for("the Load dialog to take the focus", lambda: self.desktop.focus() == load
                 or self.desktop.active_window() == load)
        # The folder box has the focus, open on the history with the one snapshot last: open it,
        # then Tab past the drive box to Load.
        for key in ("End", "Return", "Tab", "Tab", "space"):
            self.desktop.key(key)
            time.sleep(0.2)
        wait_for("Load to close", lambda: not self.desktop.managed_window(
            quorrel.process.pid, "Load Game", "_NET_WM_WINDOW_TYPE_DIALOG"))
        with open(stash) as f:
            if f.read() != "the stash with a rune in it\n":
                raise Failure("the stash was not restored")
        safety = [name for name in os.listdir(history)
                  if name != snapshot and not name.startswith(".")]  # not the index
        if len(safety) != 1 or not STASH_SNAPSHOT.match(safety[0]):
            raise Failure(f"beside the snapshot: {safety}, expected one safety snapshot")
        with open(os.path.join(history, safety[0], STASH)) as f:
            if f.read() != "a later stash\n":
                raise Failure("the safety snapshot does not hold the stash it replaced")
        quorrel.exit()

    def test_without_a_notification_area_start_minimises(self):
        self.desktop.stop_tray()
        save, history = self.game_folders("no-tray")
        quorrel = self.program("no-tray", [save, history, "1"])
        quorrel.wait_main_window()
        quorrel.choose("Run", "Start")
        wait_for("the window minimised", quorrel.minimised)

    def test_a_copy_that_does_not_answer_is_reported(self):
        save, history = self.game_folders("stuck")
        first = self.program("stuck", [save, history, "60"])
        first.wait_main_window()
        first.process.send_signal(signal.SIGSTOP)  # running, holding its lock, but deaf
        try:
            second = self.program("stuck")
            box = second.find_window("Error", "_NET_WM_WINDOW_TYPE_DIALOG")
            wait_for("the box to take the focus", lambda: self.desktop.focus() == box)
            time.sleep(0.5)
            self.desktop.screenshot(os.path.join(self.workdir, "not-answering.png"))
            self.desktop.key("Return")
            wait_for("the second start to end", lambda: second.process.poll() is not None)
            if second.process.returncode != 1:
                raise Failure(f"the second start ended with {second.process.returncode}, not 1")
        finally:
            first.process.send_signal(signal.SIGCONT)
        first.exit()

    # --- running ---------------------------------------------------------------------------

    def run(self):
        tests = [name for name in dir(self) if name.startswith("test_")]
        tests.sort(key=lambda name: Suite.__dict__[name].__code__.co_firstlineno)
        passed = failed = 0
        began = time.monotonic()
        try:
            self.desktop.start()
            self.desktop.start_tray()
            for name in tests:
                start = time.monotonic()
                try:
                    getattr(self, name)()
                    passed += 1
                    print(f"ok    {name} ({time.monotonic() - start:.1f} s)", flush=True)
                except Exception as error:
                    failed += 1
                    picture = os.path.join(self.workdir, name + ".png")
                    self.desktop.screenshot(picture)
                    detail = str(error) if isinstance(error, Failure) else traceback.format_exc()
                    print(f"FAIL  {name}: {detail}\n      screen: {picture}", flush=True)
                finally:
                    for program in self.programs:
                        program.close()
                    self.programs = []
        finally:
            self.desktop.close()
        print(f"desktop suite: {time.monotonic() - began:.1f} s")
        print(f"{passed} passed, {failed} failed")
        if failed == 0 and not os.environ.get("QUORREL_KEEP_DESKTOP"):
            shutil.rmtree(self.workdir, ignore_errors=True)
        else:
            print(f"files kept in {self.workdir}")
        return failed == 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(0 if Suite(sys.argv[1]).run() else 1)
