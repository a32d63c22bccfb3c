#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures each player in its own Xvfb display and private D-Bus session,
with a copy of a warm HOME (settings and caches of an earlier run) and every
player playing on one private PulseAudio server with a null sink:
  - start-up: exec until the first window is mapped (xmapwait),
  - RSS of the process tree after the settle time, idle and while playing a
    40-s MP3, M4A (AAC) and FLAC,
  - CPU (utime+stime of the tree) and wakeups (context switches of all its
    threads) over the measuring window,
  - while playing, also PSS (shared pages split among the processes using
    them) at the settle time and RSS again at the end of the window, and the
    time to sound: from starting the player with the file to the first
    non-silent sample on the null sink's monitor (parec),
  - the silence at a song change between two formats (a playlist of an MP3
    and a FLAC), where the player cannot join them without a gap.
Runs are interleaved (each phase takes every player in turn). Prints
min/median/max per player and figure, the ratio of Liravo to the lightest
peer for each figure, and the load average before and after."""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import mkmp3  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def tree(pid):
    """pid and all its descendants."""
    children = {}
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open(f"/proc/{d}/stat") as f:
                s = f.read()
            ppid = int(s[s.rindex(")") + 2:].split()[1])
            children.setdefault(ppid, []).append(int(d))
        except (OSError, ValueError):
            pass
    out, todo = [], [pid]
    while todo:
        p = todo.pop()
        out.append(p)
        todo.extend(children.get(p, []))
    return out


def total(items, count):
    """The sum of count(item); an item that has gone meanwhile (a process or
    thread that ended) counts as nothing."""
    out = 0
    for item in items:
        try:
            out += count(item)
        except (OSError, ValueError):
            pass
    return out


def cpu_ticks(pids):
    def ticks(p):
        with open(f"/proc/{p}/stat") as f:
            s = f.read()
        fields = s[s.rindex(")") + 2:].split()
        return int(fields[11]) + int(fields[12])
    return total(pids, ticks)


def switches(pids):
    """Voluntary and involuntary context switches of every thread: wakeups."""
    def of_thread(path):
        with open(path) as f:
            return sum(int(line.split()[1]) for line in f if "ctxt_switches" in line)

    def of_process(p):
        task = f"/proc/{p}/task"
        return total(os.listdir(task), lambda t: of_thread(f"{task}/{t}/status"))
    return total(pids, of_process)


def rss_mib(pids):
    def rss(p):
        with open(f"/proc/{p}/statm") as f:
            return int(f.read().split()[1]) * PAGE
    return total(pids, rss) / (1024 * 1024)


def pss_mib(pids):
    def pss(p):
        with open(f"/proc/{p}/smaps_rollup") as f:
            return sum(int(line.split()[1]) * 1024 for line in f if line.startswith("Pss:"))
    return total(pids, pss) / (1024 * 1024)


class Monitor:
    """Records the null sink's monitor (S16LE stereo 44.1 kHz) from now on,
    each piece stamped with the monotonic time it arrived. A sample's time is
    found by counting samples from the start of the recording, which is the
    earliest a piece could have begun. The monitor asks for 10 ms: the null
    sink renders in blocks of the shortest latency its streams and monitor
    ask for, and a sound can only start at a block's edge, so a longer one
    would blur the times by as much. (It is closed while CPU and wakeups
    are counted.)"""
    RATE = 44100
    FRAME = 4
    LOUD = 64  # of 32767: anything the tones make, well above dither

    def __init__(self, pulse):
        env = dict(os.environ, PULSE_SERVER="unix:" + pulse.socket)
        self.proc = subprocess.Popen(
            ["parec", "-d", "bench.monitor", "--raw", "--format=s16le", "--rate=44100",
             "--channels=2", "--latency-msec=10"],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.pieces = []  # (arrival time, bytes)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def wait_running(self, limit=4.0):
        """Waits for the first piece of the recording. A null sink that had
        no stream renders its silence in blocks of its longest latency, 2 s,
        and sleeps through each: a stream that comes meanwhile is heard only
        when the block ends, which would add up to 2 s to whatever starts
        next. Once the monitor's first piece is here the sink has woken and
        works in blocks of the monitor's latency."""
        end = time.monotonic() + limit
        while not self.pieces and time.monotonic() < end:
            time.sleep(0.005)
        return bool(self.pieces)

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            data = os.read(fd, 4096)
            if not data:
                return
            self.pieces.append((time.monotonic(), data))

    def close(self):
        self.proc.terminate()
        self.proc.wait()
        self.reader.join(timeout=2)

    @staticmethod
    def _loud(data, i):
        v = int.from_bytes(data[i:i + 2], "little", signed=True)
        return abs(v) > Monitor.LOUD

    def _timeline(self):
        """The recording as one buffer and the monotonic time of its first
        sample."""
        pieces = list(self.pieces)
        start, frames = None, 0
        for arrived, data in pieces:
            frames += len(data) // self.FRAME
            begun = arrived - frames / self.RATE
            start = begun if start is None else min(start, begun)
        return start, b"".join(d for _, d in pieces)

    def first_sound(self, since):
        """ms from `since` to the first loud sample, or None."""
        start, data = self._timeline()
        for i in range(0, len(data) - 1, self.FRAME):
            if self._loud(data, i):
                return (start + i // self.FRAME / self.RATE - since) * 1000
        return None

    def longest_gap(self, since, until=None):
        """The longest silence in ms between two loud samples that sound
        after `since` (and before `until`)."""
        start, data = self._timeline()
        if start is None:
            return None
        first = max(0, int((since - start) * self.RATE)) * self.FRAME
        last = len(data) if until is None else min(len(data), int((until - start) * self.RATE) * self.FRAME)
        longest, run, started = 0, 0, False
        for i in range(first, last - 1, self.FRAME):
            if self._loud(data, i):
                if started:
                    longest = max(longest, run)
                started, run = True, 0
            else:
                run += 1
        return longest * 1000 / self.RATE if started else None


def wait_for_path(path, tries, step, what):
    for _ in range(tries):
        if os.path.exists(path):
            return
        time.sleep(step)
    raise RuntimeError(f"{what} did not start")


class Display:
    def __init__(self, num):
        self.num = num
        self.name = f":{num}"
        self.proc = subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_path(f"/tmp/.X11-unix/X{num}", 200, 0.01, "Xvfb")

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class Pulse:
    """A private PulseAudio server whose only sink is a null sink."""

    def __init__(self, work):
        home = os.path.join(work, "pulse")
        run = os.path.join(home, "run")
        os.makedirs(run)
        os.chmod(run, 0o700)
        self.socket = os.path.join(home, "native")
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=run)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.proc = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disallow-module-loading", "-L",
             f"module-native-protocol-unix auth-anonymous=1 socket={self.socket}",
             "-L", "module-null-sink sink_name=bench"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_path(self.socket, 500, 0.01, "pulseaudio")

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class Player:
    name = ""

    def __init__(self, home_template):
        self.template = home_template

    def prepare_template(self, env, song):
        """Makes the HOME warm: a first run that plays a song, then quits."""
        p = subprocess.Popen(self.command(song), env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(4)
        try:
            self.quit(env, p.pid)
        except Exception:
            pass
        try:
            p.wait(timeout=5)
        except subprocess.TimeoutExpired:
            kill_tree(p.pid)

    def command(self, mp3):
        raise NotImplementedError

    def quit(self, env, pid):
        pass

    def next(self, env):
        """What a user's "next" does: the desktop's media controls (MPRIS)
        when the player offers them, else the player's own command."""
        if self._mpris(env, "Next"):
            return "mpris"
        self.own_next(env)
        return "own"

    def play(self, env):
        """Starts a playlist that was opened without playing (MPRIS Play)."""
        self._mpris(env, "Play")

    def _mpris(self, env, method):
        names = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"],
            env=env, capture_output=True, text=True, timeout=5).stdout
        mpris = [w.strip('"') for w in names.split() if w.startswith('"org.mpris.MediaPlayer2.')]
        if not mpris:
            return False
        subprocess.run(["dbus-send", "--session", "--type=method_call", f"--dest={mpris[0]}",
                        "/org/mpris/MediaPlayer2", f"org.mpris.MediaPlayer2.Player.{method}"],
                       env=env, timeout=5)
        return True

    def own_next(self, env):
        raise RuntimeError(f"{self.name} offers no MPRIS and no next command")


class Liravo(Player):
    name = "Liravo"

    def __init__(self, template, exe):
        super().__init__(template)
        self.exe = exe

    def env(self, env):
        return env  # the desktop's output: PulseAudio here

    def command(self, mp3):
        return [self.exe] + ([mp3] if mp3 else [])

    def quit(self, env, pid):
        os.kill(pid, signal.SIGTERM)


class Audacious(Player):
    def __init__(self, template, ui):
        super().__init__(template)
        self.ui = ui
        self.name = "audacious GTK" if ui == "-G" else "audacious Qt"

    def env(self, env):
        return env

    def prepare_template(self, env, song):
        # A first run writes the plugin registry; then only the PulseAudio
        # output stays enabled, and a second run plays with it.
        super().prepare_template(env, None)
        reg = os.path.join(env["XDG_CONFIG_HOME"], "audacious", "plugin-registry")
        lines = open(reg).read().split("\n")
        out, kind, path = [], None, ""
        for line in lines:
            if line.split(" ")[0] in ("general", "effect", "vis", "input", "playlist",
                                      "transport", "output", "iface", "codec"):
                kind = line.split(" ")[0]
                path = line
            if kind == "output" and line.startswith("enabled "):
                line = "enabled " + ("1" if "pulse" in path else "0")
            out.append(line)
        open(reg, "w").write("\n".join(out))
        super().prepare_template(env, song)

    def command(self, mp3):
        return ["audacious", self.ui] + ([mp3] if mp3 else [])

    def quit(self, env, pid):
        subprocess.run(["audtool", "shutdown"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)

    def own_next(self, env):
        subprocess.run(["audtool", "playlist-advance"], env=env, timeout=10)


class Qmmp(Player):
    name = "qmmp"

    def env(self, env):
        return env

    def prepare_template(self, env, song):
        d = os.path.join(env["HOME"], ".qmmp")
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "qmmprc"), "w") as f:
            f.write("[Output]\ncurrent_plugin=pulseaudio\n")
        super().prepare_template(env, song)

    def command(self, mp3):
        return ["qmmp"] + ([mp3] if mp3 else [])

    def quit(self, env, pid):
        subprocess.run(["qmmp", "--quit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)

    def own_next(self, env):
        subprocess.run(["qmmp", "--next"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)


def base_env(home, display, pulse):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("XDG_", "DBUS_", "QT_", "WAYLAND", "LIRAVO"))}
    env.update(HOME=home, DISPLAY=display,
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"),
               PULSE_SERVER="unix:" + pulse.socket,
               LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    for k in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
        os.makedirs(env[k], exist_ok=True)
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    return env


def start_dbus(env):
    out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                          "--print-pid=1"], env=env, capture_output=True, text=True,
                         check=True).stdout.split()
    env["DBUS_SESSION_BUS_ADDRESS"] = out[0]
    return int(out[1])


def kill_tree(pid):
    for p in reversed(tree(pid)):
        try:
            os.kill(p, signal.SIGKILL)
        except OSError:
            pass


def launch(args, player, home, song, display_num, pulse, window=None, gap=False, skip=False):
    """One launch: returns a dict of mapped ms, rss and pss MiB after the
    settle time, cpu % and wakeups/s over the window, rss at its end, and
    with a song the ms to the first sound and the longest silence: of the
    whole recording, or with `skip` around the user's "next" given after
    the settle time."""
    disp = Display(display_num)
    env = player.env(base_env(home, disp.name, pulse))
    dbus_pid = start_dbus(env)
    monitor = Monitor(pulse) if song else None
    try:
        if monitor and not monitor.wait_running():
            raise RuntimeError("the null sink's monitor records nothing")
        time.sleep(0.05 if song else 0)
        started = time.monotonic()
        out = subprocess.run([args.xmapwait, "15000"] + player.command(song), env=env,
                             capture_output=True, text=True).stdout.split()
        pid = int(out[1])
        r = {"mapped": None if out[3] == "timeout" else float(out[3])}
        if gap:
            # A player that opens a playlist without playing it is started
            # as a user would; one that already plays is left alone.
            time.sleep(2)
            if monitor.first_sound(started) is None:
                player.play(env)
                r["play"] = "asked"
            time.sleep(max(0, args.settle - 2))
        else:
            time.sleep(args.settle)
        pids = tree(pid)
        r["rss"], r["pss"] = rss_mib(pids), pss_mib(pids)
        if skip:
            pressed = time.monotonic()
            r["how"] = player.next(env)
        if monitor and not gap:
            # Not recording while the CPU and wakeups are counted.
            r["sound"] = monitor.first_sound(started)
            monitor.close()
            monitor = None
        c0, w0, t0 = cpu_ticks(pids), switches(pids), time.monotonic()
        time.sleep(args.window if window is None else window)
        pids = tree(pid)
        elapsed = time.monotonic() - t0
        r["cpu"] = (cpu_ticks(pids) - c0) / TICK / elapsed * 100
        r["wake"] = (switches(pids) - w0) / elapsed
        r["rsslate"] = rss_mib(pids)
        if monitor:
            r["sound"] = monitor.first_sound(started)
            r["gap"] = (monitor.longest_gap(pressed - 0.5, pressed + 3) if skip
                        else monitor.longest_gap(started))
        try:
            player.quit(env, pid)
        except Exception:
            pass
        time.sleep(0.3)
        kill_tree(pid)
        return r
    finally:
        if monitor:
            monitor.close()
        kill_tree(dbus_pid)
        disp.close()


def make_songs(work, seconds=40, prefix="song"):
    """A tone as MP3, M4A and FLAC with the same tags, made by GStreamer's
    encoders; the MP3 falls back to silent frames without gst-launch-1.0."""
    songs = {}
    tags = 'taginject tags="title=稻香,artist=周杰伦"'
    recipes = {"mp3": "lamemp3enc target=bitrate bitrate=128 cbr=true ! id3mux", "m4a": "voaacenc ! mp4mux",
               "flac": "flacenc"}
    for kind, enc in recipes.items():
        path = os.path.join(work, f"{prefix}.{kind}")
        line = (f"audiotestsrc num-buffers={seconds * 44100 // 1024} samplesperbuffer=1024 "
                f"volume=0.3 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! {tags} ! "
                f"{enc} ! filesink location={path}")
        try:
            ok = subprocess.run(["gst-launch-1.0", "-q"] + line.split(" "),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=120).returncode == 0
        except (OSError, subprocess.TimeoutExpired):
            ok = False
        if ok and os.path.getsize(path) > 0:
            songs[kind] = path
        elif kind == "mp3":
            with open(path, "wb") as f:
                f.write(mkmp3.silent_mp3(seconds, "稻香", "周杰伦"))
            songs[kind] = path
    return songs


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--liravo", required=True)
    ap.add_argument("--xmapwait", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--settle", type=float, default=5)
    ap.add_argument("--window", type=float, default=20)
    ap.add_argument("--only", default="")
    ap.add_argument("--formats", default="mp3,m4a,flac")
    ap.add_argument("--change", action="store_true",
                    help="also play a playlist of an MP3 and a FLAC (for players that play a "
                         "playlist given on the command line): the silence where the first "
                         "ends and the second begins, and where the user skips to the second")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="liravo-peers-")
    songs = make_songs(work)
    formats = [f for f in args.formats.split(",") if f in songs]
    phases = ["idle"] + formats
    if args.change:
        # Two short songs of different formats in a playlist: the change
        # from the first to the second.
        short = make_songs(work, seconds=3, prefix="short")
        if "mp3" in short and "flac" in short:
            songs["change"] = os.path.join(work, "change.m3u")
            with open(songs["change"], "w") as f:
                f.write(short["mp3"] + "\n" + short["flac"] + "\n")
            phases.append("change")
        # Two long songs: the user's "next" from the first to the second,
        # which no player can prepare for.
        songs["next"] = os.path.join(work, "next.m3u")
        with open(songs["next"], "w") as f:
            f.write(songs["mp3"] + "\n" + songs.get("flac", songs["mp3"]) + "\n")
        phases.append("next")
    pulse = Pulse(work)

    players = [Liravo(None, args.liravo), Audacious(None, "-G"), Audacious(None, "-Q"), Qmmp(None)]
    if args.only:
        players = [p for p in players if p.name in args.only.split(",")]
    load_before = os.getloadavg()
    # Warm HOME templates: each run copies its player's template afresh.
    for i, p in enumerate(players):
        p.template = os.path.join(work, f"template{i}")
        os.makedirs(p.template)
        disp = Display(90 + i)
        env = p.env(base_env(p.template, disp.name, pulse))
        dbus_pid = start_dbus(env)
        try:
            p.prepare_template(env, songs["mp3"])
        finally:
            kill_tree(dbus_pid)
            disp.close()

    measures = ("rss", "cpu", "wake", "pss", "rsslate", "sound", "gap")
    keys = ["start"] + [f"{ph}_{m}" for ph in phases for m in measures]
    results = {p.name: {k: [] for k in keys} for p in players}
    num = 100
    try:
        for run in range(args.runs):
            for phase in phases:
                for p in players:
                    home = os.path.join(work, f"home-{run}-{num}")
                    shutil.copytree(p.template, home, symlinks=True)
                    num += 1
                    song = None if phase == "idle" else songs[phase]
                    switch = phase in ("change", "next")
                    m = launch(args, p, home, song, num, pulse, window=6 if switch else None,
                               gap=switch, skip=phase == "next")
                    shutil.rmtree(home, ignore_errors=True)
                    r = results[p.name]
                    if phase != "idle" and (m.get("sound") is None or (m["wake"] < 1 and not switch)):
                        # No sound came: the player refused the file.
                        print(f"run {run + 1} {p.name:14s} {phase:6s}: did not play", flush=True)
                        continue
                    if phase == "idle" and m["mapped"] is not None:
                        r["start"].append(m["mapped"])
                    for k in measures:
                        if m.get(k) is not None and (k != "gap" or switch):
                            r[f"{phase}_{k}"].append(m[k])
                    print(f"run {run + 1} {p.name:14s} {phase:6s}: "
                          + " ".join(f"{k}={v:.1f}" if not isinstance(v, str) else f"{k}={v}"
                                     for k, v in m.items() if v is not None)
                          + f" load={os.getloadavg()[0]:.2f}", flush=True)
    finally:
        pulse.close()
    load_after = os.getloadavg()

    def med(v):
        return statistics.median(v) if v else None

    def fmt(v, unit, digits=1):
        if not v:
            return "n/a"
        return (f"{statistics.median(v):.{digits}f}{unit} "
                f"({min(v):.{digits}f}-{max(v):.{digits}f})")

    units = {"rss": (" MiB", 1), "cpu": (" %", 2), "wake": ("/s", 1), "pss": (" MiB", 1),
             "rsslate": (" MiB", 1), "sound": (" ms", 0), "gap": (" ms", 0)}
    shown = ("rss", "rsslate", "pss", "cpu", "wake", "sound")
    print()
    print("| player | start → window mapped | idle RSS | idle CPU | idle wakeups |")
    print("|---|---|---|---|---|")
    for p in players:
        r = results[p.name]
        print(f"| {p.name} | {fmt(r['start'], ' ms')} | "
              + " | ".join(fmt(r[f"idle_{m}"], *units[m]) for m in ("rss", "cpu", "wake")) + " |")
    print()
    print("| player | playing | RSS | RSS at the end | PSS | CPU | wakeups | time to sound |")
    print("|---|---|---|---|---|---|---|---|")
    for ph in formats:
        for p in players:
            r = results[p.name]
            print(f"| {p.name} | {ph} | "
                  + " | ".join(fmt(r[f"{ph}_{m}"], *units[m]) for m in shown) + " |")
    if "change" in phases:
        print()
        print("| player | silence where an MP3 ends and a FLAC follows | silence at \"next\" "
              "(MPRIS Next) from an MP3 to a FLAC |")
        print("|---|---|---|")
        for p in players:
            print(f"| {p.name} | {fmt(results[p.name]['change_gap'], ' ms', 0)} | "
                  f"{fmt(results[p.name]['next_gap'], ' ms', 0)} |")
    print(f"(median, then min-max over {args.runs} runs; settle {args.settle} s, "
          f"window {args.window} s; PulseAudio null sink)")

    me, peers = players[0].name, [p.name for p in players[1:]]
    if me == "Liravo" and peers:
        print()
        print("| figure | Liravo | lightest peer | ratio |")
        print("|---|---|---|---|")
        for k in keys:
            # The song change phases are there for their silence and memory:
            # their CPU, wakeups (players that ended count back) and sound
            # (after a "play" asked of those that open a playlist stopped)
            # compare nothing.
            if k.split("_")[0] in ("change", "next") and k.split("_")[1] in ("cpu", "wake", "sound"):
                continue
            mine = med(results[me][k])
            theirs = [(med(results[n][k]), n) for n in peers if med(results[n][k]) is not None]
            if mine is None or not theirs:
                continue
            best, who = min(theirs)
            ratio = f"{mine / best:.2f}×" if best > 0 else "n/a"
            print(f"| {k.replace('_', ' ')} | {mine:.2f} | {best:.2f} ({who}) | {ratio} |")
    print()
    print("load average (1/5/15 min) before: %.2f %.2f %.2f, after: %.2f %.2f %.2f"
          % (load_before + load_after))
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
