#!/usr/bin/env python3
"""Measures each player in its own Xvfb display, fresh HOME and private D-Bus
session, with a silent audio output:
  - start-up: exec until the first window is mapped (xmapwait),
  - RSS of the process tree after 5 s idle and while playing a 30-s MP3,
  - CPU (utime+stime of the tree) over 20 s idle and 20 s playing.
Prints min/median/max per player and figure."""
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


def cpu_ticks(pids):
    total = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/stat") as f:
                s = f.read()
            fields = s[s.rindex(")") + 2:].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, ValueError):
            pass
    return total


def rss_mib(pids):
    total = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/statm") as f:
                total += int(f.read().split()[1]) * PAGE
        except (OSError, ValueError):
            pass
    return total / (1024 * 1024)


class Display:
    def __init__(self, num):
        self.num = num
        self.name = f":{num}"
        self.proc = subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if os.path.exists(f"/tmp/.X11-unix/X{num}"):
                return
            time.sleep(0.01)
        raise RuntimeError("Xvfb did not start")

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class Player:
    name = ""

    def __init__(self, home_template):
        self.template = home_template

    def prepare_template(self, env):
        pass

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
        env["LIRAVO_AO"] = "null"
        return env

    def command(self, mp3):
        return [self.exe] + ([mp3] if mp3 else [])


class Audacious(Player):
    def __init__(self, template, ui):
        super().__init__(template)
        self.ui = ui
        self.name = "audacious GTK" if ui == "-G" else "audacious Qt"

    def env(self, env):
        env["SDL_AUDIODRIVER"] = "dummy"
        return env

    def prepare_template(self, env):
        # A first run writes the plugin registry; then only the SDL output
        # (with SDL's dummy driver) stays enabled.
        p = subprocess.Popen(["audacious", self.ui], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(3)
        subprocess.run(["audtool", "shutdown"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)
        try:
            p.wait(timeout=10)
        except subprocess.TimeoutExpired:
            p.kill()
        reg = os.path.join(env["XDG_CONFIG_HOME"], "audacious", "plugin-registry")
        lines = open(reg).read().split("\n")
        out, kind, path = [], None, ""
        for line in lines:
            if line.split(" ")[0] in ("general", "effect", "vis", "input", "playlist",
                                      "transport", "output", "iface", "codec"):
                kind = line.split(" ")[0]
                path = line
            if kind == "output" and line.startswith("enabled "):
                line = "enabled " + ("1" if "sdlout" in path else "0")
            out.append(line)
        open(reg, "w").write("\n".join(out))

    def command(self, mp3):
        return ["audacious", self.ui] + ([mp3] if mp3 else [])

    def quit(self, env, pid):
        subprocess.run(["audtool", "shutdown"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)


class Qmmp(Player):
    name = "qmmp"

    def env(self, env):
        return env

    def prepare_template(self, env):
        d = os.path.join(env["HOME"], ".qmmp")
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "qmmprc"), "w") as f:
            f.write("[Output]\ncurrent_plugin=null\n")

    def command(self, mp3):
        return ["qmmp"] + ([mp3] if mp3 else [])

    def quit(self, env, pid):
        subprocess.run(["qmmp", "--quit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)


def base_env(home, display):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("XDG_", "DBUS_", "QT_", "WAYLAND", "LIRAVO"))}
    env.update(HOME=home, DISPLAY=display,
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"),
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


def launch(args, player, home, mp3, display_num, settle, window):
    """One launch: returns (mapped ms, rss MiB after settle s, cpu % over window s)."""
    disp = Display(display_num)
    env = player.env(base_env(home, disp.name))
    dbus_pid = start_dbus(env)
    try:
        out = subprocess.run([args.xmapwait, "15000"] + player.command(mp3), env=env,
                             capture_output=True, text=True).stdout.split()
        pid = int(out[1])
        mapped = None if out[3] == "timeout" else float(out[3])
        time.sleep(settle)
        pids = tree(pid)
        rss = rss_mib(pids)
        c0, t0 = cpu_ticks(pids), time.monotonic()
        time.sleep(window)
        pids = tree(pid)
        cpu = (cpu_ticks(pids) - c0) / TICK / (time.monotonic() - t0) * 100
        try:
            player.quit(env, pid)
        except Exception:
            pass
        time.sleep(0.3)
        kill_tree(pid)
        return mapped, rss, cpu
    finally:
        kill_tree(dbus_pid)
        disp.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--liravo", required=True)
    ap.add_argument("--xmapwait", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--settle", type=float, default=5)
    ap.add_argument("--window", type=float, default=20)
    ap.add_argument("--only", default="")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="liravo-peers-")
    mp3 = os.path.join(work, "song.mp3")
    with open(mp3, "wb") as f:
        f.write(mkmp3.silent_mp3(30, "稻香", "周杰伦"))

    players = [Liravo(None, args.liravo), Audacious(None, "-G"), Audacious(None, "-Q"), Qmmp(None)]
    if args.only:
        players = [p for p in players if p.name in args.only.split(",")]
    # Warm HOME templates: each run copies its player's template afresh.
    for i, p in enumerate(players):
        p.template = os.path.join(work, f"template{i}")
        os.makedirs(p.template)
        disp = Display(90 + i)
        env = p.env(base_env(p.template, disp.name))
        dbus_pid = start_dbus(env)
        try:
            p.prepare_template(env)
        finally:
            kill_tree(dbus_pid)
            disp.close()

    results = {p.name: {"start": [], "idle_rss": [], "idle_cpu": [], "play_rss": [],
                        "play_cpu": []} for p in players}
    num = 100
    for run in range(args.runs):
        for p in players:
            for phase in ("idle", "play"):
                home = os.path.join(work, f"home-{run}-{num}")
                shutil.copytree(p.template, home, symlinks=True)
                num += 1
                mapped, rss, cpu = launch(args, p, home, mp3 if phase == "play" else None,
                                          num, args.settle, args.window)
                r = results[p.name]
                if phase == "idle":
                    if mapped is not None:
                        r["start"].append(mapped)
                    r["idle_rss"].append(rss)
                    r["idle_cpu"].append(cpu)
                else:
                    r["play_rss"].append(rss)
                    r["play_cpu"].append(cpu)
                print(f"run {run + 1} {p.name:14s} {phase}: mapped={mapped} ms "
                      f"rss={rss:.1f} MiB cpu={cpu:.2f} %", flush=True)

    def fmt(v, unit, digits=1):
        if not v:
            return "n/a"
        return (f"{statistics.median(v):.{digits}f}{unit} "
                f"({min(v):.{digits}f}-{max(v):.{digits}f})")

    print()
    print("| player | start → window mapped | idle RSS | idle CPU | playing RSS | playing CPU |")
    print("|---|---|---|---|---|---|")
    for p in players:
        r = results[p.name]
        print(f"| {p.name} | {fmt(r['start'], ' ms')} | {fmt(r['idle_rss'], ' MiB')} | "
              f"{fmt(r['idle_cpu'], ' %', 2)} | {fmt(r['play_rss'], ' MiB')} | "
              f"{fmt(r['play_cpu'], ' %', 2)} |")
    print("(median, then min-max over", args.runs, "runs)")
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
