#!/usr/bin/env python3
"""Runs one command for a test program that cannot wait on it itself.

A Windows test program under Wine can start a Linux program but gets no
handle it can wait on and no pipe to its output. It starts this script
instead; the script runs the command with its output in a file, ends it by
its PID when the stop file appears or the lifetime runs out (so nothing
outlives the test, even a crashed one), and writes the exit status to the
status file when the command has ended.

  supervise.py --status F --stop F [--out F] [--err F] [--lifetime S]
               [--env NAME=VALUE ...] -- command [argument ...]
"""
import argparse
import os
import signal
import subprocess
import sys
import time

POLL_S = 0.02
TERM_GRACE_S = 2.0
SIGNALLED_BASE = 128  # a shell's exit code for a command ended by a signal


def fill_standard_descriptors():
    # Wine passes no standard handles to a Linux program: 0, 1 and 2 are
    # closed, and the first file opened would take their place.
    for fd in (0, 1, 2):
        try:
            os.fstat(fd)
        except OSError:
            os.open(os.devnull, os.O_RDWR)


def parse(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--status", required=True)
    parser.add_argument("--stop", required=True)
    parser.add_argument("--out")
    parser.add_argument("--err")
    parser.add_argument("--lifetime", type=float, default=300.0)
    parser.add_argument("--env", action="append", default=[])
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    if args.command and args.command[0] == "--":
        args.command = args.command[1:]
    if not args.command:
        parser.error("no command")
    return args


def open_output(path):
    return open(path, "wb") if path else subprocess.DEVNULL


def write_status(path, code):
    temporary = path + ".tmp"
    with open(temporary, "w") as out:
        out.write("%d\n" % code)
    os.replace(temporary, path)


def run(args):
    env = dict(os.environ)
    for item in args.env:
        name, _, value = item.partition("=")
        env[name] = value
    try:
        child = subprocess.Popen(args.command, stdin=subprocess.DEVNULL,
                                 stdout=open_output(args.out),
                                 stderr=open_output(args.err), env=env)
    except OSError as error:
        sys.stderr.write("cannot start %s: %s\n" % (args.command[0], error))
        return 127
    # Ended itself (by a test harness's time-out): the command goes too.
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, lambda *_: open(args.stop, "a").close())
    deadline = time.monotonic() + args.lifetime
    while child.poll() is None:
        if os.path.exists(args.stop) or time.monotonic() > deadline:
            child.terminate()
            try:
                child.wait(TERM_GRACE_S)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
            break
        time.sleep(POLL_S)
    code = child.returncode
    return SIGNALLED_BASE - code if code < 0 else code


def main():
    fill_standard_descriptors()
    args = parse(sys.argv[1:])
    write_status(args.status, run(args))


if __name__ == "__main__":
    main()
