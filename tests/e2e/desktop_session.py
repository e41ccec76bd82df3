"""A private X display and session bus, and a Quillforge process driven on them as a person would:
windows and controls are found on the accessibility bus by role and name, and every click and key is
a real input event sent through the X server.

Every wait has a deadline and fails with a message that names what did not happen.
"""
import argparse
import os
import random
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zlib

# Keysyms used by the sessions.
KEY_ESCAPE = 0xFF1B
KEY_END = 0xFF57
KEY_BACKSPACE = 0xFF08


# Searches do not walk into item views: a sheet grid has one child per cell, each a round trip on
# the bus. Their cells are reached through the table interface instead.
_LEAVES = ("table", "tree", "list", "table cell", "list item")


class E2EFailure(Exception):
    pass


def log(message):
    print(f"[{time.monotonic() - _T0:6.2f}s] {message}", flush=True)


_T0 = time.monotonic()


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Returns probe()'s first truthy result; fails naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except Exception as error:  # the bus may answer for a window that is going away
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise E2EFailure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


# ---- The display and the bus ------------------------------------------------------------------------


def run_in_private_desktop(script, args, fbdir):
    """Runs `script` under a fresh Xvfb (framebuffer in `fbdir`) and a fresh session bus; returns
    its exit code."""
    xvfb = shutil.which("Xvfb")
    dbus = shutil.which("dbus-run-session")
    for tool, package in ((xvfb, "xvfb"), (dbus, "dbus-bin")):
        if not tool:
            print(f"FAIL: {package} is not installed (bash scripts/deps.sh installs it)", flush=True)
            return 1
    server, number = _start_x_server(xvfb, fbdir)
    if server is None:
        print("FAIL: no X server could be started", flush=True)
        return 1
    try:
        env = dict(os.environ, DISPLAY=":" + number)
        env.pop("XAUTHORITY", None)
        child = subprocess.run([dbus, "--", sys.executable, script, *args], env=env)
        return child.returncode
    finally:
        server.terminate()
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()
        os.close(server.displayfd)


def _start_x_server(xvfb, fbdir):
    """Xvfb on a free display. Without -noreset the server resets whenever its last client leaves
    (the readiness probe, a launcher), and a client that connects meanwhile is turned away.
    Other sessions on this machine may share the network namespace, where
    X's abstract sockets live, while their /tmp locks are out of sight; low numbers, which xvfb-run
    and Xvfb's own search hand out first, are where they collide, so a random high one is taken."""
    chooser = random.Random(os.getpid() ^ time.time_ns())
    for _ in range(8):
        number = str(chooser.randrange(200, 9000))
        read_fd, write_fd = os.pipe()
        server = subprocess.Popen(
            [xvfb, ":" + number, "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-fbdir", fbdir,
             "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        # Xvfb writes the number and the line end separately and dies if the pipe is gone
        # in between, so read to the line end and keep the pipe open while the server runs.
        reported = b""
        while not reported.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], 20)
            chunk = os.read(read_fd, 64) if ready else b""
            if not chunk:
                break
            reported += chunk
        if reported.decode().strip() == number and _accepts(number):
            server.displayfd = read_fd
            return server, number
        os.close(read_fd)
        server.kill()
        server.wait()
    return None, None


def display_opens():
    """Whether an X client can open the display named by DISPLAY."""
    import ctypes
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    display = xlib.XOpenDisplay(None)
    if display:
        xlib.XCloseDisplay(ctypes.c_void_p(display))
    return bool(display)


def _accepts(number):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
        try:
            probe.connect(f"/tmp/.X11-unix/X{number}")
            return True
        except OSError:
            return False


def framebuffer_png(fbdir, extents, path):
    """Writes the screen area `extents` (x, y, width, height) of Xvfb's framebuffer file as a PNG."""
    with open(os.path.join(fbdir, "Xvfb_screen0"), "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, byte_order, bpp, stride = fields[0], fields[7], fields[11], fields[12]
    width, height, ncolors = fields[4], fields[5], fields[19]
    masks = fields[14:17]
    if bpp != 32:
        raise E2EFailure(f"framebuffer has {bpp} bits per pixel, expected 32")
    pixels = header_size + 12 * ncolors
    x, y, w, h = extents
    x, y = max(0, x), max(0, y)
    w, h = min(w, width - x), min(h, height - y)
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    fmt = "<I" if byte_order == 0 else ">I"
    rows = []
    for row in range(y, y + h):
        start = pixels + row * stride + 4 * x
        line = bytearray(b"\0")  # filter type 0
        for (value,) in struct.iter_unpack(fmt, data[start:start + 4 * w]):
            line += bytes(((value & m) >> s) & 0xFF for m, s in zip(masks, shifts))
        rows.append(bytes(line))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


# ---- The program ------------------------------------------------------------------------------------


def install(cmake, build_dir, prefix):
    """cmake --install of the build into `prefix`; returns the installed program's path."""
    result = subprocess.run([cmake, "--install", build_dir, "--prefix", prefix],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise E2EFailure("cmake --install failed:\n" + result.stdout)
    program = os.path.join(prefix, "bin", "quillforge")
    if not os.access(program, os.X_OK):
        raise E2EFailure(f"cmake --install put no program at {program}")
    return program


def user_environment(work):
    """A first-run user: empty home and configuration folders of its own, the X display, accessibility
    on, and the default theme (no desktop's platform theme, which could swap in other dialogs)."""
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "runtime")
    for folder in (os.path.join(home, ".config"), runtime, os.path.join(work, "tmp")):
        os.makedirs(folder, exist_ok=True)
    os.chmod(runtime, 0o700)
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("QT_", "XDG_")) and key not in ("SESSION_MANAGER", "DESKTOP_SESSION")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_RUNTIME_DIR=runtime,
               TMPDIR=os.path.join(work, "tmp"), QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LANG="C.UTF-8", LC_ALL="C.UTF-8")
    return env


class Session:
    """One running Quillforge and the accessibility tree of its windows. `start` is the program's
    argv, or a function that has something else start it (a desktop launcher); the program is then
    the one Quillforge on this private bus."""

    def __init__(self, start, env, fbdir):
        wait_for("the X display to take a client", display_opens, timeout=10, interval=0.2)
        import pyatspi  # only under the private bus
        self.at = pyatspi
        self.fbdir = fbdir
        self.process = None
        if callable(start):
            log("start through a launcher")
            start()
        else:
            log("start " + " ".join(start))
            self.process = subprocess.Popen(start, env=env)
        self.app = wait_for("the program to appear on the accessibility bus", self._find_app, timeout=20)
        self.pid = self.app.get_process_id()

    def _find_app(self):
        if self.process and self.process.poll() is not None:
            raise E2EFailure(f"the program ended at start-up with exit code {self.process.returncode}")
        for app in self.at.Registry.getDesktop(0):
            if app is None:
                continue
            if self.process.pid == app.get_process_id() if self.process else app.name == "quillforge":
                return app
        return None

    # -- finding --

    def windows(self):
        return [w for w in self.app if w is not None]

    def window(self, name, timeout=10.0):
        """The top-level window titled `name` (a string, or a compiled pattern to match)."""
        def probe():
            for w in self.windows():
                if self._named(w, name) and self.at.STATE_SHOWING in w.getState().getStates():
                    return w
            return None
        return wait_for(f'the window "{_show(name)}"', probe, timeout)

    def window_gone(self, name, timeout=10.0):
        """Waits until no window titled `name` is on the screen (hidden tool windows stay in the tree)."""
        def probe():
            return not any(self._named(w, name) and self.at.STATE_SHOWING in w.getState().getStates()
                           for w in self.windows())
        wait_for(f'the window "{_show(name)}" to close', probe, timeout)

    def closed(self, window, timeout=10.0):
        """Waits until this very window object has left the screen (another of the same title may follow)."""
        def probe():
            try:
                states = window.getState().getStates()
            except Exception:
                return True
            return self.at.STATE_DEFUNCT in states or self.at.STATE_SHOWING not in states
        wait_for(f'the window "{window.name}" to close', probe, timeout)

    def find(self, root, role, name=None, timeout=10.0, showing=True):
        """The first control below `root` with the role `role` and, when given, the name `name`."""
        def probe():
            return self._search(root, role, name, showing)
        return wait_for(f'a {role} "{_show(name)}" in "{root.name}"', probe, timeout)

    def find_all(self, root, role, showing=True):
        found = []
        self._collect(root, role, showing, found)
        return found

    def _named(self, acc, name):
        if name is None:
            return True
        if isinstance(name, str):
            return acc.name == name
        return name.fullmatch(acc.name or "") is not None

    def _search(self, acc, role, name, showing):
        for child in acc:
            if child is None:
                continue
            if child.getRoleName() == role and self._named(child, name):
                if not showing or self.at.STATE_SHOWING in child.getState().getStates():
                    return child
            if child.getRoleName() not in _LEAVES:
                found = self._search(child, role, name, showing)
                if found is not None:
                    return found
        return None

    def _collect(self, acc, role, showing, found):
        for child in acc:
            if child is None:
                continue
            if child.getRoleName() == role:
                if not showing or self.at.STATE_SHOWING in child.getState().getStates():
                    found.append(child)
            elif child.getRoleName() not in _LEAVES:
                self._collect(child, role, showing, found)

    # -- state --

    def enabled(self, acc):
        return self.at.STATE_ENABLED in acc.getState().getStates()

    def text(self, acc):
        return acc.queryText().getText(0, -1)

    def extents(self, acc):
        e = acc.queryComponent().getExtents(self.at.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    # -- input --

    def click(self, acc, what=None, double=False):
        """A left click in the middle of `acc`, through the X server, once it is shown and enabled."""
        label = what or f'{acc.getRoleName()} "{acc.name}"'
        wait_for(f"{label} to be enabled", lambda: self.enabled(acc), timeout=10)
        x, y, w, h = self.extents(acc)
        if w <= 0 or h <= 0:
            raise E2EFailure(f"{label} has no area on the screen")
        self.at.Registry.generateMouseEvent(x + w // 2, y + h // 2, "b1d" if double else "b1c")

    def press(self, window, caption):
        self.click(self.find(window, "push button", caption))

    def menu(self, window, *path):
        """Clicks through the menu bar: menu(frame, "File", "Preferences")."""
        bar = self.find(window, "menu bar")
        item = self.find(bar, "menu item", path[0])
        self.click(item)
        for step in path[1:]:
            item = self.find(item, "menu item", step)
            self.click(item)

    def type(self, text):
        """Types `text` as key strokes into whatever has the keyboard focus."""
        self.at.Registry.generateKeyboardEvent(0, text, self.at.KEY_STRING)

    def key(self, keysym):
        self.at.Registry.generateKeyboardEvent(keysym, None, self.at.KEY_SYM)

    def fill(self, field, text):
        """Puts `text` into an edit field through its editable-text interface (what pasting does)."""
        field.queryEditableText().setTextContents(text)
        wait_for(f'"{field.name}" to read {text!r}', lambda: self.text(field) == text, timeout=5)

    def choose_file(self, title, path, button):
        """Answers the file dialog titled `title`: types `path` as the file name and presses `button`."""
        dialog = self.window(title)
        self.fill(self.find(dialog, "text", "File name:"), path)
        self.press(dialog, button)
        self.window_gone(title)

    # -- pictures --

    def screenshot(self, acc, path):
        # The pointer is drawn into the framebuffer; park it in the screen's corner, off the windows.
        self.at.Registry.generateMouseEvent(1023, 767, "abs")
        time.sleep(0.2)
        framebuffer_png(self.fbdir, self.extents(acc), path)
        log(f"screenshot {os.path.basename(path)}")

    # -- the end --

    def wait_exit(self, timeout=15.0):
        """Waits for the program to end; returns its exit code when it is this script's child."""
        if self.process:
            try:
                return self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                raise E2EFailure(f"the program did not end within {timeout:.0f} s") from None
        wait_for("the program to end", lambda: not self._alive(), timeout)
        return None

    def _alive(self):
        try:
            with open(f"/proc/{self.pid}/stat") as f:
                return f.read().rsplit(")", 1)[1].split()[0] != "Z"
        except OSError:
            return False

    def kill(self):
        if self.process:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()
        elif self._alive():
            os.kill(self.pid, signal.SIGKILL)


def _show(name):
    if name is None:
        return "*"
    return name if isinstance(name, str) else name.pattern


def caption_pattern(file_name):
    return re.compile(r"Quillforge \(" + re.escape(file_name) + r", (-?\d+) bytes\)")


def scratch(prefix):
    return tempfile.mkdtemp(prefix=prefix)


# ---- The test scripts' common main -------------------------------------------------------------------


def run_test(doc, add_arguments, body):
    """Parses --fixtures, --cmake and --build (tests of the build pass them) and what `add_arguments`
    adds, then runs body(options) on a private display and bus: the first call starts them and runs
    the script again inside.
    Exit code 0 passed, 1 failed, 77 skipped (no fixtures)."""
    parser = argparse.ArgumentParser(description=doc)
    parser.add_argument("--cmake")
    parser.add_argument("--build", type=os.path.abspath)
    parser.add_argument("--fixtures", required=True, type=os.path.abspath)
    parser.add_argument("--fbdir", help=argparse.SUPPRESS)
    add_arguments(parser)
    options = parser.parse_args()
    if not os.path.isdir(options.fixtures):
        print(f"SKIP: no mod fixtures at {options.fixtures}")
        sys.exit(77)
    if not options.fbdir:
        fbdir = scratch("qf-e2e-fb-")
        try:
            code = run_in_private_desktop(os.path.abspath(sys.argv[0]), sys.argv[1:] + ["--fbdir", fbdir], fbdir)
        finally:
            shutil.rmtree(fbdir, ignore_errors=True)
        sys.exit(code)
    try:
        body(options)
    except E2EFailure as failure:
        print(f"FAIL: {failure}", flush=True)
        sys.exit(1)
