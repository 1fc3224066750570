#!/usr/bin/env python3
"""pmsnmp discover and status with several hosts, run as processes against a
simulated fleet: snmpsim serving each printer recording on an address of its
own (127.0.0.2, 127.0.0.3, ...), a relay per recording that hears the
loopback broadcast (127.255.255.255) and answers from the recording's
address, a test agent that is no printer, and an address that never answers.
"""

import json
import os
import resource
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import unittest

from test_pmsnmp_cli import (PRINTER_DATA, RECORDINGS, TEST_AGENT, TOOL, AgentProcess, free_udp_port,
                             run_tool, stop_process)

LOOPBACK_BROADCAST = "127.255.255.255"
# snmpsim's transport identifier of its i-th UDP/IPv4 endpoint.
TRANSPORT_ID = "1.3.6.1.6.1.1.%d"


def host(index):
    return "127.0.0.%d" % (index + 2)


class BroadcastRelay(threading.Thread):
    """Hands each broadcast to the agent at address:port and its answer back
    from address, as if the agent itself had heard the broadcast."""

    def __init__(self, addresses, port):
        super().__init__(daemon=True)
        self.port = port
        self.pairs = []
        for address in addresses:
            hear = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            hear.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            hear.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEPORT, 1)
            hear.bind((LOOPBACK_BROADCAST, port))
            speak = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            speak.bind((address, 0))
            self.pairs.append({"hear": hear, "speak": speak, "agent": (address, port), "client": None})
        self.stopping = threading.Event()

    def run(self):
        sockets = {s: pair for pair in self.pairs for s in (pair["hear"], pair["speak"])}
        while not self.stopping.is_set():
            readable, _, _ = select.select(list(sockets), [], [], 0.2)
            for sock in readable:
                pair = sockets[sock]
                data, peer = sock.recvfrom(65535)
                if sock is pair["hear"]:
                    pair["client"] = peer
                    pair["speak"].sendto(data, pair["agent"])
                elif pair["client"] is not None:
                    pair["speak"].sendto(data, pair["client"])

    def stop(self):
        self.stopping.set()
        self.join()
        for pair in self.pairs:
            pair["hear"].close()
            pair["speak"].close()


class PrinterFleet(AgentProcess):
    @classmethod
    def setUpClass(cls):
        cls.port = free_udp_port()
        cls.v4 = "%s:%d" % (host(len(RECORDINGS) - 1), cls.port)
        cls.folder = tempfile.mkdtemp(prefix="pmsnmp-fleet-")
        data = os.path.join(cls.folder, "data", "public")
        os.makedirs(data)
        os.mkdir(os.path.join(cls.folder, "cache"))
        for i, name in enumerate(RECORDINGS):
            shutil.copy(os.path.join(PRINTER_DATA, name + ".snmprec"),
                        os.path.join(data, TRANSPORT_ID % i + ".snmprec"))
        user_args = []
        if os.geteuid() == 0:
            # snmpsimd will not run as root.
            subprocess.run(["chown", "-R", "nobody:nogroup", cls.folder], check=True)
            os.chmod(cls.folder, 0o755)
            user_args = ["--process-user=nobody", "--process-group=nogroup"]
        endpoints = ["--agent-udpv4-endpoint=%s:%d" % (host(i), cls.port) for i in range(len(RECORDINGS))]
        # --v2c-arch: one community, the recording chosen by the endpoint.
        cls.start_agent(
            ["snmpsimd", "--v2c-arch", "--data-dir=" + os.path.join(cls.folder, "data"),
             "--cache-dir=" + os.path.join(cls.folder, "cache"), *endpoints,
             "--logging-method=file:" + os.path.join(cls.folder, "snmpsimd.log"), *user_args],
            "public", "snmpsimd")
        cls.relay = BroadcastRelay([host(i) for i in range(len(RECORDINGS))], cls.port)
        cls.relay.start()
        # An agent that is no printer: it hears the broadcast itself.
        cls.other = subprocess.Popen(
            [sys.executable, TEST_AGENT, "--bind", LOOPBACK_BROADCAST, "--port", str(cls.port), "--reuse",
             "--scenario", cls.write_scenario(), "--lifetime", "300"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        cls.other.stdout.readline()
        # Never answers: bound, never read.
        cls.silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        cls.silent.bind(("127.0.0.9", cls.port))

    @classmethod
    def write_scenario(cls):
        path = os.path.join(cls.folder, "other.json")
        with open(path, "w") as f:
            json.dump({"table": {"1.3.6.1.2.1.1.1.0": ["octets", "file server"],
                                 "1.3.6.1.2.1.1.2.0": ["oid", "1.3.6.1.4.1.8072.3.2.10"],
                                 "1.3.6.1.2.1.1.5.0": ["octets", "fs1"],
                                 "1.3.6.1.2.1.25.3.2.1.2.1": ["oid", "1.3.6.1.2.1.25.3.1.3"]},
                       "answer_from": "127.0.0.8"}, f)
        return path

    @classmethod
    def tearDownClass(cls):
        cls.relay.stop()
        stop_process(cls.other)
        cls.silent.close()
        super().tearDownClass()

    def discover(self, *options):
        return run_tool("discover", "-t", "700", "-r", "0", *options, "%s:%d" % (LOOPBACK_BROADCAST, self.port))

    def test_discover_finds_every_agent_sorted_by_address(self):
        for version in ("1", "2c"):
            code, out, err, _ = self.discover("-v", version, "--json")
            self.assertEqual(code, 0, err)
            agents = json.loads(out)
            self.assertEqual([(a["address"], a["printer"]) for a in agents],
                             [(host(i), True) for i in range(len(RECORDINGS))] + [("127.0.0.8", False)])
            self.assertTrue(agents[0]["description"].startswith("Brother NC-8300h"))
            # No Host Resources at all: known by its Printer MIB objects.
            self.assertTrue(agents[4]["description"].startswith("Xerox AltaLink"))
            self.assertEqual(agents[5]["name"], "fs1")

    def test_discover_printers_only_as_text(self):
        code, out, err, _ = self.discover("--printers")
        self.assertEqual(code, 0, err)
        lines = out.splitlines()
        self.assertEqual([line.split()[:2] for line in lines],
                         [[host(i), "printer"] for i in range(len(RECORDINGS))])
        self.assertIn("SHARP MX-3570N", lines[3])

    def test_status_summary_in_the_order_given_and_a_silent_host_fails_alone(self):
        hosts = ["%s:%d" % (host(i), self.port) for i in reversed(range(len(RECORDINGS)))]
        silent = "127.0.0.9:%d" % self.port
        code, out, err, elapsed = run_tool("status", "--summary", "-t", "500", "-r", "0", silent, *hosts)
        self.assertEqual(code, 1, err)
        lines = out.splitlines()
        self.assertEqual([line.split()[0] for line in lines], [silent] + hosts)
        self.assertIn("failed: no answer", lines[0])
        self.assertIn("pages=121104", lines[2])  # sharp
        code, out, err, _ = run_tool("status", "--summary", "--json", "--parallel", "2", *hosts)
        self.assertEqual(code, 0, err)
        summaries = json.loads(out)
        self.assertEqual([s["host"] for s in summaries], hosts)
        self.assertEqual(summaries[1]["page_count"], 121104)
        self.assertIsNotNone(summaries[1]["lowest_supply"]["percent"])

    def test_low_descriptor_limit_still_reports_every_printer(self):
        hosts = ["%s:%d" % (host(i % len(RECORDINGS)), self.port) for i in range(60)]
        done = subprocess.run(
            [TOOL, "status", "--summary", "--parallel", "64", "-t", "3000", *hosts],
            capture_output=True, text=True, timeout=120,
            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (40, 40)))
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual([line.split()[0] for line in done.stdout.splitlines()], hosts)


if __name__ == "__main__":
    unittest.main(verbosity=2)
