#!/usr/bin/env python3
"""pmsnmp poll, report and rules end to end: a printer (the test agent,
restarted on one port with each step's table) stepped through supply levels
and page counters, a loopback webhook receiver that is down for a while,
a printer that flaps, and a poller killed with SIGKILL."""

import http.server
import json
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from test_pmsnmp_cli import TEST_AGENT, TOOL, free_udp_port, run_tool

DAY = 86400
T0 = 1799971200  # a midnight (UTC)


def printer_table(toner, waste_full, pages):
    prt = "1.3.6.1.2.1.43."
    table = {
        "1.3.6.1.2.1.1.1.0": ["octets", "Test printer"],
        "1.3.6.1.2.1.25.3.2.1.2.1": ["oid", "1.3.6.1.2.1.25.3.1.5"],
        prt + "10.2.1.4.1.1": ["counter32", pages],
        prt + "8.2.1.9.1.1": ["integer", 100],
        prt + "8.2.1.10.1.1": ["integer", 0],
        prt + "8.2.1.13.1.1": ["octets", "Bypass Tray"],
    }
    for row, (kind, name, left) in enumerate([(3, "Black Toner CF400A", toner),
                                              (4, "Waste Toner Box", 100 - waste_full)], 1):
        for column, value in ((4, 4 if kind == 4 else 3), (5, kind), (7, 19), (8, 100), (9, left)):
            table[prt + "11.1.1.%d.1.%d" % (column, row)] = ["integer", value]
        table[prt + "11.1.1.6.1.%d" % row] = ["octets", name]
    return table


class Receiver(http.server.BaseHTTPRequestHandler):
    events = []
    down = False

    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        if Receiver.down:
            self.send_response(503)
        else:
            Receiver.events.append(json.loads(body))
            self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class AlertsEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if run_tool("poll", "--help")[0] != 0:
            raise unittest.SkipTest("the tool was built without serve, alerts and history")
        cls.folder = tempfile.mkdtemp(prefix="pmsnmp-alerts-")
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Receiver)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.port = free_udp_port()
        cls.host = "127.0.0.1:%d" % cls.port
        cls.history = os.path.join(cls.folder, "history.db")
        cls.config = os.path.join(cls.folder, "fleet.yaml")
        with open(cls.config, "w") as f:
            f.write("alerts:\n  database: %s\n  down_after: 3\n"
                    "  webhook: {url: 'http://127.0.0.1:%d/hook', timeout_ms: 2000, max_backoff_s: 1}\n"
                    "history:\n  database: %s\n"
                    % (os.path.join(cls.folder, "events.db"), cls.server.server_address[1], cls.history))

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def start_printer(self, toner, waste_full, pages):
        scenario = os.path.join(self.folder, "scenario.json")
        with open(scenario, "w") as f:
            json.dump({"table": printer_table(toner, waste_full, pages)}, f)
        agent = subprocess.Popen([sys.executable, TEST_AGENT, "--scenario", scenario,
                                  "--port", str(self.port), "--lifetime", "120"],
                                 stdout=subprocess.PIPE, text=True)
        self.assertTrue(agent.stdout.readline().startswith("PORT"))
        agent.stdout.close()
        return agent

    def poll(self, day, state=None, deliver="5000", *extra):
        agent = self.start_printer(*state) if state else None
        try:
            return run_tool("poll", "--config", self.config, "--time", str(T0 + day * DAY), "-t", "300",
                            "-r", "0", "--deliver", deliver, *extra, self.host)
        finally:
            if agent:
                agent.terminate()
                agent.wait()

    def test_events_history_and_restart(self):
        self.poll(0, (30, 50, 1000))
        self.poll(1, (12, 96, 1500))
        Receiver.down = True
        code, out, _, _ = self.poll(2, (8, 98, 300), "0")
        self.assertEqual(code, 1)  # the receiver refuses: events wait
        self.assertIn("supply_low", out)
        self.poll(3, (8, 98, 300), "0")
        Receiver.down = False
        for day in range(4, 15):  # replaced, then 100 -> 50 % over ten days
            code, _, err, _ = self.poll(day, (100 - 5 * (day - 4), 98, 400 if day == 4 else 400 + day))
            self.assertEqual(code, 0, err)
        for day in range(15, 21):  # down and up on alternate polls
            self.poll(day, (50, 98, 420) if day % 2 else None)
        kinds = [(e["kind"], e.get("subject")) for e in Receiver.events]
        self.assertEqual(kinds, [("nearly_full", "Waste Toner Box"), ("supply_low", "Black Toner CF400A"),
                                 ("supply_replaced", "Black Toner CF400A")])
        ids = [e["id"] for e in Receiver.events]
        self.assertEqual(ids, sorted(ids))

        code, out, _, _ = run_tool("report", "pages", "--db", self.history, "--since", str(T0),
                                   "--until", str(T0 + 4 * DAY + 1), "--period", "whole")
        self.assertRegex(out, r" 600 pages")  # 1000 -> 1500 -> 300 (reset) -> 400
        code, out, _, _ = run_tool("report", "supplies", "--db", self.history, "--at", str(T0 + 14 * DAY))
        self.assertRegex(out, r"Black Toner CF400A  50%  empty in (9\.|10\.|11\.0)")
        code, out, _, _ = run_tool("report", "orders", "--config", self.config, "--at", str(T0 + 14 * DAY))
        self.assertIn("1 x Waste Toner Box", out)

        # Killed while polling: the databases stay sound and the series goes on.
        agent = self.start_printer(50, 98, 500)
        try:
            poller = subprocess.Popen([TOOL, "poll", "--config", self.config,
                                       "--time", str(T0 + 30 * DAY), "--repeat", "100000", "--interval", "1",
                                       self.host], stdout=subprocess.DEVNULL)
            time.sleep(2)
            os.kill(poller.pid, signal.SIGKILL)
            poller.wait()
        finally:
            agent.terminate()
            agent.wait()
        with sqlite3.connect(self.history) as db:
            self.assertEqual(db.execute("PRAGMA integrity_check").fetchone()[0], "ok")
            before = db.execute("SELECT COUNT(*) FROM page_samples").fetchone()[0]
        self.poll(40, (50, 98, 510))
        with sqlite3.connect(self.history) as db:
            self.assertEqual(db.execute("SELECT COUNT(*) FROM page_samples").fetchone()[0], before + 1)
            last = db.execute("SELECT total FROM page_samples ORDER BY time DESC LIMIT 1").fetchone()[0]
        self.assertEqual(last, 600 + 14 + 6 + 80 + 10)  # 400 -> 414 -> 420 -> 500 -> 510

    def test_rules_pass_promtool(self):
        promtool = shutil.which("promtool")
        if not promtool:
            self.skipTest("promtool is not installed")
        code, out, _, _ = run_tool("rules", "--config", self.config)
        self.assertEqual(code, 0)
        rules = os.path.join(self.folder, "printers.rules.yml")
        with open(rules, "w") as f:
            f.write(out)
        checked = subprocess.run([promtool, "check", "rules", rules], capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)


if __name__ == "__main__":
    unittest.main()
