"""A small X desktop for the desktop tests: Xvfb, the openbox window manager and trayer as the
notification area, with what a person does on it (clicks, a double-click, keys) and what the
window system can tell about a window afterwards. Python's standard library and the X command-line
tools only."""

import os
import re
import signal
import struct
import subprocess
import tempfile
import time
import zlib

# How long a condition may take before it counts as failed. Generous: CI machines are slow at
# times, and a passing test never waits that long.
TIMEOUT = 10.0


class Failure(Exception):
    pass


def wait_for(what, condition, timeout=TIMEOUT):
    """Polls condition until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"gave up waiting for {what}")
        time.sleep(0.02)


class Desktop:
    def __init__(self, workdir):
        self.workdir = workdir
        self.framebuffer_dir = tempfile.mkdtemp(dir=workdir, prefix="fb-")
        self.processes = {}
        self.env = dict(os.environ)
        runtime = tempfile.mkdtemp(dir=workdir, prefix="runtime-")
        os.chmod(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime

    # --- the session -------------------------------------------------------------------

    def start(self, width=1024, height=768):
        # -displayfd: the server picks a free display number and says which.
        read_end, write_end = os.pipe()
        self.processes["Xvfb"] = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-fbdir", self.framebuffer_dir, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as answer:
            display = answer.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        self.width, self.height = width, height
        self.spawn("openbox", ["openbox", "--sm-disable"])
        # A first start on a fresh machine builds the font cache first, which takes a busy machine
        # longer than any step of the suites.
        wait_for("the window manager", lambda: self.root_property("_NET_SUPPORTING_WM_CHECK"),
                 timeout=60)

    def start_tray(self):
        # A fixed width: sized to what it holds, trayer starts 2 pixels wide, and Wine keeps the
        # window it docks an icon in at that width once trayer has grown, so the icon is cut to
        # a strip that shows trayer's grey and takes few clicks.
        self.spawn("trayer", ["trayer", "--edge", "bottom", "--align", "right",
                              "--widthtype", "pixel", "--width", "100", "--height", "32",
                              "--SetDockType", "true", "--transparent", "false"])
        wait_for("the notification area", lambda: self.tray_panel())

    def stop_tray(self):
        self.stop("trayer")
        wait_for("the notification area to go", lambda: not self.tray_panel())

    def spawn(self, name, command, **options):
        options.setdefault("stdout", subprocess.DEVNULL)
        options.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=self.env, **options)
        self.processes[name] = process
        return process

    def stop(self, name):
        process = self.processes.pop(name, None)
        if process and process.poll() is None:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def close(self):
        for name in reversed(list(self.processes)):
            self.stop(name)

    # --- asking the window system --------------------------------------------------------

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True).stdout

    def root_property(self, name):
        return self.property("-root", name)

    def property(self, window, name):
        """The value of a property as xprop prints it after '=' or ':', or None if unset."""
        target = ["-root"] if window == "-root" else ["-id", str(window)]
        text = self.run("xprop", *target, name)
        if "not found" in text or "no such atom" in text or not text.strip():
            return None
        head, _, value = text.partition("=") if "=" in text.splitlines()[0] else text.partition(":")
        return value.strip()

    def window_ids(self, name):
        """Ids from a root property holding a list of windows, such as _NET_CLIENT_LIST."""
        value = self.root_property(name) or ""
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", value)]

    def wm_state(self, window):
        """Normal, Iconic or Withdrawn, as the window manager set WM_STATE; None if it is unset."""
        text = self.run("xprop", "-id", str(window), "WM_STATE")
        match = re.search(r"window state: (\w+)", text)
        return match.group(1) if match else None

    def net_wm_state(self, window):
        return set(re.findall(r"_NET_WM_STATE_\w+", self.property(window, "_NET_WM_STATE") or ""))

    def geometry(self, window):
        """Map state and the absolute position and size of a window's own area."""
        text = self.run("xwininfo", "-id", str(window))
        if "Map State" not in text:
            return None

        def number(label):
            return int(re.search(label + r":\s+(-?\d+)", text).group(1))

        return {"mapped": "IsViewable" in text,
                "override_redirect": "Override Redirect State: yes" in text,
                "x": number("Absolute upper-left X"), "y": number("Absolute upper-left Y"),
                "width": number("Width"), "height": number("Height")}

    def focus(self):
        return int(self.run("xdotool", "getwindowfocus").strip() or 0)

    def windows_named(self, title):
        found = self.run("xdotool", "search", "--name", "^" + re.escape(title) + "$").split()
        return [int(w) for w in found]

    def managed_window(self, pid, title, kind="_NET_WM_WINDOW_TYPE_NORMAL"):
        """The window of that process that the window manager shows with that title."""
        for window in self.window_ids("_NET_CLIENT_LIST"):
            if (self.property(window, "_NET_WM_PID") == str(pid)
                    and self.property(window, "WM_NAME") == f'"{title}"'
                    and kind in (self.property(window, "_NET_WM_WINDOW_TYPE") or "")):
                return window
        return None

    def window_report(self, window):
        geometry = self.geometry(window) or {}
        return (f"mapped={geometry.get('mapped')} WM_STATE={self.wm_state(window)} "
                f"_NET_WM_STATE={sorted(self.net_wm_state(window))} focus={self.focus() == window} "
                f"active={self.active_window() == window} top={self.top_window() == window}")

    def active_window(self):
        ids = self.window_ids("_NET_ACTIVE_WINDOW")
        return ids[0] if ids else None

    def top_window(self):
        """The topmost application window; docks such as the notification area stay above
        every window, so they do not count."""
        for window in reversed(self.window_ids("_NET_CLIENT_LIST_STACKING")):
            if "_NET_WM_WINDOW_TYPE_DOCK" not in (self.property(window, "_NET_WM_WINDOW_TYPE")
                                                  or ""):
                return window
        return None

    # --- the notification area -----------------------------------------------------------

    def tray_panel(self):
        found = self.run("xdotool", "search", "--class", "^trayer$").split()
        for window in found:
            if self.property(int(window), "WM_NAME") == '"panel"':
                return int(window)
        return None

    def tray_icons(self, window_class):
        """Windows docked in the notification area whose class is window_class, with their
        absolute geometry."""
        panel = self.tray_panel()
        if panel is None:
            return []
        icons = []
        for line in self.run("xwininfo", "-tree", "-id", str(panel)).splitlines():
            match = re.match(r'\s*(0x[0-9a-f]+) .*\("[^"]*" "([^"]*)"\)\s+(\d+)x(\d+)[+-]\d+[+-]\d+'
                             r'\s+\+(-?\d+)\+(-?\d+)', line)
            if match and match.group(2) == window_class:
                window, _, width, height, x, y = match.groups()
                icons.append({"window": int(window, 16), "x": int(x), "y": int(y),
                              "width": int(width), "height": int(height)})
        return icons

    # --- a person's hands ----------------------------------------------------------------

    def click(self, x, y, count=1):
        # 80 ms between the two clicks of a double-click: well within Qt's 400 ms.
        self.run("xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(count),
                 "--delay", "80", "1")

    def park_pointer(self):
        """Moves the pointer where it covers nothing: Xvfb draws it into the screen's picture,
        and a menu highlights what it points at."""
        self.run("xdotool", "mousemove", str(self.width - 1), str(self.height // 2))

    def key(self, name):
        self.run("xdotool", "key", name)

    # --- the screen ----------------------------------------------------------------------

    def screen(self):
        """The whole screen as (width, height, bytes in B G R x order per pixel)."""
        with open(os.path.join(self.framebuffer_dir, "Xvfb_screen0"), "rb") as f:
            data = f.read()
        header = struct.unpack(">25I", data[:100])
        header_size, width, height, bytes_per_line, colours = (
            header[0], header[4], header[5], header[12], header[19])
        offset = header_size + colours * 12
        pixels = bytearray()
        for row in range(height):
            start = offset + row * bytes_per_line
            pixels += data[start:start + width * 4]
        return width, height, bytes(pixels)

    def region(self, x, y, width, height):
        """Rows of (r, g, b) tuples; what lies off the screen is black."""
        screen_width, screen_height, pixels = self.screen()
        rows = []
        for row in range(y, y + height):
            line = []
            for column in range(x, x + width):
                if not (0 <= row < screen_height and 0 <= column < screen_width):
                    line.append((0, 0, 0))
                    continue
                i = (row * screen_width + column) * 4
                line.append((pixels[i + 2], pixels[i + 1], pixels[i]))
            rows.append(line)
        return rows

    def colours(self, x, y, width, height):
        """The distinct colours in a rectangle of the screen."""
        return {pixel for line in self.region(x, y, width, height) for pixel in line}

    def screenshot(self, path, x=0, y=0, width=None, height=None):
        """Writes (part of) the screen as a PNG file."""
        width = width or self.width - x
        height = height or self.height - y
        raw = bytearray()
        for line in self.region(x, y, width, height):
            raw.append(0)
            for r, g, b in line:
                raw += bytes((r, g, b))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body)))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n"
                    + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def luminance(pixel):
    r, g, b = pixel
    return (299 * r + 587 * g + 114 * b) // 1000


def text_runs(profile, gap):
    """Runs of indexes whose profile is true, joined across gaps of at most gap."""
    runs = []
    for i, inked in enumerate(profile):
        if not inked:
            continue
        if runs and i - runs[-1][1] <= gap + 1:
            runs[-1][1] = i
        else:
            runs.append([i, i])
    return runs
