"""quorrel.exe under Wine on a real X desktop, used the way a Windows player uses it: menu clicks,
keys, a double-click on the notification icon, which Wine docks in trayer over XEmbed. The
results are read from the window system and from the files in the Wine prefix.

    python3 tests/desktop/windows_desktop_test.py path/to/quorrel.exe
"""

import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

from desktop_test import SNAPSHOT_NAME, Quorrel, round_trips
from xdesktop import Desktop, Failure, wait_for

# After the first double-click: as many round trips with Start and as many with Hide.
ROUND_TRIPS = 10
USER = "player"


class WineQuorrel(Quorrel):
    """One run of quorrel.exe from its folder on drive C:, so that Settings.ini beside it and
    Log.txt are this suite's own. Wine names its windows' class after the executable and keeps
    the process that it was started as."""

    WINDOW_CLASS = '("quorrel.exe" "quorrel.exe")'
    # Wine's explorer docks every program's icon for it; this prefix runs no other program.
    TRAY_CLASS = "explorer.exe"

    def __init__(self, desktop, executable, folder, settings=None):
        self.desktop = desktop
        self.folder = folder
        self.executable = executable
        if settings is not None:
            with open(os.path.join(folder, "Settings.ini"), "wb") as f:
                f.write("".join(line + "\r\n" for line in settings).encode("cp1252"))
        self.output = open(os.path.join(folder, "output.txt"), "ab")
        self.process = subprocess.Popen(["wine", executable], cwd=folder, env=desktop.env,
                                        stdout=self.output, stderr=self.output)
        self.window = None

    def managed_window(self, title, kind=None):
        """The window of this run with that title, of that kind when one is given."""
        d = self.desktop
        for window in d.window_ids("_NET_CLIENT_LIST"):
            if (d.property(window, "_NET_WM_PID") == str(self.process.pid)
                    and d.property(window, "WM_NAME") == f'"{title}"'
                    and (kind is None or kind in (d.property(window, "_NET_WM_WINDOW_TYPE")
                                                  or ""))):
                return window
        return None

    # A first start under Wine, with its 25 MB to load, may take a while on a busy machine.
    def find_window(self, title="Quorrel", kind="_NET_WM_WINDOW_TYPE_NORMAL"):
        return wait_for(f'the window "{title}"', lambda: self.managed_window(title, kind),
                        timeout=90)

    def wait_main_window(self):
        """The splash window has the same title and kind, and goes."""
        def up():
            self.window = self.managed_window("Quorrel", "_NET_WM_WINDOW_TYPE_NORMAL")
            return self.window and self.shown_and_focused()

        wait_for("the main window on the screen", up, timeout=90)
        return self.window

    def ended(self):
        return self.process.poll() is not None


class Suite:
    def __init__(self, executable):
        self.executable = os.path.abspath(executable)
        self.workdir = tempfile.mkdtemp(prefix="quorrel-wine-desktop-")
        self.desktop = Desktop(self.workdir)
        self.programs = []
        prefix = os.path.join(self.workdir, "wine")
        self.desktop.env.update(WINEPREFIX=prefix, WINEDEBUG="-all", USER=USER,
                                WINEDLLOVERRIDES="mscoree,mshtml=")
        self.drive_c = os.path.join(prefix, "drive_c")
        # Drive Q: is a folder of the test's own: the history goes there, browsed to in Options.
        self.drive_q = os.path.join(self.workdir, "drive-q")
        os.makedirs(self.drive_q)

    def wine(self, *arguments):
        subprocess.run(["wine", *arguments], env=self.desktop.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       stdin=subprocess.DEVNULL)

    def start_wine(self):
        """A fresh prefix, made while the notification area is up, so that Wine's own explorer
        docks its icons there. Drive Q: joins once the prefix is made, and Wine's services start
        again to see it, since they list the drives when they start."""
        self.wine("wineboot", "--init")
        os.symlink(self.drive_q,
                   os.path.join(self.desktop.env["WINEPREFIX"], "dosdevices", "q:"))
        subprocess.run(["wineserver", "-k"], env=self.desktop.env)
        subprocess.run(["wineserver", "-w"], env=self.desktop.env)
        self.profile = os.path.join(self.drive_c, "users", USER)
        self.game_save = os.path.join(self.profile, "Saved Games", "Diablo II Resurrected")
        os.makedirs(self.game_save)
        for extension in ("d2s", "key", "map"):
            with open(os.path.join(self.game_save, "Hero." + extension), "wb") as f:
                f.write(f"Hero's {extension}\r\n".encode() + bytes(range(256)))

    def program(self, name="Quorrel"):
        """The copy of quorrel.exe that every scenario starts: C:\\Quorrel\\quorrel.exe."""
        folder = os.path.join(self.drive_c, name)
        executable = os.path.join(folder, "quorrel.exe")
        if not os.path.exists(executable):
            os.makedirs(folder, exist_ok=True)
            shutil.copy2(self.executable, executable)
        quorrel = WineQuorrel(self.desktop, executable, folder)
        self.programs.append(quorrel)
        return quorrel

    def settings_lines(self, folder):
        with open(os.path.join(folder, "Settings.ini"), "rb") as f:
            return f.read()

    def dismiss(self, quorrel, title):
        """Closes a message box with Return, as its OK button has the focus."""
        box = quorrel.find_window(title, None)
        wait_for(f'"{title}" to take the focus', lambda: self.desktop.focus() == box or
                 self.desktop.active_window() == box)
        self.desktop.key("Return")
        wait_for(f'"{title}" to close', lambda: not quorrel.managed_window(title, None))

    def keys(self, *names):
        for name in names:
            self.desktop.key(name)
            time.sleep(0.2)

    # --- scenarios, in order: each goes on from where the one before left the program ----

    def test_first_start_without_settings(self):
        quorrel = self.program()
        box = quorrel.find_window("FirstTime User", None)
        if quorrel.managed_window("Quorrel", "_NET_WM_WINDOW_TYPE_NORMAL"):
            raise Failure("the main window is up before the first-run message is closed")
        wait_for("the message box to take the focus", lambda: self.desktop.focus() == box or
                 self.desktop.active_window() == box)
        self.desktop.key("Return")
        quorrel.wait_main_window()
        bar = quorrel.menu_bar()
        greyed = [title for title, found in bar.items() if not found["enabled"]]
        if greyed != ["Run"]:
            raise Failure(f"greyed titles {greyed}, expected Run only")
        self.quorrel = quorrel

    def test_options_browse_a_wine_drive_and_apply_writes_three_lines(self):
        quorrel = self.quorrel
        quorrel.choose("Options", "Set Options")
        options = quorrel.find_window("Options", None)
        wait_for("the Options dialog to take the focus", lambda: self.desktop.focus() == options
                 or self.desktop.active_window() == options)
        # Where a person clicks: the history folder's drive box, whose list offers drive Q:;
        # the refresh time; Apply. The layout is fixed, so each control has its place.
        x, y = (self.desktop.geometry(options)[key] for key in ("x", "y"))
        self.desktop.click(x + 259, y + 282)
        time.sleep(0.5)
        self.keys("q", "Return")
        time.sleep(1)  # the list closes and the folder box follows the drive
        self.desktop.click(x + 49, y + 343)
        time.sleep(0.5)
        # Typed over the whole text: a box left empty on the way is refused at once.
        self.keys("ctrl+a")
        self.desktop.run("xdotool", "type", "--delay", "150", "1")
        time.sleep(1)
        self.desktop.screenshot(os.path.join(self.workdir, "options.png"))
        self.desktop.click(x + 220, y + 346)
        self.dismiss(quorrel, "Settings")
        wait_for("Options to close", lambda: not quorrel.managed_window("Options", None))
        written = self.settings_lines(quorrel.folder)
        expected = ("C:\\users\\" + USER + "\\Saved Games\\Diablo II Resurrected\r\n"
                    "q:\\\r\n1\r\n").encode()  # a drive as the drive box names it
        if written != expected:
            raise Failure(f"Settings.ini holds {written!r}, expected {expected!r}")

    def test_start_docks_the_icon_and_a_double_click_brings_the_window_back(self):
        quorrel = self.quorrel
        quorrel.choose("Run", "Start")
        wait_for("Start to withdraw the window", quorrel.withdrawn)
        quorrel.keep_icon_picture(os.path.join(self.workdir, "icon.png"))
        quorrel.double_click_icon()
        wait_for("the window back", quorrel.shown_and_focused, timeout=5)
        quorrel.choose("Run", "Stop")
        round_trips(self.desktop, quorrel, ROUND_TRIPS)

    def test_a_rewritten_save_gives_one_snapshot_byte_for_byte(self):
        quorrel = self.quorrel
        quorrel.choose("Run", "Stop")
        quorrel.choose("Run", "Start")
        wait_for("Start to withdraw the window", quorrel.withdrawn)
        saved = os.path.join(self.game_save, "Hero.d2s")
        with open(saved, "ab") as f:
            f.write(b"played on")
        snapshots = wait_for("a snapshot", lambda: os.listdir(self.drive_q))
        time.sleep(2.5)  # two more checks, which must take no second snapshot
        snapshots = os.listdir(self.drive_q)
        if len(snapshots) != 1 or not SNAPSHOT_NAME.match(snapshots[0]):
            raise Failure(f"snapshot folders {snapshots}, expected one")
        self.snapshot = os.path.join(self.drive_q, snapshots[0])
        names = sorted(os.listdir(self.snapshot))
        if names != ["Hero.d2s", "Hero.key", "Hero.map"]:
            raise Failure(f"the snapshot holds {names}")
        match, mismatch, errors = filecmp.cmpfiles(self.game_save, self.snapshot, names,
                                                   shallow=False)
        if mismatch or errors:
            raise Failure(f"copies differ from the save files: {mismatch + errors}")
        quorrel.double_click_icon()
        wait_for("the window back", quorrel.shown_and_focused)
        quorrel.choose("Run", "Stop")

    def test_load_restores_the_snapshot_beside_a_safety_snapshot(self):
        quorrel = self.quorrel
        kept = {}
        for name in os.listdir(self.snapshot):
            with open(os.path.join(self.snapshot, name), "rb") as f:
                kept[name] = f.read()
        saved = os.path.join(self.game_save, "Hero.d2s")
        with open(saved, "wb") as f:
            f.write(b"a later save")
        quorrel.choose("File", "Load")
        load = quorrel.find_window("Load Game", None)
        wait_for("the Load dialog to take the focus", lambda: self.desktop.focus() == load
                 or self.desktop.active_window() == load)
        self.desktop.screenshot(os.path.join(self.workdir, "load.png"))
        # The folder box has the focus, open on Q:\ with the snapshot below it.
        self.keys("End", "Return", "Tab", "Tab", "space")
        wait_for("Load to close", lambda: not quorrel.managed_window("Load Game", None))
        for name, content in kept.items():
            with open(os.path.join(self.game_save, name), "rb") as f:
                if f.read() != content:
                    raise Failure(f"{name} was not restored")
        safety = [name for name in os.listdir(self.drive_q)  # not the history's hidden index
                  if os.path.join(self.drive_q, name) != self.snapshot
                  and not name.startswith(".")]
        if len(safety) != 1 or not SNAPSHOT_NAME.match(safety[0]):
            raise Failure(f"beside the snapshot: {safety}, expected one safety snapshot")
        with open(os.path.join(self.drive_q, safety[0], "Hero.d2s"), "rb") as f:
            if f.read() != b"a later save":
                raise Failure("the safety snapshot does not hold the save it replaced")

    def test_about_shows_the_version(self):
        quorrel = self.quorrel
        quorrel.choose("Help", "About")
        about = quorrel.find_window("About Quorrel", None)
        wait_for("the About box to take the focus", lambda: self.desktop.focus() == about
                 or self.desktop.active_window() == about)
        self.desktop.screenshot(os.path.join(self.workdir, "about.png"))
        self.desktop.key("Escape")
        wait_for("About to close", lambda: not quorrel.managed_window("About Quorrel", None))

    def test_a_second_start_raises_the_first_and_ends(self):
        quorrel = self.quorrel
        quorrel.choose("Hide")
        wait_for("Hide to withdraw the window", quorrel.withdrawn)
        second = self.program()
        wait_for("the second start to end", second.ended, timeout=30)
        if second.process.returncode != 0:
            raise Failure(f"the second start ended with {second.process.returncode}")
        wait_for("the first copy's window back", quorrel.shown_and_focused)

    def test_exit_removes_the_icon(self):
        quorrel = self.quorrel
        quorrel.choose("Run", "Start")
        wait_for("the icon", quorrel.icons)
        quorrel.double_click_icon()
        wait_for("the window back", quorrel.shown_and_focused)
        quorrel.exit()
        wait_for("the notification icon to go", lambda: not quorrel.icons())

    # --- running ---------------------------------------------------------------------------

    def run(self):
        tests = [name for name in dir(self) if name.startswith("test_")]
        tests.sort(key=lambda name: Suite.__dict__[name].__code__.co_firstlineno)
        passed = failed = 0
        began = time.monotonic()
        try:
            self.desktop.start()
            self.desktop.start_tray()
            self.start_wine()
            print(f"  Wine prefix ready ({time.monotonic() - began:.1f} s)", flush=True)
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
                    break  # the scenarios build on one another
        finally:
            for program in self.programs:
                program.close()
            subprocess.run(["wineserver", "-k"], env=self.desktop.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.desktop.close()
        print(f"Windows desktop suite: {time.monotonic() - began:.1f} s")
        print(f"{passed} passed, {failed} failed, {len(tests) - passed - failed} not run")
        ok = passed == len(tests)
        if ok and not os.environ.get("QUORREL_KEEP_DESKTOP"):
            shutil.rmtree(self.workdir, ignore_errors=True)
        else:
            print(f"files kept in {self.workdir}")
        return ok


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(0 if Suite(sys.argv[1]).run() else 1)
