"""The setup program under Wine, in a Wine prefix of its own that is thrown away afterwards:
installed silently for the current user and then for everyone, it puts quorrel.exe, its
uninstaller, the Start-menu shortcut and the uninstall entry in place; the program started
through the shortcut keeps its settings (and its lock and log) in %APPDATA%\\Quorrel; the silent
uninstaller takes away what was installed and leaves the settings, the log and every snapshot
as they were.

    python3 tests/install/windows_setup_test.py quorrel-1.0.0-setup.exe
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from xdesktop import Desktop, Failure, wait_for  # noqa: E402

SETUP_TIMEOUT = 120.0
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorrel"


class Wine:
    """A fresh Wine prefix, its user's folders and the commands run in it."""

    def __init__(self, workdir, env):
        self.prefix = os.path.join(workdir, "wineprefix")
        self.env = dict(env, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.run("wineboot", "--init")
        self.user = os.path.join(self.prefix, "drive_c", "users", os.environ.get("USER", "root"))
        if not os.path.isdir(self.user):
            users = [u for u in os.listdir(os.path.join(self.prefix, "drive_c", "users"))
                     if u != "Public"]
            self.user = os.path.join(self.prefix, "drive_c", "users", users[0])
        self.appdata = os.path.join(self.user, "AppData", "Roaming")
        self.local_appdata = os.path.join(self.user, "AppData", "Local")

    def run(self, *command, timeout=SETUP_TIMEOUT, check=True):
        result = subprocess.run(["wine", *command], env=self.env, capture_output=True, text=True,
                                errors="replace", timeout=timeout)
        if check and result.returncode != 0:
            raise Failure(f"wine {' '.join(command)} ended with {result.returncode}: "
                          f"{result.stderr[-2000:]}")
        return result

    def start(self, *command):
        return subprocess.Popen(["wine", *command], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def unix_path(self, windows_path):
        return self.run("winepath", "-u", windows_path).stdout.strip()

    def registry_value(self, root, key, name):
        result = self.run("reg", "query", f"{root}\\{key}", "/v", name, check=False)
        for line in result.stdout.splitlines():
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[0] == name:
                return parts[2].strip()
        return None

    def end(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)


def files_under(folder):
    """Every file under folder with its bytes, by path relative to it."""
    found = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder)] = f.read()
    return found


def check(condition, what):
    if not condition:
        raise Failure(what)


def install_and_remove(wine, desktop, setup, mode, install_dir, shortcut_dir, registry_root):
    """One install of the given kind, a start of the program, and its removal."""
    arguments = ["/S"] + (["/AllUsers"] if mode == "AllUsers" else [])
    wine.run(setup, *arguments)

    program = os.path.join(install_dir, "quorrel.exe")
    uninstaller = os.path.join(install_dir, "uninstall.exe")
    shortcut = os.path.join(shortcut_dir, "Quorrel.lnk")
    for path in (program, uninstaller, shortcut):
        check(os.path.isfile(path), f"{mode}: {path} was not installed")
    uninstall_string = wine.registry_value(registry_root, UNINSTALL_KEY, "UninstallString")
    check(uninstall_string and "uninstall.exe" in uninstall_string,
          f"{mode}: no uninstall entry under {registry_root} (found {uninstall_string!r})")
    check(wine.registry_value(registry_root, UNINSTALL_KEY, "DisplayVersion") == "1.0.0",
          f"{mode}: the uninstall entry names another version")

    # The player's settings, a history with snapshots in it, and an old log: all the
    # uninstaller must leave alone.
    settings_dir = os.path.join(wine.appdata, "Quorrel")
    saves = os.path.join(wine.user, "Saved Games", "Diablo II")
    history = os.path.join(wine.user, "Documents", "Quorrel history")
    os.makedirs(settings_dir, exist_ok=True)
    os.makedirs(saves, exist_ok=True)
    for name in ("Hero.d2s", "Hero.key", "Hero.map"):
        with open(os.path.join(saves, name), "wb") as f:
            f.write(b"save " + name.encode())
    for snapshot in ("Hero-06-12-2026-15-04-09", "Hero-06-12-2026-15-05-11"):
        os.makedirs(os.path.join(history, snapshot), exist_ok=True)
        for name in ("Hero.d2s", "Hero.key", "Hero.map"):
            with open(os.path.join(history, snapshot, name), "wb") as f:
                f.write(snapshot.encode() + b" " + name.encode())
    windows_saves = r"C:\users\%s\Saved Games\Diablo II" % os.path.basename(wine.user)
    windows_history = r"C:\users\%s\Documents\Quorrel history" % os.path.basename(wine.user)
    with open(os.path.join(settings_dir, "Settings.ini"), "wb") as f:
        f.write(f"{windows_saves}\r\n{windows_history}\r\n60\r\n".encode())
    with open(os.path.join(settings_dir, "Log.txt"), "wb") as f:
        f.write(b"an earlier entry\r\n")

    # Started as a player starts it, through the Start-menu shortcut: the main window comes
    # up without the first-run box, so the settings were read from %APPDATA%\Quorrel, whose lock
    # it holds; nothing is written beside the program.
    wine.start("start", "/unix", shortcut)
    window = wait_for("the installed program's main window",
                      lambda: desktop.windows_named("Quorrel"), timeout=60)[0]
    wait_for("the main window to be mapped",
             lambda: (desktop.geometry(window) or {}).get("mapped"))
    check(not desktop.windows_named("FirstTime User"),
          f"{mode}: the installed program did not find its settings in %APPDATA%\\Quorrel")
    wait_for("the lock beside the settings",
             lambda: os.path.exists(os.path.join(settings_dir, "Settings.ini.lock")))
    check(sorted(os.listdir(install_dir)) == ["quorrel.exe", "uninstall.exe"],
          f"{mode}: the program folder holds {sorted(os.listdir(install_dir))}")
    # Ended from outside (the desktop suite drives the menus): a running program could not be
    # removed. Its lock stays behind, as after a crash.
    wine.run("taskkill", "/f", "/im", "quorrel.exe", check=False)
    wait_for("the program to end", lambda: not any(
        desktop.windows_named("Quorrel") for _ in range(3)), timeout=30)

    kept = files_under(settings_dir)
    history_before = files_under(history)

    # The uninstaller copies itself away and returns at once; its copy does the work.
    wine.run(uninstaller, "/S")
    wait_for(f"{mode}: the uninstaller to remove the program",
             lambda: not os.path.exists(install_dir), timeout=SETUP_TIMEOUT)
    check(not os.path.exists(shortcut), f"{mode}: the shortcut is still there")
    check(wine.registry_value(registry_root, UNINSTALL_KEY, "UninstallString") is None,
          f"{mode}: the uninstall entry is still there")
    after = files_under(settings_dir)
    check(after == kept, f"{mode}: the uninstaller changed the settings folder: "
                         f"{sorted(kept)} before, {sorted(after)} after")
    check(files_under(history) == history_before, f"{mode}: the uninstaller touched the history")
    check(files_under(saves) and len(files_under(saves)) == 3, f"{mode}: the saves changed")
    print(f"{mode}: installed, started from its shortcut, removed; settings and history kept")


def main():
    setup = os.path.abspath(sys.argv[1])
    for tool in ("wine", "wineserver", "Xvfb", "openbox", "xdotool", "xprop", "xwininfo"):
        if shutil.which(tool) is None:
            print(f"setup test cannot run: {tool} is missing", file=sys.stderr)
            return 1
    workdir = tempfile.mkdtemp(prefix="quorrel-setup-")
    desktop = Desktop(workdir)
    wine = None
    try:
        desktop.start()
        wine = Wine(workdir, desktop.env)
        install_and_remove(
            wine, desktop, setup, "CurrentUser",
            os.path.join(wine.local_appdata, "Programs", "Quorrel"),
            os.path.join(wine.appdata, "Microsoft", "Windows", "Start Menu", "Programs"),
            "HKCU")
        install_and_remove(
            wine, desktop, setup, "AllUsers",
            os.path.join(wine.prefix, "drive_c", "Program Files", "Quorrel"),
            os.path.join(wine.prefix, "drive_c", "ProgramData", "Microsoft", "Windows",
                         "Start Menu", "Programs"),
            "HKLM")
        return 0
    except (Failure, subprocess.TimeoutExpired) as failure:
        shot = os.path.join(tempfile.gettempdir(), "quorrel-setup-failure.png")
        subprocess.run(["import", "-window", "root", shot], env=desktop.env, capture_output=True)
        print(f"setup test failed: {failure} (screenshot: {shot})", file=sys.stderr)
        return 1
    finally:
        if wine:
            wine.end()
        desktop.close()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    started = time.monotonic()
    code = main()
    print(f"setup test: {time.monotonic() - started:.0f} s")
    sys.exit(code)
