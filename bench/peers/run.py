#!/usr/bin/env python3
"""Measures each player in its own Xvfb display and private D-Bus session,
with a copy of a warm HOME (settings and caches of an earlier run) and every
player playing on one private PulseAudio server with a null sink:
  - start-up: exec until the first window is mapped (xmapwait),
  - RSS of the process tree after the settle time, idle and while playing a
    40-s MP3, M4A (AAC) and FLAC,
  - CPU (utime+stime of the tree) and wakeups (context switches of all its
    threads) over the measuring window.
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


def launch(args, player, home, song, display_num, pulse):
    """One launch: returns (mapped ms, rss MiB after the settle time, cpu % and
    wakeups/s over the window)."""
    disp = Display(display_num)
    env = player.env(base_env(home, disp.name, pulse))
    dbus_pid = start_dbus(env)
    try:
        out = subprocess.run([args.xmapwait, "15000"] + player.command(song), env=env,
                             capture_output=True, text=True).stdout.split()
        pid = int(out[1])
        mapped = None if out[3] == "timeout" else float(out[3])
        time.sleep(args.settle)
        pids = tree(pid)
        rss = rss_mib(pids)
        c0, w0, t0 = cpu_ticks(pids), switches(pids), time.monotonic()
        time.sleep(args.window)
        pids = tree(pid)
        elapsed = time.monotonic() - t0
        cpu = (cpu_ticks(pids) - c0) / TICK / elapsed * 100
        wakeups = (switches(pids) - w0) / elapsed
        try:
            player.quit(env, pid)
        except Exception:
            pass
        time.sleep(0.3)
        kill_tree(pid)
        return mapped, rss, cpu, wakeups
    finally:
        kill_tree(dbus_pid)
        disp.close()


def make_songs(work):
    """A 40-s tone as MP3, M4A and FLAC with the same tags, made by GStreamer's
    encoders; the MP3 falls back to silent frames without gst-launch-1.0."""
    songs = {}
    tags = 'taginject tags="title=稻香,artist=周杰伦"'
    recipes = {"mp3": "lamemp3enc target=bitrate bitrate=128 cbr=true ! id3mux", "m4a": "voaacenc ! mp4mux",
               "flac": "flacenc"}
    for kind, enc in recipes.items():
        path = os.path.join(work, "song." + kind)
        line = (f"audiotestsrc num-buffers={40 * 44100 // 1024} samplesperbuffer=1024 "
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
                f.write(mkmp3.silent_mp3(40, "稻香", "周杰伦"))
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
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="liravo-peers-")
    songs = make_songs(work)
    formats = [f for f in args.formats.split(",") if f in songs]
    phases = ["idle"] + formats
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

    keys = ["start"] + [f"{ph}_{m}" for ph in phases for m in ("rss", "cpu", "wake")]
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
                    mapped, rss, cpu, wake = launch(args, p, home, song, num, pulse)
                    shutil.rmtree(home, ignore_errors=True)
                    r = results[p.name]
                    if phase != "idle" and wake < 1:
                        # Took no CPU at all: the player refused the file.
                        print(f"run {run + 1} {p.name:14s} {phase:5s}: did not play", flush=True)
                        continue
                    if phase == "idle" and mapped is not None:
                        r["start"].append(mapped)
                    r[f"{phase}_rss"].append(rss)
                    r[f"{phase}_cpu"].append(cpu)
                    r[f"{phase}_wake"].append(wake)
                    print(f"run {run + 1} {p.name:14s} {phase:5s}: mapped={mapped} ms "
                          f"rss={rss:.1f} MiB cpu={cpu:.2f} % wakeups={wake:.1f}/s "
                          f"load={os.getloadavg()[0]:.2f}", flush=True)
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

    units = {"rss": (" MiB", 1), "cpu": (" %", 2), "wake": ("/s", 1)}
    print()
    print("| player | start → window mapped | idle RSS | idle CPU | idle wakeups |")
    print("|---|---|---|---|---|")
    for p in players:
        r = results[p.name]
        print(f"| {p.name} | {fmt(r['start'], ' ms')} | "
              + " | ".join(fmt(r[f"idle_{m}"], *units[m]) for m in ("rss", "cpu", "wake")) + " |")
    print()
    print("| player | playing | RSS | CPU | wakeups |")
    print("|---|---|---|---|---|")
    for ph in formats:
        for p in players:
            r = results[p.name]
            print(f"| {p.name} | {ph} | "
                  + " | ".join(fmt(r[f"{ph}_{m}"], *units[m]) for m in ("rss", "cpu", "wake")) + " |")
    print(f"(median, then min-max over {args.runs} runs; settle {args.settle} s, "
          f"window {args.window} s; PulseAudio null sink)")

    me, peers = players[0].name, [p.name for p in players[1:]]
    if me == "Liravo" and peers:
        print()
        print("| figure | Liravo | lightest peer | ratio |")
        print("|---|---|---|---|")
        for k in keys:
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
