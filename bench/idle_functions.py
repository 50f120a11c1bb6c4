#!/usr/bin/env python3
"""Lists the functions of the companion's executable that an idle app runs.

The app starts under callgrind in the bench's headless session (tray_bench.Session: Xvfb,
a private bus, the stand-in, the panel), with an API code stored; 10 s after its first
title, when it has registered its item, polled once, set the title and answered the panel,
callgrind's counts are dumped. Then the tray item is clicked, the popup hidden once it has
asked for its page, and the counts dumped again once the dashboard helper has quit (3
minutes later). Every function of the executable that ran by the first dump, then every
further one the popup ran, is written by its symbol name to the list the link orders the
executable's code by (src/desktop/idle-functions.txt): the idle functions come first,
together, the popup's next, and the code neither runs (the settings' and notifications'
paths, the command-line client, error handling) after them, where an app that shows only
its count and its popup never maps a page of it. scripts/idle-functions drives this.
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tray_bench  # noqa: E402

HEADER = """\
# The functions of quintrel-companion that an idle app runs: start-up, the tray item and
# its menu on the bus, a poll and its new title; then those the first popup adds. The
# link places them first, together and in this order (src/desktop/CMakeLists.txt), so
# that the pages an idle app maps of its own code are few. Made by scripts/idle-functions
# from a user's build; a name no longer in the code is ignored, and a function not listed
# here is only placed among the rest.
"""
POPUP_HEADER = "# What the first popup adds, until its helper has quit.\n"


def executed_functions(callgrind_out, binary):
    """Symbol names of `binary` that ran, from callgrind's output (names not demangled)."""
    objects, functions, ran = {}, {}, set()
    binary = os.path.realpath(binary)
    current = None
    with open(callgrind_out, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.match(r"^(c?ob)=\((\d+)\)(?: (.*))?$", line)
            if m:
                if m.group(3):
                    objects[m.group(2)] = m.group(3)
                if m.group(1) == "ob":
                    current = objects.get(m.group(2))
                continue
            m = re.match(r"^(c?fn)=\((\d+)\)(?: (.*))?$", line)
            if m:
                if m.group(3):
                    functions[m.group(2)] = m.group(3)
                if m.group(1) == "fn" and current and os.path.realpath(current) == binary:
                    ran.add(functions[m.group(2)])
    # A thunk is emitted in the section of the function it adjusts `this` for.
    for name in list(ran):
        target = re.sub(r"^_ZT(?:h|v)n?\d+_(?:n\d+_)?", "_Z", name)
        if target != name:
            ran.add(target)
    return ran


def defined_functions(binary):
    """{address: [symbol names]} of the functions `binary` defines."""
    out = subprocess.run(["nm", "--defined-only", binary], check=True, capture_output=True,
                         text=True).stdout
    at = {}
    for f in (line.split() for line in out.splitlines()):
        if len(f) == 3 and f[1] in "tTwWi":
            at.setdefault(f[0], []).append(f[2])
    return at


def with_aliases(ran, defined):
    """`ran` with every name sharing an address with one of them (a constructor's C1 and
    C2, a local alias): the section is named after one of them, callgrind after any."""
    names = set()
    for aliases in defined.values():
        if ran.intersection(aliases):
            names.update(aliases)
    return names


def dump(app):
    """Has callgrind write its counts so far (and start counting anew)."""
    subprocess.run(["callgrind_control", "--dump", str(app.pid)], check=True,
                   capture_output=True)
    time.sleep(2)


def wait_for(condition, timeout, problem):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            raise RuntimeError(problem)
        time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", help="a user's build directory (no test hooks)")
    parser.add_argument("output", help="the list to write")
    args = parser.parse_args()
    binary = os.path.join(args.build, tray_bench.IDLE_PROGRAMS["app"])
    work = tempfile.mkdtemp(prefix="quintrel-idle-functions-")
    profile = os.path.join(work, "callgrind.out")
    children = tray_bench.Children()
    session = tray_bench.Session(args.build, children)
    try:
        from_line = len(session.panel.lines)
        app = children.start("app", ["valgrind", "--tool=callgrind", "--demangle=no",
                                     f"--callgrind-out-file={profile}", binary], session.env)
        index = session.panel.wait_line(lambda l: l.startswith("registered "), 300, from_line)
        if index is None:
            raise RuntimeError("the app never registered a tray item")
        service = session.panel.lines[index][1].split()[1].split("/")[0]
        if session.first_title(service, 300) is None:
            raise RuntimeError("the app showed no title")
        time.sleep(10)
        dump(app)
        requests = len(session.requests(tray_bench.OVERVIEW_PATH))
        item = session.panel.lines[index][1].split()[1]
        session.panel.proc.stdin.write(f"click 1200 10 {item}\n")
        session.panel.proc.stdin.flush()
        wait_for(lambda: len(session.requests(tray_bench.OVERVIEW_PATH)) > requests, 300,
                 "the popup asked for no page")
        time.sleep(3)
        subprocess.run(["xdotool", "key", "Escape"], env=session.env, check=False)
        wait_for(lambda: len(tray_bench.process_tree(app.pid)) == 1,
                 tray_bench.POPUP_KEEP_SECONDS + 300, "the dashboard helper did not quit")
        time.sleep(2)
        # Dumped before the app quits, so that what it runs then stays out of the list.
        dump(app)
        os.killpg(app.pid, signal.SIGTERM)
        app.proc.wait(timeout=60)
    finally:
        children.stop_all()
        session.close()
    dumps = sorted((p for p in os.listdir(work) if p.startswith("callgrind.out.")),
                   key=lambda p: int(p.rsplit(".", 1)[1]))
    if len(dumps) < 2:
        raise RuntimeError("callgrind wrote fewer than two dumps")
    defined = defined_functions(binary)
    idle = with_aliases(executed_functions(os.path.join(work, dumps[0]), binary), defined)
    popup = with_aliases(executed_functions(os.path.join(work, dumps[1]), binary),
                         defined) - idle
    with open(args.output, "w") as f:
        f.write(HEADER)
        f.writelines(name + "\n" for name in sorted(idle))
        f.write(POPUP_HEADER)
        f.writelines(name + "\n" for name in sorted(popup))
    print(f"{len(idle)} idle and {len(popup)} popup functions written to {args.output}")


if __name__ == "__main__":
    main()
