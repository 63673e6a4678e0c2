# SPDX-License-Identifier: GPL-3.0-or-later
"""A private desktop for one outside-in case: an X server (Xvfb) with a real window manager
(openbox), or a headless Wayland compositor (weston, or GNOME's mutter, with PipeWire for its
screencast); a D-Bus session with the accessibility bus; a sound server whose null sink's monitor
is recorded: PulseAudio, or on GNOME PipeWire with WirePlumber and its PulseAudio server, as
GNOME has it. The program is copied into a folder of its own beside the word list the case gives
it. The case reads the window only through AT-SPI, as a screen reader does, acts through X input
(or AT-SPI actions, and mutter's own keyboard, on Wayland), sees it as the screen shows it, and
hears the program only at the sound server.

Import this module, make a Desktop, and only then use `atspi()`: libatspi binds to the session
bus it finds in the environment at its first call, so each case runs in a process of its own.
"""

import functools
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SUPPORT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")
RATE = 16000  # what the monitor is recorded at, mono 16-bit
AUDIBLE = 300  # a sample heard as sound: at least this far from zero either way


def answers(path):
    """Whether a server listens on the Unix socket at path (a killed one leaves its file)."""
    import socket
    with socket.socket(socket.AF_UNIX) as s:
        try:
            s.connect(path)
            return True
        except OSError:
            return False


def wait_for(predicate, timeout=10.0, what="a state"):
    """Polls until predicate() is true; fails the case if it never is."""
    deadline = time.monotonic() + timeout
    while True:
        if _atspi is not None:
            # Deliver the accessibility events that have arrived meanwhile.
            from gi.repository import GLib
            while GLib.MainContext.default().iteration(False):
                pass
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            what = what() if callable(what) else what
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.02)


class Desktop:
    def __init__(self, program, words=None, wayland=False, screen_reader=None, theme=None,
                 in_place=False, window_manager=True, screen="1280x1024", sink_sleeps=False,
                 sound=None):
        """wayland: True (or "weston") for weston; "gnome" for GNOME's compositor, mutter, the
        program started as GNOME starts it, its keys typed through mutter's remote desktop, its
        pictures taken through mutter's screencast, its sound played through PipeWire.
        in_place: the program runs where it is, with the word list beside it there (as a
        package installs it), instead of a copy beside `words`.
        window_manager: False leaves the X server bare, with nobody to draw a frame.
        screen_reader: "orca" runs Orca; "flag" only says on the accessibility bus that a
        screen reader runs (the program then speaks through the speech service).
        theme: "dark" (GTK's Adwaita dark, through Qt's GTK platform theme) or "high-contrast"
        (white and yellow on black, through qt6ct); the default palette without one.
        sink_sleeps: the sink is suspended a second after nothing plays on it, as PulseAudio's
        module-suspend-on-idle does on a laptop, instead of kept awake.
        sound: "pipewire" (GNOME's, its default there) or "pulseaudio" (elsewhere; on GNOME,
        PipeWire then runs for the screencast alone)."""
        self.dir = tempfile.mkdtemp(prefix="orthovane-desktop.")
        self.wayland = wayland
        self.sound_server = sound or ("pipewire" if wayland == "gnome" else "pulseaudio")
        self.window_manager = window_manager
        self.screen_size = screen
        self.procs = []
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("DISPLAY", "WAYLAND", "DBUS", "PULSE", "QT_", "XDG_"))}
        runtime = os.path.join(self.dir, "run")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        # Settings live and die with the desktop: a screen reader switched on in one case must
        # never be found on in the next, nor in the user's own session.
        self.env["GSETTINGS_BACKEND"] = "memory"
        self.env["HOME"] = self.dir
        self.program = program
        try:
            # The program lives in a folder of its own, with the word list the case wants
            # beside it.
            if not in_place:
                self.program_dir = os.path.join(self.dir, "game")
                os.mkdir(self.program_dir)
                self.program = os.path.join(self.program_dir, os.path.basename(program))
                shutil.copy2(program, self.program)
                with open(os.path.join(self.program_dir, "Words.txt"), "w") as f:
                    f.write(words if words is not None else "cat\ndog\nsun\n")
            self._dress(theme)
            if wayland == "gnome":
                # mutter is a D-Bus service first: it needs the session bus to start.
                self._start_bus()
                self._start_display()
            else:
                self._start_display()
                self._start_bus()
            self._start_sound(asleep=sink_sleeps)
            if sink_sleeps:
                self._run(["pactl", "load-module", "module-suspend-on-idle", "timeout=1"],
                          check=True)
            if screen_reader:
                self._start_screen_reader(orca=screen_reader == "orca")
        except BaseException:
            self.close()
            raise
        os.environ.update(self.env)

    # The desktop's parts.

    def _dress(self, theme):
        if theme == "dark":
            self.env.update(QT_QPA_PLATFORMTHEME="gtk3", GTK_THEME="Adwaita:dark")
        elif theme == "high-contrast":
            config = os.path.join(self.dir, ".config", "qt6ct")
            os.makedirs(config)
            scheme = os.path.join(os.path.dirname(os.path.abspath(__file__)), "high-contrast.conf")
            with open(os.path.join(config, "qt6ct.conf"), "w") as f:
                f.write(f"[Appearance]\ncolor_scheme_path={scheme}\ncustom_palette=true\n")
            self.env.update(QT_QPA_PLATFORMTHEME="qt6ct",
                            XDG_CONFIG_HOME=os.path.join(self.dir, ".config"))
        elif theme is not None:
            raise ValueError(f"no theme {theme!r}")

    def _spawn(self, args, **kw):
        p = subprocess.Popen(args, env=kw.pop("env", self.env), stdin=subprocess.DEVNULL,
                             stdout=kw.pop("stdout", subprocess.DEVNULL),
                             stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
        self.procs.append(p)
        return p

    def _start_display(self):
        if self.wayland:
            socket = "wayland-orthovane"
            if self.wayland == "gnome":
                self._spawn(["mutter", "--headless", "--wayland", "--no-x11", "--wayland-display",
                             socket, "--virtual-monitor", self.screen_size])
                # As GNOME's session starts a program: Qt chooses Wayland, GNOME's platform theme
                # and its own decoration by itself.
                self.env.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="GNOME")
            else:
                self._spawn(["weston", "--backend=headless-backend.so", f"--socket={socket}",
                             "--idle-time=0", "--width=1280", "--height=1024"])
                self.env["QT_QPA_PLATFORM"] = "wayland"
            wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"], socket)),
                     what="the compositor's socket")
            self.env["WAYLAND_DISPLAY"] = socket
            return
        # The display picks its own free number and says it once it accepts connections.
        xvfb = self._spawn([os.path.join(SUPPORT, "display-server"), self.screen_size],
                           stdout=subprocess.PIPE)
        number = xvfb.stdout.readline().decode().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self.env["QT_QPA_PLATFORM"] = "xcb"
        if not self.window_manager:
            return
        # The window manager owns the screen once it has set its check window. Now and then,
        # with two desktops starting at once, openbox fails to connect to a server that xprop
        # has just reached; it says so and exits, and a second start goes through.
        for attempt in range(3):
            log = open(os.path.join(self.dir, f"openbox-{attempt}.log"), "w+")
            wm = self._spawn(["openbox", "--sm-disable"], stdout=log, stderr=subprocess.STDOUT)
            if wait_for(lambda: wm.poll() is not None or b"_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                        self._run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]),
                        what=lambda: "openbox (" + open(log.name).read() + ")") \
                    and wm.poll() is None:
                return
        raise RuntimeError("openbox did not start: " + open(log.name).read())

    def _start_bus(self):
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        # What a screen reader does when it starts: accessibility on for every program.
        self._a11y_status("IsEnabled", True)

    def _a11y_status(self, name, value):
        """Sets one of the accessibility bus's switches, as the desktop's settings do."""
        self._run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                   "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set",
                   "org.a11y.Status", name, "<true>" if value else "<false>"], check=True)

    def _start_sound(self, asleep=False):
        if self.sound_server == "pipewire":
            self.sound = self._start_pipewire()
            return
        if self.wayland == "gnome" and not hasattr(self, "_video"):
            # mutter's screencast goes through PipeWire whoever plays the sound.
            self._video = self._start_pipewire(pulse=False)
        pulse = os.path.join(self.dir, "pulse")
        self.env["PULSE_SERVER"] = "unix:" + os.path.join(pulse, "native")
        env = dict(self.env, ORTHOVANE_SINK_ASLEEP="1") if asleep else self.env
        self.sound = [self._spawn([os.path.join(SUPPORT, "sound-server"), pulse, "desktop_null"],
                                  env=env)]
        if subprocess.run([os.path.join(SUPPORT, "sound-server"), "--wait", pulse],
                          env=self.env).returncode != 0:
            raise RuntimeError("pulseaudio did not start")

    def _start_pipewire(self, pulse=True):
        """PipeWire, its session manager and (with `pulse`) its PulseAudio server, as GNOME's
        session starts them. The sink is PipeWire's own, made by its configuration as a sound
        card's would be found, so it comes back by itself when the sound server restarts."""
        conf = os.path.join(self.dir, ".config", "pipewire", "pipewire.conf.d")
        if not os.path.isdir(conf):
            os.makedirs(conf)
            shutil.copy(os.path.join(SUPPORT, "pipewire-sink.conf"), conf)
        logs = open(os.path.join(self.dir, "pipewire.log"), "a")
        spawn = functools.partial(self._spawn, stdout=logs, stderr=subprocess.STDOUT)
        started = [spawn(["pipewire"])]
        # As GNOME's session orders them: the session manager and the PulseAudio server once
        # PipeWire answers. Started beside it, WirePlumber 0.4 finds no PipeWire and ends, and
        # then nothing links a stream to the sink.
        wait_for(lambda: answers(os.path.join(self.env["XDG_RUNTIME_DIR"], "pipewire-0")),
                 what="PipeWire's socket")
        started += [spawn(["wireplumber"])]
        if pulse:
            self.env["PULSE_SERVER"] = "unix:" + os.path.join(self.env["XDG_RUNTIME_DIR"],
                                                              "pulse", "native")
            started += [spawn(["pipewire-pulse"])]
            wait_for(lambda: b"Default Sink: desktop_null" in self._run(["pactl", "info"]),
                     what="PipeWire's sink")
        ended = [p for p in started if p.poll() is not None]
        if ended:
            raise RuntimeError(f"{ended[0].args[0]} ended: " + open(logs.name).read()[-2000:])
        return started

    def kill_sound(self):
        """The sound server dies at once, as a crash or `kill -9` ends it (on GNOME, PipeWire
        with its session manager and PulseAudio server)."""
        for p in self.sound:
            p.kill()
            p.wait()

    def restart_sound(self, asleep=False):
        """A new sound server on the same socket, as a desktop's audio restarts; `asleep`: its
        sink is slow to wake for a new stream, as a device coming out of suspend is."""
        self._start_sound(asleep)

    def sink_state(self, sink="desktop_null"):
        """RUNNING, IDLE or SUSPENDED."""
        out = self._run(["pactl", "list", "short", "sinks"]).decode()
        return next((line.split()[-1] for line in out.splitlines()
                     if line.split()[1:2] == [sink]), None)

    def streams(self):
        """The game's playback streams on the sound server, by number."""
        out = self._run(["pactl", "list", "sink-inputs"]).decode()
        found, number = [], None
        for line in out.splitlines():
            if line.startswith("Sink Input #"):
                number = line.split("#")[1].strip()
            elif line.strip() == 'application.name = "Orthovane"':
                found.append(number)
        return found

    def _start_screen_reader(self, orca):
        """Orca, started as the desktop starts it when the screen reader is switched on: the
        accessibility bus says a screen reader runs, then Orca speaks through speech-dispatcher
        (which it starts). The speech service plays on a sink of its own, and the program on the
        desktop's, so each voice is heard apart."""
        self._a11y_status("ScreenReaderEnabled", True)
        self._run([os.path.join(SUPPORT, "sound-server"), "--sink", "reader_null"], check=True)
        self._run(["pactl", "set-default-sink", "reader_null"], check=True)
        if not orca:
            # The service as a screen reader would have started it, on the reader's sink.
            self._run(["speech-dispatcher", "--spawn"], check=True)
            return
        prefs = os.path.join(self.dir, "orca")
        os.mkdir(prefs)
        self.reader_log = os.path.join(self.dir, "orca.log")
        self._read_to, self._said = 0, []
        self._spawn(["orca", "--replace", "-u", prefs, "--debug-file", self.reader_log])
        self.wait_for_reader(lambda said: "Screen reader on." in said, timeout=60)

    def reader_said(self):
        """Everything Orca has said so far, in order, one utterance an item. Its debug log grows
        by megabytes, so only what is new since the last call is read."""
        import re
        if not os.path.exists(self.reader_log):
            return []
        with open(self.reader_log, "rb") as f:
            f.seek(self._read_to)
            new = f.read()
        whole = new[: new.rfind(b"\n") + 1]  # a line still being written waits for the next call
        self._read_to += len(whole)
        self._said += re.findall(r"SPEECH OUTPUT: '(.*)' ?\{", whole.decode(errors="replace"))
        return list(self._said)

    def wait_for_reader(self, predicate, since=0, timeout=20.0):
        """Waits until what Orca has said since utterance `since` satisfies predicate(text).
        Orca reacts to the program's events in its own time, and in a headless session can lag
        one event behind, until another comes: so this waits on what it says, and while it waits
        presses Shift every half second, which the program ignores and Orca echoes (every two
        seconds, each wait cost two seconds at least)."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                return wait_for(lambda: predicate(" ".join(self.reader_said()[since:])), 0.5)
            except AssertionError:
                if time.monotonic() > deadline:
                    raise AssertionError(f"timed out after {timeout} s waiting for the screen "
                                         f"reader (it said {self.reader_said()[since:]})")
                self.keys("shift")

    def service_pid(self):
        """The speech service's process, from the pid file it keeps in the runtime folder."""
        path = os.path.join(self.env["XDG_RUNTIME_DIR"], "speech-dispatcher", "pid",
                            "speech-dispatcher.pid")
        try:
            with open(path) as f:
                return int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            return None

    def signal_service(self, signum):
        """Kills (SIGKILL), freezes (SIGSTOP) or thaws (SIGCONT) the speech service."""
        os.kill(self.service_pid(), signum)

    def _run(self, args, check=False):
        return subprocess.run(args, env=self.env, capture_output=True, check=check).stdout

    def close(self):
        # Asked to end first, so Xvfb takes its lock file and socket with it.
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
        for p in reversed(self.procs):
            try:
                p.wait(2)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        # The speech service a screen reader started is nobody's child: it goes by its pid file.
        if "XDG_RUNTIME_DIR" in self.env and self.service_pid():
            try:
                os.kill(self.service_pid(), signal.SIGKILL)
            except OSError:
                pass
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def text_size(self, dpi):
        """The desktop's text size as GNOME's text scaling and KDE's font DPI set it: the X
        resource Xft.dpi, read by a program as it starts."""
        subprocess.run(["xrdb", "-merge"], input=f"Xft.dpi: {dpi}\n".encode(), env=self.env,
                       check=True)

    # The program.

    def launch(self, extra_env=None):
        env = dict(self.env, **(extra_env or {}))
        # Beside a screen reader the desktop's sink is no longer the default one.
        env.setdefault("PULSE_SINK", "desktop_null")
        self.game_err = open(os.path.join(self.dir, "stderr"), "w+")
        self.game = subprocess.Popen([self.program], env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self.game_err)
        self.procs.append(self.game)
        self.app = wait_for(self._find_app, timeout=20, what="the program on the AT-SPI bus")
        self.window = wait_for(lambda: self._showing_child(self.app), what="its window")
        return self

    def _find_app(self):
        # Qt's, by name: with GTK's platform theme the process also loads GTK, whose own bridge
        # registers it a second time, with no windows.
        desktop = atspi().get_desktop(0)
        for i in range(desktop.get_child_count()):
            a = desktop.get_child_at_index(i)
            if a is not None and a.get_process_id() == self.game.pid and \
                    a.get_toolkit_name() == "Qt":
                return a
        return None

    @staticmethod
    def _showing_child(app):
        for i in range(app.get_child_count()):
            w = app.get_child_at_index(i)
            if w is not None and has(w, "showing"):
                return w
        return None

    def exit_status(self, timeout=5.0):
        try:
            return self.game.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    # Reading the window as a screen reader does.

    def controls(self):
        """Every object under the window, as (role, name, description, states, object)."""
        out = []

        def walk(a):
            for i in range(a.get_child_count()):
                c = a.get_child_at_index(i)
                if c is None:
                    continue
                out.append(c)
                walk(c)
        walk(self.window)
        return out

    def find(self, role, name=None, description=None):
        """The first control of the role ("push button", "list"...) and name, if any."""
        for c in self.controls():
            if not is_role(c, role):
                continue
            if name is not None and c.get_name() != name:
                continue
            if description is not None and description not in (c.get_description() or ""):
                continue
            return c
        return None

    def all_text(self):
        """Every name, description, value and text in the tree, hidden objects included."""
        texts = [self.window.get_name()]
        for c in [self.window] + self.controls():
            texts += [c.get_name() or "", c.get_description() or ""]
            if c.get_text_iface() is not None:
                texts.append(atspi().Text.get_text(c, 0, -1) or "")
            value = c.get_value_iface()
            if value is not None:
                texts.append(str(value.get_current_value()))
        return texts

    # Acting as the player does.

    def xdo(self, *args):
        self._run(["xdotool", *args], check=True)

    def click(self, accessible, repeat=1):
        if self.wayland:
            # No X pointer to move: pressed as a screen reader presses it.
            for _ in range(repeat):
                accessible.get_action_iface().do_action(0)
            return
        self.hover(accessible)
        self.xdo("click", "--repeat", str(repeat), "--delay", "90", "1")

    def hover(self, accessible):
        x, y, w, h = extents(accessible)
        x, y = x + w // 2, y + h // 2
        # xdotool's --sync waits for the pointer to move, and one already there never does: it
        # gave up only after 15 s (Stop lies where Start was).
        here = self._run(["xdotool", "getmouselocation", "--shell"]).decode().split()
        if f"X={x}" in here and f"Y={y}" in here:
            return
        self.xdo("mousemove", "--sync", str(x), str(y))

    def one_answer_then_stop(self, answer):
        """Start, one answer typed and judged, then Stop: the results showing."""
        self.click(self.find("push button", "Start"))
        wait_for(lambda: self.streams(), what="the game to speak")
        self.type(answer)
        self.keys("Return")
        results = self.find("list", "Results")
        wait_for(lambda: results.get_child_count() == 1, what="the answer")
        self.click(self.find("push button", "Stop"))
        wait_for(lambda: has(results, "showing"), what="the results")

    def clipboard(self):
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                              capture_output=True, timeout=5).stdout.decode()

    def _x_window(self):
        """The program's window as the X server knows it, by number."""
        return int(wait_for(lambda: self._run(["xdotool", "search", "--onlyvisible", "--pid",
                                               str(self.game.pid)]).split(),
                            what="the X window")[0])

    def close_window(self):
        """Closes the window as its title bar's close button does: a _NET_CLOSE_WINDOW request to
        the window manager, which then asks the program to close. The request is waited on with a
        round trip before this connection closes: with only a flush, a connection closed at once
        lost its request now and then on a busy machine (a few runs in twenty), and the program,
        never asked, stayed open. That was also what lost Alt+F4 through xdotool in CI."""
        from Xlib import X, display, protocol
        wid = self._x_window()
        dpy = display.Display(self.env["DISPLAY"])
        root = dpy.screen().root
        request = protocol.event.ClientMessage(
            window=dpy.create_resource_object("window", wid),
            client_type=dpy.intern_atom("_NET_CLOSE_WINDOW"),
            data=(32, [X.CurrentTime, 2, 0, 0, 0]))
        root.send_event(request, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        dpy.sync()
        dpy.close()

    def outer_size(self):
        """The whole window on the screen, as (width, height): the frame the window manager put
        round it, or the window alone where there is none."""
        from Xlib import display
        dpy = display.Display(self.env["DISPLAY"])
        try:
            window = dpy.create_resource_object("window", self._x_window())
            root = dpy.screen().root
            # Up to the window that sits on the root: the window manager's frame, if any.
            while True:
                parent = window.query_tree().parent
                if parent.id == root.id:
                    break
                window = parent
            g = window.get_geometry()
            return g.width + 2 * g.border_width, g.height + 2 * g.border_width
        finally:
            dpy.close()

    def windows_seen(self):
        """What the X server holds, for a failure message: the active window and the program's."""
        active = self._run(["xdotool", "getactivewindow"]).decode().strip()
        ours = self._run(["xdotool", "search", "--pid", str(self.game.pid)]).decode().split()
        return f"active window {active}, the program's windows {ours}"

    def screenshot(self):
        """The program's window as the X server shows it, as a PIL image (RGB)."""
        from PIL import Image
        import io
        png = self._run(["import", "-window", str(self._x_window()), "png:-"], check=True)
        return Image.open(io.BytesIO(png)).convert("RGB")

    def keys(self, *names):
        if self.wayland == "gnome":
            for name in names:
                self._keysyms(*[KEYSYMS.get(k.lower()) or ord(k) for k in name.split("+")])
            return
        self.xdo("key", "--delay", "30", *names)

    def type(self, text):
        if self.wayland == "gnome":
            for ch in text:
                self._keysyms(ord(ch))
            return
        self.xdo("type", "--delay", "30", text)

    def _keysyms(self, *held):
        """One chord through mutter's remote desktop, the compositor's own keyboard: each key
        pressed in turn, then let go in the reverse order."""
        from gi.repository import GLib
        taps = [(k, True) for k in held] + [(k, False) for k in reversed(held)]
        if getattr(self, "_remote", None) is None:
            self._remote = self._mutter_session("RemoteDesktop")
            self._mutter("RemoteDesktop", self._remote, "Session.Start")
            # The first key of a new virtual keyboard only sets up its keymap in the window: a
            # Shift, pressed and let go, which the program ignores.
            taps = [(KEYSYMS["shift"], True), (KEYSYMS["shift"], False)] + taps
        for keysym, down in taps:
            self._mutter("RemoteDesktop", self._remote, "Session.NotifyKeyboardKeysym",
                         GLib.Variant("(ub)", (keysym, down)))
            time.sleep(0.015)

    def _mutter(self, service, path, method, args=None, returns=None):
        """Calls one of mutter's remote-access services (RemoteDesktop, ScreenCast) on the
        connection kept for them: mutter ends a session when the connection that made it
        closes."""
        from gi.repository import Gio, GLib
        if getattr(self, "_mutter_bus", None) is None:
            self._mutter_bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        interface, _, name = f"org.gnome.Mutter.{service}.{method}".rpartition(".")
        reply = self._mutter_bus.call_sync(f"org.gnome.Mutter.{service}", path, interface, name,
                                           args, returns and GLib.VariantType(returns), 0, 5000,
                                           None)
        return reply.unpack()[0] if returns else None

    def _mutter_session(self, service, args=None):
        return self._mutter(service, f"/org/gnome/Mutter/{service}", "CreateSession", args,
                            "(o)")

    def screencast(self):
        """The whole screen as mutter's screencast sends it through PipeWire, as a screen
        recorder or a remote helper sees it, as a PIL image (RGB)."""
        from gi.repository import GLib
        from PIL import Image
        import io
        if getattr(self, "_cast_node", None) is None:
            session = self._mutter_session("ScreenCast", GLib.Variant("(a{sv})", ({},)))
            stream = self._mutter("ScreenCast", session, "Session.RecordMonitor",
                                  GLib.Variant("(sa{sv})", ("", {})), "(o)")
            nodes = []
            self._mutter_bus.signal_subscribe(
                "org.gnome.Mutter.ScreenCast", "org.gnome.Mutter.ScreenCast.Stream",
                "PipeWireStreamAdded", stream, None, 0, lambda *a: nodes.append(a[5].unpack()[0]))
            self._mutter("ScreenCast", session, "Session.Start")
            def added():
                GLib.MainContext.default().iteration(False)
                return nodes and nodes[0]
            self._cast_node = wait_for(added, what="the screencast's PipeWire stream")
        png = self._run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={self._cast_node}",
                         "num-buffers=1", "!", "videoconvert", "!", "pngenc", "!", "fdsink"],
                        check=True)
        return Image.open(io.BytesIO(png)).convert("RGB")

    # Hearing it.

    def record(self, sink="desktop_null"):
        return Recording(self, sink)


class Recording:
    """What the sound server plays, from the moment it is made until stop(). Read as it grows,
    a little at a time: reading it whole at every poll would itself load the machine."""

    def __init__(self, desktop, sink):
        import array
        self.path = os.path.join(desktop.dir, f"heard-{time.monotonic_ns()}.raw")
        self.file = open(self.path, "wb")
        # PulseAudio hands the monitor over every 10 ms, so the recording's length is "now" to
        # within that. PipeWire's PulseAudio server, asked for as little, loses pieces of it:
        # over a 14-answer game the silences between phrases came out 128 to 162 ms where the
        # game leaves 155 or more, and now and then two phrases ran together. At 50 ms they
        # come out as PulseAudio's do.
        latency = 50 if desktop.sound_server == "pipewire" else 10
        self.proc = subprocess.Popen(
            ["parec", f"--device={sink}.monitor", "--raw", "--format=s16le",
             f"--rate={RATE}", "--channels=1", f"--latency-msec={latency}"],
            env=desktop.env, stdout=self.file, stderr=subprocess.DEVNULL)
        desktop.procs.append(self.proc)
        self._samples = array.array("h")
        self._spans = Spans()
        # Recording has begun once the server has started sending silence.
        wait_for(lambda: os.path.getsize(self.path) > 0, what="the recording to begin")

    def _update(self):
        import array
        with open(self.path, "rb") as f:
            f.seek(len(self._samples) * 2)
            data = f.read()
        new = array.array("h")
        new.frombytes(data[: len(data) // 2 * 2])
        start = len(self._samples)
        self._samples.extend(new)
        self._spans.feed(new, start)

    def samples(self):
        self._update()
        return self._samples

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait()
        self.file.close()
        return self.samples()

    def phrases(self):
        """Stretches of sound heard so far, (begin, end) in seconds."""
        self._update()
        return self._spans.seconds()

    def wait_for_phrases(self, n, quiet=0.6, timeout=20.0):
        """Waits until at least n phrases have been heard and the sound has then stopped for
        `quiet` seconds, so the last of them is heard whole."""
        def done():
            s = self.phrases()
            heard = len(self._samples) / RATE
            return s if len(s) >= n and heard - s[-1][1] >= quiet else None
        return wait_for(done, timeout, lambda: f"{n} phrases to be heard (heard "
                        f"{[round(e - b, 3) for b, e in self.phrases()]})")


class Spans:
    """Stretches of sound in a stream of samples, split at silences of at least `gap` seconds;
    fed as the samples come."""

    def __init__(self, gap=0.12, threshold=AUDIBLE):
        self.min_gap = int(gap * RATE)
        self.threshold = threshold
        self.spans = []  # [begin, end) in samples
        self.last = None  # the last loud sample seen

    def feed(self, samples, start=0):
        for i, v in enumerate(samples, start):
            if -self.threshold < v < self.threshold:
                continue
            if self.last is not None and i - self.last < self.min_gap:
                self.spans[-1][1] = i + 1
            else:
                self.spans.append([i, i + 1])
            self.last = i
        return self

    def seconds(self):
        return [(b / RATE, e / RATE) for b, e in self.spans]


def first_audible(samples, start=0):
    """Where the first audible sample from `start` on lies, or None."""
    for i in range(start, len(samples)):
        if samples[i] >= AUDIBLE or samples[i] <= -AUDIBLE:
            return i
    return None


@functools.lru_cache(maxsize=None)
def phrase_length(tool, text):
    """How long a phrase sounds, from its first audible sample to its last, as the game's own
    voice says it."""
    import array
    pcm = subprocess.run([tool, text], capture_output=True, check=True).stdout
    a = array.array("h")
    a.frombytes(pcm)
    s = Spans().feed(a).seconds()
    return s[-1][1] - s[0][0] if s else 0.0


_atspi = None


def atspi():
    global _atspi
    if _atspi is None:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi
        _atspi = Atspi
    return _atspi


def is_role(accessible, role):
    """Whether the object has the role named as AT-SPI names it ("push button"), matched by the
    role itself: its name changes between releases (at-spi2-core 2.56 says "button")."""
    return accessible.get_role() == getattr(atspi().Role, role.upper().replace(" ", "_"))


def listen(event_type):
    """Collects (event type, source name, detail) of every event of this kind from now on, as a
    screen reader hears them; wait_for() delivers them."""
    Atspi = atspi()
    heard = []

    def on_event(event):
        name = event.source.get_name() if event.source is not None else None
        heard.append((event.type, name, event.any_data))
    listener = Atspi.EventListener.new(on_event)
    listener.register(event_type)
    _listeners.append(listener)
    return heard


_listeners = []


def has(accessible, state):
    Atspi = atspi()
    kind = getattr(Atspi.StateType, state.upper().replace("-", "_"))
    # Asked afresh: libatspi keeps what it read until an event says otherwise, and scrolling a
    # list sends none.
    accessible.clear_cache()
    return accessible.get_state_set().contains(kind)


# The X keysyms of the keys the cases name; any other key is its character's.
KEYSYMS = {"return": 0xff0d, "tab": 0xff09, "shift": 0xffe1, "ctrl": 0xffe3, "alt": 0xffe9,
           "space": 0x20, "up": 0xff52, "down": 0xff54, "f4": 0xffc1}


def extents(accessible):
    e = accessible.get_extents(atspi().CoordType.SCREEN)
    return e.x, e.y, e.width, e.height


def run_cases(cases):
    """Runs the case named on the command line (all of them without one), each in a process of
    its own, and prints 'N passed, N failed'."""
    names = sys.argv[1:] or list(cases)
    if len(names) == 1 and os.environ.get("ORTHOVANE_CASE_CHILD"):
        cases[names[0]]()
        return
    passed = failed = 0
    for name in names:
        r = subprocess.run([sys.executable, sys.argv[0], name],
                           env=dict(os.environ, ORTHOVANE_CASE_CHILD="1"))
        if r.returncode == 0:
            passed += 1
            print(f"ok: {name}", flush=True)
        else:
            failed += 1
            print(f"FAILED: {name}", flush=True)
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
