#!/usr/bin/env python3
"""Footprint of the companion against the bare programs of bench/baseline, side by side.

Each run starts a fresh headless session (Xvfb, a private D-Bus session bus, the stand-in
of the service, quintrel-panel as the tray watcher), starts the companion (an API code
stored), baseline-tray and baseline-polling-tray one after the other, lets them sit idle
together, and reads /proc. The popup rows come from the same run: the tray item is clicked
and the app tree read again, and baseline-webview opens the same Overview page from a cold
start. scripts/bench drives this.
"""
import argparse
import collections
import json
import os
import queue
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

STANDIN_PORT = 47320
WIDGET_PORT = 47321
API_CODE = "QuintrelDemo2026standinCode0123456789"
POLL_PATH = "/api/chrome.php"
OVERVIEW_PATH = "/widget/wp3.2.php"
# baseline-polling-tray asks for a poll reply like the app's; its client name tells its
# requests apart in the stand-in's log.
BASELINE_CLIENT = "bench-baseline"
BASELINE_POLL_URL = (f"http://127.0.0.1:{STANDIN_PORT}{POLL_PATH}?v=1&client={BASELINE_CLIENT}"
                     f"&code={API_CODE}&shownotify=0&keepalive=0&idle=0&nocache=0")
OVERVIEW_URL = f"http://localhost:{STANDIN_PORT}{OVERVIEW_PATH}?code={API_CODE}"
# The programs that sit idle side by side, and the names the table gives them.
IDLE_PROGRAMS = {"app": "src/desktop/quintrel-companion",
                 "baseline": "bench/baseline/baseline-tray",
                 "polling": "bench/baseline/baseline-polling-tray"}
# How long the app keeps a hidden popup's helper (kept in the app's DashboardHelperProcess).
POPUP_KEEP_SECONDS = 180
TICKS = os.sysconf("SC_CLK_TCK")
# Seconds around a poll request counted as the poll's own work: the request, the reply,
# the new title, the panel reading it back, and the server closing the kept-alive
# connection (the stand-in does so after 5 s).
POLL_BEFORE, POLL_AFTER = 1.0, 6.0


def log(text):
    print(text, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- /proc readers

def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def stat_fields(pid):
    """Fields of /proc/<pid>/stat after the command name (field 3 is index 0)."""
    text = read(f"/proc/{pid}/stat")
    return text[text.rfind(")") + 2:].split() if text else []


def process_tree(root):
    """`root` and its live descendants."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            fields = stat_fields(entry)
            if fields:
                parents[int(entry)] = int(fields[1])
    tree = [root]
    for pid in tree:
        tree.extend(child for child, parent in parents.items() if parent == pid)
    return tree


def pss_kib(pid):
    for line in read(f"/proc/{pid}/smaps_rollup").splitlines():
        if line.startswith("Pss:"):
            return int(line.split()[1])
    return 0


def tree_pss_mib(root):
    return sum(pss_kib(pid) for pid in process_tree(root)) / 1024.0


def tree_pss_by_mapping(root):
    """{mapping name: PSS in KiB} over the tree: a file's base name, or [heap], [anon]..."""
    totals = collections.Counter()
    for pid in process_tree(root):
        name = "[anon]"
        for line in read(f"/proc/{pid}/smaps").splitlines():
            fields = line.split()
            if not fields:
                continue
            if not fields[0].endswith(":") and "-" in fields[0]:
                name = os.path.basename(fields[5]) if len(fields) > 5 else "[anon]"
                name = name or fields[5]
            elif fields[0] == "Pss:":
                totals[name] += int(fields[1])
    return dict(totals)


def tree_cpu_ms(root):
    """utime + stime of the tree's processes (every thread, dead ones included)."""
    total = 0
    for pid in process_tree(root):
        fields = stat_fields(pid)
        if fields:
            total += int(fields[11]) + int(fields[12])
    return total * 1000.0 / TICKS


def thread_samples(root):
    """{(pid, tid, name): (context switches, ns on CPU)} for every thread of the tree."""
    samples = {}
    for pid in process_tree(root):
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            base = f"/proc/{pid}/task/{tid}"
            switches = 0
            for line in read(base + "/status").splitlines():
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    switches += int(line.split()[1])
            runtime = read(base + "/schedstat").split()
            samples[(pid, int(tid), read(base + "/comm").strip())] = (
                switches, int(runtime[0]) if runtime else 0)
    return samples


# ---------------------------------------------------------------- children

class Child:
    """A process of ours in its own process group; its output lines are time-stamped."""

    def __init__(self, name, argv, env, cwd=None, stdin=False):
        self.name = name
        self.lines = []  # (wall-clock time, text)
        self.started = time.time()
        self.proc = subprocess.Popen(
            argv, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
            start_new_session=True, text=True, bufsize=1)
        self.arrived = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for text in self.proc.stdout:
            self.lines.append((time.time(), text.rstrip("\n")))
            self.arrived.put(None)

    @property
    def pid(self):
        return self.proc.pid

    def wait_line(self, predicate, timeout, start=0):
        """Index of the first line from `start` on that matches, or None."""
        deadline = time.time() + timeout
        checked = start
        while True:
            while checked < len(self.lines):
                if predicate(self.lines[checked][1]):
                    return checked
                checked += 1
            if self.proc.poll() is not None or time.time() >= deadline:
                return None
            try:
                self.arrived.get(timeout=0.2)
            except queue.Empty:
                pass

    def finish(self, timeout):
        """Waits for the end of the process and of its output."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired as e:
            raise RuntimeError(f"{self.name} did not finish within {timeout} s") from e
        self.reader.join(timeout=5)

    def stop(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
            except ProcessLookupError:
                pass


class Children:
    """Everything started here, stopped in reverse order whatever happens."""

    def __init__(self):
        self.all = []

    def start(self, *args, **kwargs):
        child = Child(*args, **kwargs)
        self.all.append(child)
        return child

    def stop_all(self):
        while self.all:
            self.all.pop().stop()


def port_free(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) != 0


# ---------------------------------------------------------------- one session

class Session:
    def __init__(self, build, children):
        self.build = build
        self.children = children
        self.dir = tempfile.mkdtemp(prefix="quintrel-bench-")
        for sub in ("config/quintrel", "home", "runtime"):
            os.makedirs(os.path.join(self.dir, sub), mode=0o700)
        with open(os.path.join(self.dir, "config/quintrel/preferences.json"), "w") as f:
            json.dump({"qnapicode": API_CODE}, f)
        env = {k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
            "XDG_SESSION_TYPE", "SESSION_MANAGER")}
        env.update(XDG_CONFIG_HOME=self.dir + "/config", XDG_RUNTIME_DIR=self.dir + "/runtime",
                   HOME=self.dir + "/home", QT_QPA_PLATFORM="xcb", QT_XCB_GL_INTEGRATION="none",
                   QUINTREL_SERVICE_URL=f"http://127.0.0.1:{STANDIN_PORT}",
                   QUINTREL_WIDGET_URL=f"http://localhost:{STANDIN_PORT}")
        self.env = env
        try:
            self.start_desktop()
        except BaseException:
            self.close()
            raise

    def start_desktop(self):
        env, children = self.env, self.children
        xvfb = children.start("Xvfb", ["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24",
                                       "-nolisten", "tcp", "-noreset"], env)
        if xvfb.wait_line(lambda _: True, 20) is None:
            raise RuntimeError("Xvfb did not report a display")
        env["DISPLAY"] = ":" + xvfb.lines[0][1]

        conf = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                            "session-bus.conf")
        bus = children.start("dbus-daemon", ["dbus-daemon", "--config-file=" + conf, "--nofork",
                                             "--print-address=1"], env)
        if bus.wait_line(lambda _: True, 20) is None:
            raise RuntimeError("dbus-daemon did not report its address")
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.lines[0][1]

        standin = children.start("stand-in", [self.tool("tools/standin/quintrel-standin"),
                                              "--port", str(STANDIN_PORT)], env)
        if standin.wait_line(lambda l: "listening" in l, 20) is None:
            raise RuntimeError(f"the stand-in did not start on port {STANDIN_PORT}")
        self.panel = children.start("panel", [self.tool("tools/panel/quintrel-panel"), "--report"],
                                    env, stdin=True)
        if self.panel.wait_line(lambda l: l == "ready", 20) is None:
            raise RuntimeError("the panel did not start")

    def tool(self, relative):
        return os.path.join(self.build, relative)

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def requests(self, path=POLL_PATH, baseline=False):
        """The stand-in's requests of `path`: the app's, or baseline-polling-tray's."""
        with urllib.request.urlopen(f"http://127.0.0.1:{STANDIN_PORT}/__log", timeout=10) as r:
            return [e for e in json.load(r) if e["path"] == path
                    and (f"client={BASELINE_CLIENT}" in e["query"]) == baseline]

    def start_item(self, name, binary, args=()):
        """Starts a tray app; answers (child, its item's bus name, when it registered)."""
        from_line = len(self.panel.lines)
        child = self.children.start(name, [self.tool(binary), *args], self.env)
        index = self.panel.wait_line(lambda l: l.startswith("registered "), 60, from_line)
        if index is None:
            raise RuntimeError(f"{name} never registered a tray item")
        when, line = self.panel.lines[index]
        child.item = line.split()[1]  # what the panel's commands name it by
        return child, child.item.split("/")[0], when

    def first_title(self, service, timeout):
        def is_title(line):
            label = None
            if line.startswith(f"signal {service} XAyatanaNewLabel "):
                label = line.split("XAyatanaNewLabel ", 1)[1]
            elif line.startswith(f"item {service}/") and " label=" in line:
                label = line.split(" label=", 1)[1]
            return label is not None and not label.startswith('""')
        index = self.panel.wait_line(is_title, timeout)
        return None if index is None else self.panel.lines[index][0]


def poll_windows(times):
    return [(t - POLL_BEFORE, t + POLL_AFTER) for t in times]


def inside(t, windows):
    return any(a <= t <= b for a, b in windows)


def idle_window(apps, seconds, session):
    """Samples both trees each second; answers per-app CPU and wake-up figures."""
    roots = {name: child.pid for name, child in apps.items()}
    cpu0 = {name: tree_cpu_ms(pid) for name, pid in roots.items()}
    start = time.time()
    previous = {name: thread_samples(pid) for name, pid in roots.items()}
    events = {name: [] for name in roots}  # (time, thread name, switches, ns)
    next_tick = start + 1.0
    while next_tick <= start + seconds + 1e-6:
        time.sleep(max(0.0, next_tick - time.time()))
        now = time.time()
        for name, pid in roots.items():
            current = thread_samples(pid)
            for key, (switches, ns) in current.items():
                before = previous[name].get(key, (0, 0))
                if switches > before[0]:
                    events[name].append((now, key[2], switches - before[0], ns - before[1]))
            previous[name] = current
        next_tick += 1.0
    end = time.time()
    cpu1 = {name: tree_cpu_ms(pid) for name, pid in roots.items()}
    result = {}
    for name in roots:
        # The bare tray app does not poll: it is judged by the app's poll windows.
        polls = [e["time"] for e in session.requests(baseline=name == "polling")
                 if start <= e["time"] <= end]
        windows = poll_windows(polls)
        ev = events[name]
        other = [e for e in ev if not inside(e[0], windows)]
        result[name] = {
            "cpu_ms": cpu1[name] - cpu0[name],
            "run_ms": sum(e[3] for e in ev) / 1e6,
            "wakeups": sum(e[2] for e in ev),
            "poll_cpu_ms": sum(e[3] for e in ev if inside(e[0], windows)) / 1e6,
            "other_seconds": len({round(e[0] - start) for e in other}),
            "other_threads": sorted({e[1] for e in other}),
            "other_times": sorted({round(e[0] - start) for e in other}),
            "polls": len(polls),
        }
    return result


def one_run(build, run, idle_seconds, children, popup_keep=None):
    session = None
    try:
        session = Session(build, children)
        figures = {"app_first": run % 2 == 0, "load": os.getloadavg()[0]}
        order = list(IDLE_PROGRAMS) if run % 2 == 0 else list(reversed(IDLE_PROGRAMS))
        apps = {}
        for name in order:
            args = [BASELINE_POLL_URL] if name == "polling" else []
            child, service, registered = session.start_item(name, IDLE_PROGRAMS[name], args)
            if name == "app":
                title = session.first_title(service, 60)
                # The first title ("...") can come before the stand-in has logged the poll.
                polls = []
                for _ in range(600):
                    polls = session.requests()
                    if polls or title is None:
                        break
                    time.sleep(0.1)
                if title is None:
                    raise RuntimeError("the companion showed no title")
                if not polls:
                    raise RuntimeError("the stand-in saw no poll of the companion")
                figures["app_startup_ms"] = (polls[0]["time"] - child.started) * 1000
                figures["app_ready"] = title
            else:
                figures[f"{name}_startup_ms"] = (registered - child.started) * 1000
                figures[f"{name}_ready"] = registered
            apps[name] = child
        ready = max(figures[f"{name}_ready"] for name in apps)
        time.sleep(max(0.0, ready + 10 - time.time()))
        for name, child in apps.items():
            figures[f"{name}_pss"] = tree_pss_mib(child.pid)
            figures[f"{name}_maps"] = tree_pss_by_mapping(child.pid)
        idle = idle_window(apps, idle_seconds, session)
        for name in apps:
            for key, value in idle[name].items():
                figures[f"{name}_{key}"] = value
            if apps[name].proc.poll() is not None:
                raise RuntimeError(f"{name} ended during the run")
        if popup_keep is not None:
            # The tray baselines stay: the app's share of the libraries they use with it
            # must not change between its idle and its after-the-helper readings.
            figures.update(popup_phase(session, apps["app"], popup_keep, figures["app_first"]))
        return figures
    finally:
        children.stop_all()
        if session:
            session.close()


def webview_environment(env):
    """`env` as the dashboard helper gives it to itself before its web engine starts."""
    env = dict(env)
    if os.geteuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    if not any(n.startswith("renderD") for n in (os.listdir("/dev/dri")
                                                 if os.path.isdir("/dev/dri") else [])):
        env.setdefault("QT_XCB_GL_INTEGRATION", "none")
        env.setdefault("QT_QUICK_BACKEND", "software")
        flags = env.get("QTWEBENGINE_CHROMIUM_FLAGS", "")
        if "--disable-gpu" not in flags:
            env["QTWEBENGINE_CHROMIUM_FLAGS"] = (flags + " --disable-gpu").strip()
    return env


def webview_cold_open(session):
    """baseline-webview from process start to the Overview request; then its tree PSS."""
    before = len(session.requests(OVERVIEW_PATH))
    child = session.children.start("baseline-webview", [
        session.tool("bench/baseline/baseline-webview"), OVERVIEW_URL],
        webview_environment(session.env))
    deadline = child.started + 120
    while time.time() < deadline:
        requests = session.requests(OVERVIEW_PATH)
        if len(requests) > before:
            break
        if child.proc.poll() is not None:
            raise RuntimeError("baseline-webview ended before it asked for the page")
        time.sleep(0.01)
    else:
        raise RuntimeError("baseline-webview asked for no Overview page")
    figures = {"webview_cold_ms": (requests[before]["time"] - child.started) * 1000}
    time.sleep(3)
    figures["webview_pss"] = tree_pss_mib(child.pid)
    child.stop()
    time.sleep(2)
    return figures


def popup_phase(session, app, keep_seconds, app_first):
    """Clicks the app's tray item and reads its tree around the dashboard helper's life;
    baseline-webview's cold open comes before the first click or after the helper quit."""
    def widget_requests():
        return len(session.requests(OVERVIEW_PATH))

    def open_ms():
        before = widget_requests()
        clicked = time.time()
        session.panel.proc.stdin.write(f"click 1200 10 {app.item}\n")
        session.panel.proc.stdin.flush()
        deadline = clicked + 120
        while time.time() < deadline:
            requests = session.requests(OVERVIEW_PATH)
            if len(requests) > before:
                return (requests[-1]["time"] - clicked) * 1000
            time.sleep(0.01)
        raise RuntimeError("the popup asked for no Overview page")

    def escape():
        subprocess.run(["xdotool", "key", "Escape"], env=session.env, check=False)

    figures = {} if app_first else webview_cold_open(session)
    figures["popup_cold_ms"] = open_ms()
    time.sleep(3)
    figures["popup_open_pss"] = tree_pss_mib(app.pid)
    escape()
    time.sleep(10)
    figures["popup_hidden_pss"] = tree_pss_mib(app.pid)
    figures["popup_warm_ms"] = open_ms()
    time.sleep(1)
    escape()
    hidden = time.time()
    while len(process_tree(app.pid)) > 1 and time.time() < hidden + keep_seconds + 60:
        time.sleep(1)
    if len(process_tree(app.pid)) > 1:
        raise RuntimeError("the dashboard helper did not quit")
    figures["popup_quit_after_s"] = time.time() - hidden
    time.sleep(2)
    figures["popup_after_quit_pss"] = tree_pss_mib(app.pid)
    figures["popup_after_quit_maps"] = tree_pss_by_mapping(app.pid)
    if app_first:
        figures.update(webview_cold_open(session))
    return figures


# ---------------------------------------------------------------- report

def median(runs, key):
    values = [r[key] for r in runs if key in r]
    return statistics.median(values) if values else float("nan")


def ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "n/a"


def verdict(ok):
    return "met" if ok else "MISSED"


def mapping_gap(runs, key, reference, at_least_kib=64):
    """Median over runs of the PSS a mapping has in `key` beyond `reference` (KiB), largest
    first; mappings within `at_least_kib` either way are left out."""
    pairs = [(r[key], r[reference]) for r in runs if key in r and reference in r]
    names = {n for a, b in pairs for n in (*a, *b)}
    gaps = {n: statistics.median(a.get(n, 0) - b.get(n, 0) for a, b in pairs) for n in names}
    return sorted(((g, n) for n, g in gaps.items() if abs(g) >= at_least_kib), reverse=True)


def print_table(header, rows):
    print("| " + " | ".join(header) + " | |")
    print("|---|" + "---:|" * (len(header) - 2) + "---|---|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    print()


def print_gap(title, gap):
    print(title)
    for kib, name in gap:
        print(f"  {kib / 1024:+6.2f} MiB  {name}")
    print(f"  {sum(k for k, _ in gap) / 1024:+6.2f} MiB  in all of the above")


def report(runs, idle_seconds):
    value = lambda name, k: median(runs, f"{name}_{k}")
    app, base, poll = (lambda k: value("app", k)), (lambda k: value("baseline", k)), \
        (lambda k: value("polling", k))
    rows = []

    def row(label, k, fmt, target="", verdict_text="", ratios=True):
        rows.append((label, fmt.format(app(k)), fmt.format(base(k)), fmt.format(poll(k)),
                     ratio(app(k), base(k)) if ratios else "",
                     ratio(app(k), poll(k)) if ratios else "", target, verdict_text))
    row("PSS of the process tree 10 s after the first title (MiB)", "pss", "{:.1f}",
        "≤ 1.25 × bare; ≤ 1.10 × polling",
        f"bare {verdict(app('pss') <= 1.25 * base('pss'))}, "
        f"polling {verdict(app('pss') <= 1.10 * poll('pss'))}")
    row(f"CPU time over {idle_seconds} s idle, utime+stime (ms, 10 ms ticks)", "cpu_ms", "{:.0f}")
    cpu_limit = 1.5 * base("run_ms") + app("poll_cpu_ms")
    row(f"CPU time over {idle_seconds} s idle, schedstat of all threads (ms)", "run_ms", "{:.1f}",
        f"≤ 1.5 × bare + polls ({app('poll_cpu_ms'):.1f} ms) = {cpu_limit:.1f} ms",
        verdict(app("run_ms") <= cpu_limit))
    row(f"wake-ups over {idle_seconds} s idle (context switches, all threads)", "wakeups",
        "{:.0f}")
    row("seconds with a wake-up outside the polls' windows", "other_seconds", "{:.0f}",
        "no periodic wake-up besides poll and refresh timeout",
        verdict(app("other_seconds") <= max(2, base("other_seconds"))), ratios=False)
    row("start-up: app to first poll / baselines to icon registered (ms)", "startup_ms",
        "{:.0f}", "≤ 1.5 × bare", verdict(app("startup_ms") <= 1.5 * base("startup_ms")))
    print(f"Medians of {len(runs)} runs, "
          f"{time.strftime('%Y-%m-%d %H:%M %Z')}, {os.cpu_count()} CPUs")
    print()
    print_table(("figure", "app", "bare tray", "polling tray", "app ÷ bare", "app ÷ polling",
                 "target"), rows)
    print(f"polls in the idle window (median): app {app('polls'):.0f}, polling tray "
          f"{poll('polls'):.0f}; a poll's window: {POLL_BEFORE:.0f} s before to "
          f"{POLL_AFTER:.0f} s after its request")
    threads = sorted({t for r in runs for t in r.get("app_other_threads", [])})
    print("app threads awake outside the polls' windows: " + (", ".join(threads) or "none"))
    for r in runs:
        print(f"  run: app awake at s {r.get('app_other_times')}, "
              f"bare tray at s {r.get('baseline_other_times')}, "
              f"polling tray at s {r.get('polling_other_times')}, polls {r.get('app_polls')}")
    print()
    print_gap("PSS the app has beyond the polling tray 10 s after its first title, by mapping "
              "(median of the runs' differences):", mapping_gap(runs, "app_maps", "polling_maps"))

    if not any("popup_cold_ms" in r for r in runs):
        return
    idle = app("pss")
    cold, web = median(runs, "popup_cold_ms"), median(runs, "webview_cold_ms")
    warm = median(runs, "popup_warm_ms")
    rows = [("cold open: app click / baseline-webview start to the Overview request (ms)",
             f"{cold:.0f}", f"{web:.0f}", ratio(cold, web), "≤ 1.3", verdict(cold <= 1.3 * web)),
            ("warm open: click to the Overview request, helper running (ms)", f"{warm:.0f}",
             "", "", "≤ 50 ms", verdict(warm <= 50)),
            ("PSS of the app tree, idle before any click (MiB)", f"{idle:.1f}", "", "1.00",
             "", "")]
    opened = median(runs, "popup_open_pss")
    rows.append(("PSS of the app tree, popup open / baseline-webview tree, page shown (MiB)",
                 f"{opened:.1f}", f"{median(runs, 'webview_pss'):.1f}",
                 ratio(opened, median(runs, "webview_pss")), "reported", ""))
    for key, label in (("popup_hidden_pss", "10 s after hiding"),
                       ("popup_after_quit_pss", "after the helper quit")):
        v = median(runs, key)
        last = key == "popup_after_quit_pss"
        rows.append((f"PSS of the app tree, {label} (MiB; ratio to idle)", f"{v:.1f}", "",
                     ratio(v, idle), "≤ 1.10 × idle" if last else "reported",
                     verdict(v <= 1.10 * idle) if last else ""))
    print()
    print_table(("popup", "app", "baseline-webview", "ratio", "target"), rows)
    print(f"the helper quit {median(runs, 'popup_quit_after_s'):.0f} s after hiding (median)")
    for r in runs:
        first = "app first" if r.get("app_first") else "baseline-webview first"
        print(f"  run ({first}, load {r.get('load', 0):.1f}): cold open app {r.get('popup_cold_ms', 0):.0f} ms, "
              f"baseline-webview {r.get('webview_cold_ms', 0):.0f} ms; "
              f"warm {r.get('popup_warm_ms', 0):.0f} ms")
    print()
    print_gap("PSS the app has after the helper quit beyond its idle before the first click, by "
              "mapping (median of the runs' differences):",
              mapping_gap(runs, "popup_after_quit_maps", "app_maps"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("build", help="the build directory")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=int, default=120, help="seconds of the idle window")
    parser.add_argument("--json", help="also write every run's figures to this file")
    parser.add_argument("--no-popup", action="store_true",
                        help="skip the popup phase (its helper takes 3 minutes to quit)")
    args = parser.parse_args()
    for port in (STANDIN_PORT, WIDGET_PORT):
        if not port_free(port):
            sys.exit(f"bench: port {port} is taken; is another bench running?")

    children = Children()

    def interrupted(signum, _frame):
        raise KeyboardInterrupt(signum)
    # Also SIGINT: started in the background, a script inherits it ignored.
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, interrupted)
    runs = []
    load_before = os.getloadavg()
    try:
        for run in range(args.runs):
            log(f"bench: run {run + 1}/{args.runs}: app and the tray baselines, {args.idle} s idle")
            runs.append(one_run(os.path.abspath(args.build), run, args.idle, children,
                                None if args.no_popup else POPUP_KEEP_SECONDS))
            if args.json:  # after every run, so that a late failure keeps the others
                with open(args.json, "w") as f:
                    json.dump({"runs": runs}, f, indent=1)
    except KeyboardInterrupt:
        log("bench: interrupted; everything it started is stopped")
        return 130
    except RuntimeError as e:
        log(f"bench: {e}")
        return 1
    finally:
        children.stop_all()
    report(runs, args.idle)
    print()
    print("load average (1, 5, 15 min) before the runs: "
          + ", ".join(f"{v:.2f}" for v in load_before)
          + "; after: " + ", ".join(f"{v:.2f}" for v in os.getloadavg()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
