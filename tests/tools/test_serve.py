#!/usr/bin/env python3
"""pmsnmp serve against a simulated fleet on loopback: snmpsim serving the
five printer recordings (the last in a process of its own, so that it can
be stopped), an address where nothing answers, a real Prometheus scraping
it, and the dashboard in headless Chromium.
"""

import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

from test_pmsnmp_cli import PRINTER_DATA, RECORDINGS, TEST_AGENT, TOOL, free_udp_port, run_tool, stop_process

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:  # Debian's package, when python3 is not Debian's own
    sys.path.append("/usr/lib/python3/dist-packages")
    from prometheus_client.parser import text_string_to_metric_families

TRANSPORT_ID = "1.3.6.1.6.1.1.%d"
SILENT = "127.0.0.7"
# Escapes a label value must survive: quote, backslash, line feed.
ROOM = 'a"b\\c\nd'
INTERVAL = 3  # seconds; a failing poll takes at most one (3 tries of 1 s)


def host(index):
    return "127.0.0.%d" % (index + 2)


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def fetch(url):
    with urllib.request.urlopen(url, timeout=10) as answer:
        return answer.read().decode("utf-8")


def wait_for(what, check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = check()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def samples(text, name):
    return [s for f in text_string_to_metric_families(text) for s in f.samples if s.name == name]


def start_snmpsim(folder, recordings, first, port):
    """snmpsim serving recordings on host(first), host(first + 1), ..."""
    data = os.path.join(folder, "data")
    os.makedirs(os.path.join(data, "public"))
    os.mkdir(os.path.join(folder, "cache"))
    for i, name in enumerate(recordings):
        shutil.copy(os.path.join(PRINTER_DATA, name + ".snmprec"),
                    os.path.join(data, "public", TRANSPORT_ID % i + ".snmprec"))
    user = []
    if os.geteuid() == 0:  # snmpsimd will not run as root
        subprocess.run(["chown", "-R", "nobody:nogroup", folder], check=True)
        user = ["--process-user=nobody", "--process-group=nogroup"]
    endpoints = ["--agent-udpv4-endpoint=%s:%d" % (host(first + i), port) for i in range(len(recordings))]
    return subprocess.Popen(["snmpsimd", "--v2c-arch", "--data-dir=" + data,
                             "--cache-dir=" + os.path.join(folder, "cache"), *endpoints,
                             "--logging-method=null", *user],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def answering(endpoint):
    return run_tool("get", "-v", "2c", "-t", "300", "-r", "0", endpoint, "1.3.6.1.2.1.1.1.0")[0] == 0


def expected_state(supply):
    """A waste box fills up: full is bad for it, empty for the rest."""
    percent, receptacle = supply["percent"], supply["receptacle"]
    if supply["state"] == "some_remaining":
        return "some_remaining"
    if supply["state"] == "raw" and supply["level"] == 0:
        return "full" if receptacle else "empty"
    if percent is None:
        return "unknown"
    if receptacle:
        return "full" if percent >= 100 else "nearly_full" if percent >= 90 else "ok"
    return "empty" if percent == 0 else "low" if percent <= 10 else "ok"


class Serve:
    """One pmsnmp serve process on a port of the system's choosing."""

    def __init__(self, folder, name, config, *options):
        self.config = os.path.join(folder, name + ".yaml")
        with open(self.config, "w") as f:
            f.write(config)
        self.log = os.path.join(folder, name + ".log")
        with open(self.log, "w") as log:
            self.process = subprocess.Popen([TOOL, "serve", "--config", self.config, "--listen", "127.0.0.1:0",
                                             *options], stderr=log)
        self.url = wait_for("serve to listen", lambda: re.search(r"listening on (http://\S+/)", self.log_text()), 20)[1]

    def log_text(self):
        with open(self.log) as log:
            return log.read()

    def get(self, path):
        return fetch(self.url + path.lstrip("/"))

    def stop(self):
        stop_process(self.process)
        return self.process.returncode


@unittest.skipUnless(os.path.isdir(PRINTER_DATA), "no printer recordings")
class ServeFleet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if run_tool("serve", "--help")[0] != 0:
            raise unittest.SkipTest("pmsnmp built without serve")
        cls.folder = tempfile.mkdtemp(prefix="pmsnmp-serve-")
        os.chmod(cls.folder, 0o755)  # snmpsimd runs as nobody
        cls.port = free_udp_port()
        cls.hosts = ["%s:%d" % (host(i), cls.port) for i in range(len(RECORDINGS))]
        cls.silent = "%s:%d" % (SILENT, cls.port)
        cls.fleet = start_snmpsim(os.path.join(cls.folder, "fleet"), RECORDINGS[:-1], 0, cls.port)
        cls.last = cls.start_last()
        printers = "".join('  - host: "%s"\n    labels: {room: %s}\n' % (h, json.dumps(ROOM))
                           for h in cls.hosts + [cls.silent])
        cls.serve = Serve(cls.folder, "serve", "interval: %ds\ndefaults: {version: 2c, community: public, "
                          "timeout: 1s, retries: 2}" % INTERVAL + "\nprinters:\n" + printers)
        wait_for("every printer polled", lambda: sum(p["up"] for p in cls.api()) == 5, 30)

    @classmethod
    def start_last(cls):
        folder = os.path.join(cls.folder, "last")
        shutil.rmtree(folder, ignore_errors=True)
        process = start_snmpsim(folder, RECORDINGS[-1:], len(RECORDINGS) - 1, cls.port)
        wait_for("snmpsim", lambda: answering(cls.hosts[-1]), 30)
        return process

    @classmethod
    def tearDownClass(cls):
        code = cls.serve.stop()
        stop_process(cls.fleet)
        stop_process(cls.last)
        shutil.rmtree(cls.folder, ignore_errors=True)
        assert code == 0, "serve did not end cleanly on SIGTERM: %d" % code

    @classmethod
    def api(cls):
        return json.loads(cls.serve.get("/api/printers"))

    def test_dashboard_in_chromium_lowest_supply_first(self):
        html = self.serve.get("/")
        self.assertEqual(re.findall(r"(?:https?:)?//[\w.-]+", html), [])  # nothing loaded from anywhere
        shot = os.path.join(os.getcwd(), "serve_dashboard.png")
        dom = subprocess.run(
            ["nice", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1", "--user-data-dir=" +
             os.path.join(self.folder, "chromium"), "--dump-dom", self.serve.url],
            capture_output=True, text=True, timeout=60).stdout
        subprocess.run(["nice", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--window-size=1280,640",
                        "--user-data-dir=" + os.path.join(self.folder, "chromium"), "--screenshot=" + shot,
                        self.serve.url], capture_output=True, timeout=60)
        rows = re.findall(r'<tr class="printer (up|down)" data-host="([^"]+)"', dom)
        lowest = {}
        for printer in self.api():
            levels = [s["percent"] for s in (printer["status"] or {}).get("supplies", [])
                      if s["percent"] is not None and not s["receptacle"]]
            lowest[printer["host"]] = min(levels) if levels else 101
        self.assertEqual([h for _, h in rows], sorted(lowest, key=lambda h: (lowest[h], h)))
        self.assertEqual([h for state, h in rows if state == "down"], [self.silent])
        self.assertTrue(os.path.getsize(shot) > 0)

    def test_metrics_agree_with_status(self):
        text = self.serve.get("/metrics")
        check = subprocess.run(["promtool", "check", "metrics"], input=text, capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        up = {s.labels["host"]: s.value for s in samples(text, "printer_up")}
        self.assertEqual(up, dict({h: 1 for h in self.hosts}, **{self.silent: 0}))
        self.assertTrue(all(s.labels["room"] == ROOM for s in samples(text, "printer_up")))
        levels = {(s.labels["host"], s.labels["index"]): s.value for s in samples(text, "printer_supply_level_percent")}
        states = {(s.labels["host"], s.labels["index"]): s.labels["state"] for s in samples(text, "printer_supply_state")}
        expected_levels, expected_states = {}, {}
        for h in self.hosts:
            code, out, err, _ = run_tool("status", "--json", "-v", "2c", h)
            self.assertEqual(code, 0, err)
            for supply in json.loads(out)["supplies"]:
                key = (h, supply["index"])
                if supply["percent"] is not None:
                    expected_levels[key] = supply["percent"]
                expected_states[key] = expected_state(supply)
        self.assertEqual(levels, expected_levels)
        self.assertEqual(states, expected_states)
        self.assertEqual(states[(self.hosts[0], "1.1")], "some_remaining")  # brother's -3
        self.assertNotIn((self.hosts[0], "1.1"), levels)

    def test_prometheus_scrapes_and_keeps_the_shard(self):
        generated = ["127.1.%d.%d:%d" % (i // 200, i % 200 + 1, self.port) for i in range(30)]
        shard = Serve(self.folder, "shard", "interval: 60s\ndefaults: {timeout: 100ms, retries: 0}\nprinters:\n" +
                      "".join("  - host: %s\n" % h for h in generated), "--shard", "1/3")
        try:
            port = free_tcp_port()
            config = os.path.join(self.folder, "prometheus.yml")
            serve_address = self.serve.url.split("/")[2]
            with open(config, "w") as f:
                json.dump({"global": {"scrape_interval": "1s"}, "scrape_configs": [
                    {"job_name": "serve", "static_configs": [{"targets": [serve_address]}]},
                    {"job_name": "shard", "metrics_path": "/probe", "scrape_interval": "1h",
                     "static_configs": [{"targets": generated}],
                     "relabel_configs": [
                         {"source_labels": ["__address__"], "modulus": 3, "target_label": "__tmp_hash",
                          "action": "hashmod"},
                         {"source_labels": ["__tmp_hash"], "regex": "1", "action": "keep"},
                         {"source_labels": ["__address__"], "target_label": "__param_target"},
                         {"source_labels": ["__param_target"], "target_label": "instance"},
                         {"target_label": "__address__", "replacement": shard.url.split("/")[2]}]}]}, f)
            prometheus = subprocess.Popen(
                ["prometheus", "--config.file=" + config, "--storage.tsdb.path=" + os.path.join(self.folder, "tsdb"),
                 "--web.listen-address=127.0.0.1:%d" % port], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                api = "http://127.0.0.1:%d/api/v1/" % port
                query = api + "query?query=printer_supply_level_percent"
                found = wait_for("supply series in Prometheus", lambda: self.query(query), 40)
                with_levels = {s.labels["host"] for s in samples(self.serve.get("/metrics"), "printer_supply_level_percent")}
                self.assertEqual({s["metric"]["host"] for s in found}, with_levels)
                targets = json.loads(fetch(api + "targets?state=active"))["data"]["activeTargets"]
                kept = {t["labels"]["instance"] for t in targets if t["labels"]["job"] == "shard"}
                self.assertEqual(kept, {p["host"] for p in json.loads(shard.get("/api/printers"))})
                self.assertTrue(0 < len(kept) < len(generated))
            finally:
                stop_process(prometheus)
        finally:
            shard.stop()

    @staticmethod
    def query(url):
        try:
            return json.loads(fetch(url))["data"]["result"]
        except OSError:
            return None

    def test_names_read_again_only_when_the_printer_restarted(self):
        """Between whole reads only what changes is read: a new level shows at
        once, a new supply name only once sysUpTime went back."""
        port = free_udp_port()

        def start_printer(up_time, name, level):
            path = os.path.join(self.folder, "printer.json")
            with open(path, "w") as f:
                json.dump({"table": {"1.3.6.1.2.1.1.3.0": ["timeticks", up_time],
                                     "1.3.6.1.2.1.25.3.2.1.2.1": ["oid", "1.3.6.1.2.1.25.3.1.5"],
                                     "1.3.6.1.2.1.43.11.1.1.6.1.1": ["octets", name],
                                     "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", level]}}, f)
            agent = subprocess.Popen([sys.executable, TEST_AGENT, "--scenario", path, "--port", str(port)],
                                     stdout=subprocess.PIPE, text=True)
            self.assertEqual(agent.stdout.readline().split()[0], "PORT")
            return agent

        def supply():
            status = json.loads(serve.get("/api/printers"))[0]["status"] or {"supplies": [{}]}
            return status["supplies"][0].get("description"), status["supplies"][0].get("level")

        agent = start_printer(500000, "Black A", 50)
        serve = Serve(self.folder, "split", "interval: 1s\ndefaults: {version: 2c, timeout: 200ms, retries: 1}\n"
                      "printers: [{host: '127.0.0.1:%d'}]\n" % port)
        try:
            wait_for("the first poll", lambda: supply() == ("Black A", 50), 20)
            for up_time, name, level, shown in ((600000, "Black B", 40, "Black A"), (100, "Black C", 30, "Black C")):
                stop_process(agent)
                agent.stdout.close()
                agent = start_printer(up_time, name, level)
                wait_for("level %d" % level, lambda: supply()[1] == level, 20)
                self.assertEqual(supply()[0], shown)
        finally:
            serve.stop()
            stop_process(agent)
            agent.stdout.close()

    def test_stopped_printer_keeps_its_series_and_logs_each_change_once(self):
        last = self.hosts[-1]

        def up_and_seen():
            text = self.serve.get("/metrics")
            return ({s.labels["host"]: s.value for s in samples(text, "printer_up")}[last],
                    [s.value for s in samples(text, "printer_last_success_timestamp_seconds") if s.labels["host"] == last],
                    len([s for s in samples(text, "printer_supply_state") if s.labels["host"] == last]))

        stop_process(ServeFleet.last)
        stopped = time.monotonic()
        wait_for("printer_up 0", lambda: up_and_seen()[0] == 0, 10)
        self.assertLess(time.monotonic() - stopped, 2 * INTERVAL + 1)
        _, seen, supplies = up_and_seen()
        time.sleep(INTERVAL + 0.5)
        self.assertEqual(up_and_seen(), (0, seen, supplies))
        self.assertGreater(supplies, 0)
        ServeFleet.last = self.start_last()
        wait_for("printer_up 1", lambda: up_and_seen()[0] == 1, 8 * INTERVAL)
        lines = [line for line in self.serve.log_text().splitlines() if "printer %s " % last in line]
        self.assertEqual([line.split(last)[1].split(":")[0].strip() for line in lines],
                         ["reachable", "unreachable", "reachable"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
