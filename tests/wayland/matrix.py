#!/usr/bin/env python3
"""The real program through XWayland on a headless Wayland compositor, with a
native (wev) and an X11 (xev) program under the overlays, driven by a virtual
pointer and checked through the compositor, the targets' logs and the files.

  matrix.py ROW INKLY POINTER     ROW: sway-1 sway-2 kwin-1 kwin-2 mutter-1 mutter-2

Exits 1 if a check failed, 77 if the compositor cannot run here."""
import json, os, pwd, re, shutil, signal, subprocess, sys, tempfile, time

# Compositor, outputs, the kind of program that has the keyboard at the start.
ROWS = {"sway-1": ("sway", 1, "wev"), "sway-2": ("sway", 2, "xev"), "kwin-1": ("kwin", 1, "wev"), "kwin-2": ("kwin", 2, "xev"),
        "mutter-1": ("mutter", 1, "wev"), "mutter-2": ("mutter", 2, "xev")}
W, H = 1920, 1080
USER = "inklytest"
# The vertical toolbar from its window's top-left corner (as the X11 tests).
BAR_X, SWITCH_Y, POINTER_Y, PEN_Y = 34, 67, 134, 176
LEFT = 272
TOOLBAR = "Inkly Floating Toolbar"
OVERLAY = "Inkly Drawing Overlay - DrawingOverlay_%d"
# Where the targets are put: a wev and the xev on the first output, a wev on the second.
# The X11 program reaches under the toolbar: once clicked, it is raised above
# the toolbar in the X stacking, which decides where XWayland sends a press.
WEV_RECT, XEV_RECT = (100, 150, 800, 600), (1000, 150, 900, 500)
failures = []


def group_alive(proc):
    proc.poll()
    try:
        os.killpg(proc.pid, 0)
        return True
    except ProcessLookupError:
        return False


def check(journey, ok, what):
    print("%s journey %s: %s" % ("PASS" if ok else "FAIL", journey, what), flush=True)
    if not ok:
        failures.append("%s: %s" % (journey, what))
    return ok


def wait_for(condition, timeout=20.0):
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(0.2)


def skip(why):
    print("SKIP: " + why, flush=True)
    sys.exit(77)


class Session:
    def __init__(self, compositor, outputs):
        self.compositor, self.outputs = compositor, outputs
        self.procs, self.script_count = [], 0
        self.dir = tempfile.mkdtemp(prefix="inkly-wayland-")
        os.chmod(self.dir, 0o755)
        # Compositors refuse root (sway) or need a user of their own: a system
        # user of the tests, made once.
        if os.geteuid() == 0:
            try:
                pwd.getpwnam(USER)
            except KeyError:
                subprocess.run(["useradd", "--system", "--user-group", "--no-create-home",
                                "--home-dir", "/nonexistent", "--shell", "/usr/sbin/nologin", USER], check=True)
            entry = pwd.getpwnam(USER)
            self.ids = (entry.pw_uid, entry.pw_gid)
            # Xwayland made by our user would own it otherwise, without the sticky bit.
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        else:
            self.ids = None
        self.env = {"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
            self.env[name] = self.path(name.lower())
            os.makedirs(self.env[name], mode=0o700)
        os.makedirs(self.path("bin"))

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def own(self):
        if self.ids:
            for top, dirs, files in os.walk(self.dir):
                for name in [top] + [os.path.join(top, n) for n in dirs + files]:
                    os.chown(name, *self.ids)

    def install(self, binary, name=None):
        # A copy the user can run, wherever the build lies.
        target = self.path("bin", name or os.path.basename(binary))
        shutil.copy(binary, target)
        os.chmod(target, 0o755)
        return target

    def as_user(self, argv):
        return (["setpriv", "--reuid=%d" % self.ids[0], "--regid=%d" % self.ids[1], "--init-groups"] if self.ids else []) + argv

    def spawn(self, argv, log=None, extra=None, **kwargs):
        """Starts a program that lives as long as the session, as its user."""
        out = open(self.path(log), "w") if log else kwargs.pop("stdout", subprocess.DEVNULL)
        proc = subprocess.Popen(self.as_user(argv), env=dict(self.env, **(extra or {})), cwd=self.dir, stdout=out,
                                stderr=subprocess.STDOUT if log else kwargs.pop("stderr", subprocess.DEVNULL), start_new_session=True, **kwargs)
        self.procs.append(proc)
        return proc

    def run(self, argv):
        done = subprocess.run(self.as_user(argv), env=self.env, cwd=self.dir, capture_output=True, timeout=30)
        return done.stdout.decode(errors="replace") if done.returncode == 0 else ""

    def stop(self):
        # Each program leads a process group of its own, with what it started.
        for proc in reversed(self.procs):
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(proc.pid, sig)
                    if wait_for(lambda: not group_alive(proc), 3):
                        break
                except ProcessLookupError:
                    break
        if os.path.exists(self.path("session.env.pid")):
            # KWin leaves the program it started running.
            pid = int(open(self.path("session.env.pid")).read())
            os.kill(pid, signal.SIGTERM)
            wait_for(lambda: not os.path.exists("/proc/%d" % pid), 5)
        if failures and os.path.exists(self.path("inkly.log")):
            kept = os.path.join(tempfile.gettempdir(), "inkly-wayland-%s-%d-inkly.log" % (self.compositor, self.outputs))
            shutil.copy(self.path("inkly.log"), kept)
            print("  the program's log: " + kept)
        shutil.rmtree(self.dir, ignore_errors=True)

    def start(self):
        env_file = self.path("session.env")
        if self.compositor == "sway":
            if not shutil.which("sway"):
                skip("sway is not installed")
            with open(self.path("sway.conf"), "w") as conf:
                for i in range(2):
                    conf.write("output HEADLESS-%d resolution %dx%d position %d 0\n" % (i + 1, W, H, i * W))
                # The focus moves only when a click moves it.
                conf.write("xwayland enable\nfocus_follows_mouse no\nexec env > %s\n" % env_file)
            self.own()
            self.compositor_proc = self.spawn(["dbus-run-session", "--", "sway", "-c", self.path("sway.conf")], "sway.log",
                                              {"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"})
        elif self.compositor == "mutter":
            if not shutil.which("mutter"):
                skip("mutter is not installed")
            self.own()
            monitors = sum((["--virtual-monitor", "%dx%d" % (W, H)] for _ in range(self.outputs)), [])
            self.compositor_proc = self.spawn(["dbus-run-session", "--", "mutter", "--wayland", "--headless", "--wayland-display",
                                               "wayland-inkly"] + monitors + ["--", "sh", "-c", "env > %s; exec sleep infinity" % env_file], "mutter.log")
        else:
            if not shutil.which("kwin_wayland"):
                skip("kwin_wayland is not installed")
            # The packaged binary has a file capability this machine may refuse;
            # the copy keeps the name KWin's platform plugin asks for.
            kwin = self.install(shutil.which("kwin_wayland"))
            os.makedirs(self.path("xdg_data_home", "applications"))
            with open(self.path("xdg_data_home", "applications", "inkly-test-pointer.desktop"), "w") as desktop:
                desktop.write("[Desktop Entry]\nType=Application\nName=Inkly test pointer\nNoDisplay=true\n"
                              "Exec=%s\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n" % self.path("bin", "wayland_pointer"))
            self.own()
            self.compositor_proc = self.spawn(
                ["dbus-run-session", "--", kwin, "--virtual", "--xwayland", "--width", str(W), "--height", str(H),
                 "--output-count", str(self.outputs), "--no-lockscreen", "--no-global-shortcuts", "--socket", "wayland-inkly",
                 "sh -c 'echo $$ > %s.pid; env > %s; exec sleep infinity'" % (env_file, env_file)], "kwin.log", {"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"})
        started = wait_for(lambda: self.compositor_proc.poll() is not None or (
            os.path.exists(env_file) and "DISPLAY=" in open(env_file).read()), 30)
        if not started or self.compositor_proc.poll() is not None:
            skip("%s did not start here: %s" % (self.compositor, open(self.path(self.compositor + ".log")).read()[-1500:]))
        for line in open(env_file).read().splitlines():
            name, _, value = line.partition("=")
            if name in ("WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS") or (name == "XAUTHORITY" and value):
                self.env[name] = value
        if self.compositor == "sway" and self.outputs == 2:
            self.run(["swaymsg", "create_output"])

    def kwin_script(self, body):
        # Runs a script inside KWin; what it prints comes back through KWin's log.
        self.script_count += 1
        tag = "inklytest%d" % self.script_count
        script = self.path(tag + ".js")
        with open(script, "w") as f:
            f.write("const tag = %s;\n%s\n" % (json.dumps(tag), body))
        os.chmod(script, 0o644)
        bus = ["gdbus", "call", "--session", "--dest", "org.kde.KWin", "--object-path", "/Scripting", "--method"]
        self.run(bus + ["org.kde.kwin.Scripting.loadScript", script, tag])
        self.run(bus + ["org.kde.kwin.Scripting.start"])
        found = wait_for(lambda: re.search(tag + r" (.*) end$", open(self.path("kwin.log"), errors="replace").read(), re.M), 5)
        self.run(bus + ["org.kde.kwin.Scripting.unloadScript", tag])
        return json.loads(found.group(1)) if found else []

    def windows(self, place=None, activate=None):
        """The compositor's windows as {pid, name, rect (x, y, w, h), focused};
        `place` maps a pid or title to a rectangle, `activate` one of them to focus."""
        if self.compositor == "mutter":
            return self.mutter_windows(activate)
        if self.compositor == "kwin":
            return self.kwin_script("""const want = %s; const out = [];
for (const c of workspace.clientList()) {
    const r = want.place[c.pid] || want.place[c.caption];
    if (r) c.frameGeometry = {x: r[0], y: r[1], width: r[2], height: r[3]};
    if (c.pid === want.activate || c.caption === want.activate) workspace.activeClient = c;
}
for (const c of workspace.clientList()) { const g = c.frameGeometry;
    out.push({pid: c.pid, name: c.caption, rect: [g.x, g.y, g.width, g.height], focused: c === workspace.activeClient}); }
print(tag, JSON.stringify(out), "end");""" % json.dumps({"place": place or {}, "activate": activate}))
        criteria = lambda key: "[pid=%s]" % key if str(key).isdigit() else '[title="%s"]' % key
        for key, (x, y, w, h) in (place or {}).items():
            self.run(["swaymsg", "%s floating enable, resize set %d %d, move absolute position %d %d" % (criteria(key), w, h, x, y)])
        if activate:
            self.run(["swaymsg", criteria(activate) + " focus"])
        found, todo = [], [json.loads(self.run(["swaymsg", "-t", "get_tree"]) or "{}")]
        while todo:
            node = todo.pop()
            todo += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("pid"):
                r = node["rect"]
                found.append({"pid": node["pid"], "name": node.get("name"), "rect": [r["x"], r["y"], r["width"], r["height"]],
                              "focused": node.get("focused")})
        return found

    def focused(self):
        return next((w["name"] for w in self.windows() if w["focused"]), None)

    def mutter_windows(self, activate):
        """Mutter tells nothing of its windows without GNOME Shell: the X one
        is asked through XWayland, a native one is found with the pointer
        (wev logs where it entered) and the focus read from the targets' logs."""
        found = []
        for t in self.targets:
            if t["kind"] == "xev":
                rect = x_window(self, "Event Tester")
                focused = (re.findall(r"^(FocusIn|FocusOut)", open(t["log"]).read(), re.M) or [""])[-1] == "FocusIn"
            else:
                rect = t.get("rect") or self.find_by_pointer(t)
                focused = "activated" in open(t["log"], errors="replace").read().rpartition("configure:")[2]
            if activate in (t["key"], t["kind"]) and rect:
                self.pointer.click(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)
            found.append({"pid": t["key"], "name": "Event Tester" if t["kind"] == "xev" else "wev", "rect": rect or (0, 0, 0, 0), "focused": focused})
        return found

    def find_by_pointer(self, t):
        for y in range(60, H, 120):
            for x in range(t["output"] * W + 60, (t["output"] + 1) * W, 160):
                self.pointer.move(x, y)
                time.sleep(0.03)
                entered = re.findall(r"enter: .*x, y: ([\d.]+), ([\d.]+)", open(t["log"], errors="replace").read())
                if entered:
                    sx, sy = (int(float(v)) for v in entered[-1])
                    return (x - sx, y - sy, 640, 480)
        return None

    def screenshot(self, name):
        """The whole layout as (width, height, RGB bytes); a PNG kept beside for people."""
        shot = os.path.join(tempfile.gettempdir(), "inkly-wayland-%s-%d-%s.png" % (self.compositor, self.outputs, name))
        if self.compositor == "mutter":
            made = self.x_picture()
        elif self.compositor == "sway":
            self.run(["grim", self.path("shot.png")])
            made = self.path("shot.png")
        else:
            made = re.search(r"'(.*)'", self.run(["gdbus", "call", "--session", "--dest", "org.kde.KWin", "--object-path",
                             "/Screenshot", "--method", "org.kde.kwin.Screenshot.screenshotArea", "0", "0",
                             str(W * self.outputs), str(H), "false"]) or "''").group(1)
        if not made or not os.path.exists(made):
            return None
        shutil.move(made, shot)
        ppm = subprocess.run(["/usr/bin/convert", shot, "ppm:-"], capture_output=True).stdout
        magic, width, height, depth, pixels = ppm.split(maxsplit=4)
        return int(width), int(height), pixels


    def x_picture(self):
        """Headless mutter casts its screen only through PipeWire: the picture
        is made of XWayland's windows in their stacking order instead, the
        native programs left out (the mirror and the overlays are X windows),
        transparent pixels shown black."""
        layers = []
        for line in self.run(["xwininfo", "-root", "-children"]).splitlines():
            m = re.match(r"\s+(0x[0-9a-f]+) .*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)$", line)
            if not m or int(m.group(2)) < 2 or "IsViewable" not in self.run(["xwininfo", "-id", m.group(1)]):
                continue
            png = self.path("layer-%s.png" % m.group(1))
            self.run(["import", "-window", m.group(1), png])
            if os.path.exists(png):
                layers.append((png, m.group(4), m.group(5)))
        # xwininfo lists the top first.
        argv = ["convert", "-size", "%dx%d" % (W * self.outputs, H), "xc:#404040"]
        for png, x, y in reversed(layers):
            argv += [png, "-geometry", "+%s+%s" % (x, y), "-composite"]
        self.run(argv + [self.path("shot.png")])
        return self.path("shot.png")


class Pointer:
    def __init__(self, session, binary):
        self.session = session
        # KWin may not know yet, just after its start, that the client may have fake input.
        def started():
            self.proc = session.spawn([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=None)
            try:
                self.move(W // 2, H // 2)
                return True
            except (OSError, RuntimeError):
                time.sleep(1)
        if not wait_for(started, 20):
            raise SystemExit("FAIL: the pointer client could not start")

    def send(self, line):
        self.proc.stdin.write((line + "\n").encode())
        self.proc.stdin.flush()
        if self.proc.stdout.readline().strip() != b"ok":
            raise RuntimeError("the pointer client stopped: " + line)

    def move(self, x, y):
        self.send("move %d %d %d %d" % (x, y, W * self.session.outputs, H))
        self.at = (x, y)

    def glide(self, x, y):
        # A hand crosses the screen and slows down before it clicks. The last
        # step counts: under sway XWayland 22.1 puts a press one more step of
        # the last movement away (a 38-pixel step took it off the toolbar).
        x0, y0 = self.at
        for i in range(1, 11):
            eased = 1 - (1 - i / 10) ** 3
            self.move(round(x0 + (x - x0) * eased), round(y0 + (y - y0) * eased))
            time.sleep(0.02)

    # A person's click and drag: hover, press, hold, release.
    def click(self, x, y, hold=0.15):
        self.glide(x, y)
        time.sleep(0.3)
        self.send("down %d" % LEFT)
        time.sleep(hold)
        self.send("up %d" % LEFT)

    def drag(self, points):
        self.glide(*points[0])
        time.sleep(0.3)
        self.send("down %d" % LEFT)
        time.sleep(0.2)
        for p in points[1:]:
            self.move(*p)
            time.sleep(0.03)
        time.sleep(0.3)
        self.send("up %d" % LEFT)


def x_window(session, title):
    """(x, y, w, h) of a visible X window of that title, through XWayland."""
    ids = session.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)]).split()
    if not ids:
        return None
    info = session.run(["xwininfo", "-id", ids[0]])
    values = [re.search(label + r":\s+(-?\d+)", info) for label in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    return tuple(int(v.group(1)) for v in values) if all(values) else None


def red_along(shot, points):
    """Points of a stroke with the pen's red near them (line width and smoothing aside)."""
    width, height, pixels = shot or (0, 0, b"")
    def red(x, y):
        r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3] if 0 <= x < width and 0 <= y < height else (0, 0, 0)
        return r > 200 and g < 80 and b < 80
    return sum(any(red(x + dx, y + dy) for dx in range(-3, 4) for dy in range(-3, 4)) for x, y in points)


def main():
    row, inkly, pointer_binary = sys.argv[1:4]
    compositor, outputs, focused = ROWS[row]
    session = Session(compositor, outputs)
    try:
        journeys(session, inkly, pointer_binary, focused)
    finally:
        session.stop()
    print("%d check(s) failed: %s" % (len(failures), "; ".join(failures)) if failures else "all checks passed")
    return 1 if failures else 0


def journeys(session, inkly, pointer_binary, focused):
    if session.compositor == "mutter":
        pointer_binary = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mutter_pointer.py")
    pointer_binary = session.install(pointer_binary, "wayland_pointer")
    inkly = session.install(inkly)
    session.start()
    pointer = Pointer(session, pointer_binary)
    # The targets: their logs count the presses they got (and on mutter tell
    # where they are and whether they have the keyboard).
    targets = session.targets = []
    session.pointer = pointer
    for output in range(session.outputs):
        for kind in ("wev",) + (("xev",) if output == 0 else ()):
            argv = ["stdbuf", "-oL", "wev", "-f", "wl_pointer:button", "-f", "wl_pointer:enter", "-f", "xdg_toplevel:configure"] if kind == "wev" \
                else ["stdbuf", "-oL", "xev", "-event", "button", "-event", "focus", "-geometry", "%dx%d+%d+%d" % (XEV_RECT[2:] + XEV_RECT[:2])]
            # mutter places a new window on the output under the pointer.
            pointer.move(output * W + W // 2, H - 20)
            proc = session.spawn(argv, "%s-%d.log" % (kind, output))
            time.sleep(1 if session.compositor == "mutter" else 0)
            x, y, w, h = WEV_RECT if kind == "wev" else XEV_RECT
            targets.append({"kind": kind, "output": output, "proc": proc, "log": session.path("%s-%d.log" % (kind, output)),
                            "key": proc.pid if kind == "wev" else "Event Tester", "want": (x + output * W, y, w, h)})
    def placed():
        # Floated and moved where we want them, again until they stay there.
        found = session.windows({t["key"]: t["want"] for t in targets})
        for t in targets:
            t["rect"] = next((w["rect"] for w in found if t["key"] in (w["pid"], w["name"])), (0, 0, 0, 0))
        if session.compositor == "mutter":
            return all(t["rect"][2] > 0 for t in targets)
        return all(abs(t["rect"][2] - t["want"][2]) < 40 for t in targets)
    if not wait_for(placed, 20):
        raise SystemExit("FAIL: the target windows did not show where wanted: %s" % session.windows())
    session.windows(activate=next(t["key"] for t in targets if t["kind"] == focused))
    focus = wait_for(session.focused, 5)
    print("  targets: %s; focused: %s" % ([(t["kind"], t["rect"]) for t in targets], focus), flush=True)

    def presses(t):
        text = open(t["log"], errors="replace").read()
        return text.count("ButtonPress") if t["kind"] == "xev" else text.count("(pressed)")

    def click_passes(journey, t, when):
        before = presses(t)
        pointer.click(t["rect"][0] + t["rect"][2] // 2, t["rect"][1] + t["rect"][3] // 2)
        # THE NATIVE CLICK: in pointer mode a click on a native Wayland program
        # (wev) must reach it, as one on an X11 program (xev) does.
        check(journey, wait_for(lambda: presses(t) > before, 3),
              "a pointer-mode click on %s (output %d) reaches it %s" % (t["kind"], t["output"] + 1, when))

    # 1. Started and switched on.
    data = session.path("xdg_data_home", "Zemworks", "Inkly")
    os.makedirs(data)
    with open(os.path.join(data, "settings.json"), "w") as f:
        f.write('{"app": {"help": {"autoUsageTipsEnabled": false}, "runtime": {"overviewShowCount": 1}}}')
    os.makedirs(session.path("xdg_config_home", "Zemworks"))
    with open(session.path("xdg_config_home", "Zemworks", "Inkly.conf"), "w") as f:
        f.write("[log]\nlevel=debug\n")
    session.own()
    pointer.move(1500, 900)
    session.spawn([inkly], "inkly.log", {"QT_QPA_PLATFORM": "xcb", "XDG_SESSION_TYPE": "wayland",
                                         "XDG_CURRENT_DESKTOP": {"sway": "sway", "kwin": "KDE", "mutter": "GNOME"}[session.compositor]})
    log = lambda: open(session.path("inkly.log"), errors="replace").read()
    # In pointer mode an overlay's X window steps aside for its mirror: the
    # overlays are counted in the log, and placed where they take the pen.
    overlays_made = lambda: all(log().count("[DrawingOverlay_%d] canvas width" % i) >= 1 for i in range(session.outputs))
    switched = lambda on: log().count("floatingToolbar.appOnChanged: " + ("true" if on else "false"))
    if not wait_for(lambda: x_window(session, TOOLBAR) and overlays_made(), 30):
        raise SystemExit("FAIL: the program showed no toolbar and overlays: " + open(session.path("inkly.log")).read()[-3000:])
    def keeps_focus(when):
        # Given the time a lost focus would take to show.
        time.sleep(1)
        now = session.focused()
        check("5", now == focus, "the focused program (%s) keeps the keyboard %s (now: %s)" % (focus, when, now))

    time.sleep(2)
    keeps_focus("after the start")

    def toolbar_click(y, took):
        # Held as long as a slow click is: a long press must work too.
        bar = x_window(session, TOOLBAR)
        pointer.click(bar[0] + BAR_X, bar[1] + y, hold=0.5)
        return wait_for(took, 5)

    offs, ons = switched(False), switched(True)
    off = toolbar_click(SWITCH_Y, lambda: switched(False) > offs)
    time.sleep(0.5)
    on = toolbar_click(SWITCH_Y, lambda: switched(True) > ons)
    check("1", off and on, "the toolbar's switch turns the overlays off (%s) and on (%s)" % (bool(off), bool(on)))
    time.sleep(1)
    keeps_focus("after the switch is clicked")

    # 2. Pointer mode: clicks pass to the programs below, the X11 one first so
    # that the native one has the keyboard afterwards.
    for t in sorted(targets, key=lambda t: t["kind"] != "xev"):
        click_passes("2", t, "after switching on")

    # 3. A pen stroke over each native program: stored and painted.
    focus = session.focused()
    before = [presses(t) for t in targets]
    pen_shown = lambda: all(x_window(session, OVERLAY % i) for i in range(session.outputs))
    check("3", toolbar_click(PEN_Y, pen_shown), "the pen is chosen on the toolbar")
    keeps_focus("after the pen is chosen")
    for i in range(session.outputs):
        rect = wait_for(lambda: x_window(session, OVERLAY % i), 5)
        check("6", rect == (i * W, 0, W, H), "overlay %d covers output %d (%s)" % (i, i + 1, rect))
    strokes = []
    for t in (t for t in targets if t["kind"] == "wev"):
        x, y = t["rect"][0] + 100, t["rect"][1] + 150
        points = [(x + i * 12, y) for i in range(31)] + [(x + 360, y + i * 12) for i in range(1, 16)]
        pointer.drag(points)
        strokes.append((t, points))
    drawings = os.path.join(data, "drawings.json")
    items = lambda: json.load(open(drawings)).get("items", []) if os.path.exists(drawings) else []
    stored = wait_for(lambda: len(items()) == len(strokes), 10)
    check("3", stored, "the strokes are stored (%d items for %d strokes)" % (len(items()), len(strokes)))
    for i, item in enumerate(items() if stored else []):
        check("3", item.get("windowId") == "DrawingOverlay_%d" % i, "stroke %d is stored for output %d (%s)" % (i, i + 1, item.get("windowId")))
    check("3", [presses(t) for t in targets] == before, "the pen's presses do not reach the programs below")

    def ink_visible(journey, name):
        painted = []
        def all_painted():
            shot = session.screenshot(name)
            painted[:] = [red_along(shot, points) for t, points in strokes]
            return all(n >= len(points) * 8 // 10 for n, (t, points) in zip(painted, strokes))
        wait_for(all_painted, 5)
        print("  screenshot: " + os.path.join(tempfile.gettempdir(), "inkly-wayland-%s-%d-%s.png" % (session.compositor, session.outputs, name)))
        for n, (t, points) in zip(painted, strokes):
            check(journey, n >= len(points) * 8 // 10,
                  "the stroke over wev on output %d is painted (%d of %d points)" % (t["output"] + 1, n, len(points)))

    ink_visible("3", "pen")
    # A stroke that runs on under the toolbar, which must stay above it.
    bar = x_window(session, TOOLBAR)
    # Along the pointer button, which has no colour of the ink; the panels
    # a hover opens lie further left.
    y = bar[1] + POINTER_Y
    under_bar = [(bar[0] - 400 + i * 12, y) for i in range(34 + bar[2] // 12)]
    pointer.drag(under_bar)
    inside = [(x, y) for x, y in under_bar if bar[0] + 16 <= x < bar[0] + bar[2] - 16]
    def bar_clear(journey, name):
        shot = session.screenshot(name)
        check(journey, red_along(shot, inside) == 0 and red_along(shot, under_bar[:10]) >= 8,
              "the toolbar stays above the ink (%d red points on it)" % red_along(shot, inside))
    bar_clear("3", "pen-bar")

    # 4. Back to the pointer: clicks pass again, the ink stays.
    toolbar_click(POINTER_Y, lambda: not x_window(session, OVERLAY % 0))
    time.sleep(0.5)
    for t in targets:
        click_passes("4", t, "after the pointer tool is chosen again")
    ink_visible("4", "pointer")
    bar_clear("4", "pointer-bar")


if __name__ == "__main__":
    sys.exit(main())
