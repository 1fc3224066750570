#!/usr/bin/env python3
"""The pmsnmp tool run as a user runs it, against real agents on loopback:
snmpsim serving recordings of real printers (and the demo printer), and
snmpd with the tests' own configuration.

Environment: PMSNMP_TOOL (the built tool), PMSNMP_SOURCE_DIR (the checkout),
PMSNMP_PRINTER_DATA (recordings; default ../shared/data/printers next to the
checkout). Tests that need the recordings skip when the folder is absent.
"""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE_DIR = os.environ.get(
    "PMSNMP_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
TOOL = os.environ.get("PMSNMP_TOOL", os.path.join(SOURCE_DIR, "build", "tools", "pmsnmp"))
PRINTER_DATA = os.environ.get(
    "PMSNMP_PRINTER_DATA", os.path.join(SOURCE_DIR, "..", "shared", "data", "printers"))
DEMO_RECORDING = os.path.join(SOURCE_DIR, "tools", "demo", "printer.snmprec")
SNMPD_CONF = os.path.join(SOURCE_DIR, "tests", "support", "snmpd.conf")
SNMPD_V3_CONF = os.path.join(SOURCE_DIR, "tests", "support", "snmpd_v3.conf")
# The users of snmpd_v3.conf as the tool and the Net-SNMP tools spell them.
V3_USERS = {
    "noAuthNoPriv": ["-l", "noAuthNoPriv", "-u", "pmsnoauth"],
    "MD5+DES": ["-l", "authPriv", "-u", "pmsmd5des", "-a", "MD5", "-A", "pmsmd5pass",
                "-x", "DES", "-X", "pmsdespass"],
    "SHA+AES": ["-l", "authPriv", "-u", "pmsshaaes", "-a", "SHA", "-A", "pmsshapass",
                "-x", "AES", "-X", "pmsaespass"],
    "SHA": ["-l", "authNoPriv", "-u", "pmsshaauth", "-a", "SHA", "-A", "pmsauthonly"],
}
TEST_AGENT = os.path.join(SOURCE_DIR, "tests", "support", "test_agent.py")
RECORDINGS = ["brother", "epson", "jetdirect", "sharp", "xerox"]
NET_SNMP_ENV = dict(os.environ, MIBS="", MIBDIRS="/nonexistent")


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def run_tool(*args, timeout=60):
    started = time.monotonic()
    done = subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout, done.stderr, time.monotonic() - started


def net_snmp(program, *args):
    done = subprocess.run([program, "-On", *args], capture_output=True, text=True,
                          env=NET_SNMP_ENV, timeout=60)
    return done.stdout


def assert_get_as_snmpget(test, *args):
    """Output, error report and failure of a get the same as snmpget's."""
    code, out, err, _ = run_tool("get", *args)
    peer = subprocess.run(["snmpget", "-On", *args], capture_output=True, text=True,
                          env=NET_SNMP_ENV, timeout=60)
    test.assertEqual((out, err, code != 0), (peer.stdout, peer.stderr, peer.returncode != 0), args)


def wait_until_answering(community, endpoint, process):
    for _ in range(100):
        code, _, _, _ = run_tool("get", "-t", "200", "-r", "0", "-c", community, endpoint,
                                 "1.3.6.1.2.1.1.1.0")
        if code == 0:
            return True
        if process.poll() is not None:
            return False
        time.sleep(0.2)
    return False


def stop_process(process):
    if process.poll() is None:
        os.kill(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.kill(process.pid, signal.SIGKILL)
            process.wait()


class ToolBasics(unittest.TestCase):
    """Command-line behaviour that needs no agent, or no answering one."""

    def test_help_on_every_subcommand(self):
        for command in ([], ["get"], ["walk"], ["set"], ["status"]):
            code, out, _, _ = run_tool(*command, "--help")
            self.assertEqual(code, 0, command)
            self.assertIn("Usage", out)
            if command:
                for option in ("--snmp-version", "--community", "--timeout", "--retries",
                               "--max-size", "--trace", "--json", "-u", "-X"):
                    self.assertIn(option, out, (command, option))

    def test_usage_errors_are_one_line(self):
        cases = [
            ["get", "127.0.0.1"],                       # no OID
            ["frobnicate", "127.0.0.1"],                 # no such subcommand
            ["get", "-v", "4", "127.0.0.1", "1.3.6.1"],  # no such version
            ["status", "-t", "0", "127.0.0.1"],          # time-out out of range
        ]
        for args in cases:
            code, out, err, _ = run_tool(*args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "")
            self.assertEqual(len(err.strip().splitlines()), 1, (args, err))
            self.assertTrue(err.startswith("pmsnmp: "), err)

    def test_unknown_host_text_fails_before_any_request(self):
        for host in ("no such host", "printer_1!", "1.2.3.999", "[::1", "127.0.0.1:0",
                     "127.0.0.1:70000", "[::1]x"):
            code, _, err, elapsed = run_tool("get", "-c", "public", host, "1.3.6.1.2.1.1.1.0")
            self.assertNotEqual(code, 0, host)
            self.assertEqual(len(err.strip().splitlines()), 1, err)
            self.assertRegex(err, "unknown host|bad port", host)
            self.assertLess(elapsed, 5)

    def test_bad_oid(self):
        port = free_udp_port()
        for oid in ("1.3..6", "iso.3.6", "1", "1.3.6.x", "1.3.6.99999999999"):
            code, out, err, _ = run_tool("get", "127.0.0.1:%d" % port, oid)
            self.assertNotEqual(code, 0, oid)
            self.assertEqual(out, "")
            self.assertIn("bad OID", err)
        code, _, err, _ = run_tool("walk", "127.0.0.1:%d" % port, "1.3.6..1")
        self.assertNotEqual(code, 0)
        self.assertIn("bad OID", err)

    def test_silent_agent_times_out_within_configured_time(self):
        # A bound socket that never answers: every try waits the full time-out.
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent:
            silent.bind(("127.0.0.1", 0))
            port = silent.getsockname()[1]
            code, out, err, elapsed = run_tool("get", "-t", "300", "-r", "1", "-c", "public",
                                               "127.0.0.1:%d" % port, "1.3.6.1.2.1.1.1.0")
            self.assertEqual(code, 1)
            self.assertEqual(out, "")
            self.assertEqual(len(err.strip().splitlines()), 1, err)
            self.assertIn("no answer from 127.0.0.1:%d within 300 ms" % port, err)
            self.assertGreaterEqual(elapsed, 0.55)   # two tries of 300 ms
            self.assertLess(elapsed, 3.0)
            code, _, err, elapsed = run_tool("status", "-t", "200", "-r", "0",
                                             "127.0.0.1:%d" % port)
            self.assertEqual(code, 1)
            self.assertIn("no answer", err)
            self.assertLess(elapsed, 2.0)  # the report gives up after the first time-out

    def test_snmpv3_options_are_accepted_and_reported(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent:
            silent.bind(("127.0.0.1", 0))
            endpoint = "127.0.0.1:%d" % silent.getsockname()[1]
            code, _, err, _ = run_tool("get", "-v", "3", "-u", "monitor", "-l", "authPriv",
                                       "-a", "SHA", "-A", "auth-pass-1", "-x", "AES", "-X",
                                       "priv-pass-1", "-n", "", "-t", "200", "-r", "0",
                                       endpoint, "1.3.6.1.2.1.1.1.0")
            self.assertEqual(code, 1)
            self.assertEqual(len(err.strip().splitlines()), 1, err)
            # SNMPv3 requests now go out: the silent agent lets them time out.
            self.assertIn("no answer", err)
            code, out, err, _ = run_tool("status", "-v", "3", "-u", "monitor", "-t", "200", "-r", "0",
                                         endpoint)
            self.assertNotEqual(code, 0)
            self.assertEqual(out, "")
            self.assertIn("no answer", err)
        code, _, err, _ = run_tool("get", "-v", "3", "127.0.0.1", "1.3.6.1.2.1.1.1.0")
        self.assertEqual(code, 2)
        self.assertIn("security name", err)
        code, _, err, _ = run_tool("get", "-v", "3", "-u", "x", "-l", "authPriv", "-A",
                                   "auth-pass-1", "127.0.0.1", "1.3.6.1.2.1.1.1.0")
        self.assertEqual(code, 2)
        self.assertIn("-X", err)

    def test_snmpv3_option_spellings(self):
        # As the Net-SNMP tools spell them; a wrong one fails before any request.
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent:
            silent.bind(("127.0.0.1", 0))
            endpoint = "127.0.0.1:%d" % silent.getsockname()[1]
            cases = [(["-l", "authNoPriv", "-a", "md5", "-A", "auth-pass-1"], 1, "no answer"),
                     (["-l", "noAuthNoPriv", "-n", "printers"], 1, "no answer"),
                     (["-A", "auth-pass-1", "-X", "priv-pass-1", "-x", "des"], 1, "no answer"),
                     (["-l", "authNoPriv"], 2, "-A"),
                     (["-l", "authpriv", "-A", "a", "-X", "b"], 2, "authpriv"),
                     (["-a", "SHA256", "-A", "auth-pass-1"], 2, "SHA256"),
                     (["-x", "3DES", "-A", "a", "-X", "b"], 2, "3DES")]
            for options, expected, word in cases:
                code, out, err, _ = run_tool("get", "-v", "3", "-u", "monitor", *options, "-t",
                                             "200", "-r", "0", endpoint, "1.3.6.1.2.1.1.1.0")
                self.assertEqual((code, out), (expected, ""), options)
                self.assertEqual(len(err.strip().splitlines()), 1, err)
                self.assertIn(word, err, options)

    def test_trace_file_records_the_request(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent, \
                tempfile.TemporaryDirectory() as folder:
            silent.bind(("127.0.0.1", 0))
            trace = os.path.join(folder, "trace.log")
            run_tool("get", "--trace", trace, "--trace-level", "debug", "-t", "100", "-r", "0",
                     "127.0.0.1:%d" % silent.getsockname()[1], "1.3.6.1.2.1.1.1.0")
            with open(trace, encoding="utf-8", errors="replace") as lines:
                text = lines.read()
            self.assertIn("_send_and_receive(): timeout= 100, retries=0", text)
            self.assertIn("receive timeout.", text)
            self.assertNotIn("enter.", text)  # Trace lines stay out at level debug
        code, _, err, _ = run_tool("get", "--trace", "/nonexistent/dir/trace.log",
                                   "127.0.0.1:1161", "1.3.6.1.2.1.1.1.0")
        self.assertEqual(code, 1)
        self.assertIn("cannot open trace file", err)


@unittest.skipUnless(os.path.isdir(PRINTER_DATA), "printer recordings not present")
@unittest.skipUnless(shutil.which("snmpsimd"), "snmpsimd not installed")
class AgentProcess(unittest.TestCase):
    """Base of the classes that share one agent process in a scratch folder."""

    @classmethod
    def take_free_port(cls):
        cls.port = free_udp_port()
        cls.v4 = "127.0.0.1:%d" % cls.port
        cls.v6 = "[::1]:%d" % cls.port

    @classmethod
    def start_agent(cls, argv, community, name, env=None):
        """Starts argv; the whole class is skipped when it never answers."""
        cls.agent = subprocess.Popen(argv, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, env=env)
        if not wait_until_answering(community, cls.v4, cls.agent):
            stop_process(cls.agent)
            shutil.rmtree(cls.folder, ignore_errors=True)
            raise unittest.SkipTest(name + " did not start")

    @classmethod
    def tearDownClass(cls):
        stop_process(cls.agent)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def assert_get_as_snmpget(self, community, *oid_lists):
        """Output, error report and failure the same as snmpget's, with and
        without -Cf (ask again without the failed object, or stop)."""
        for oids in oid_lists:
            for version in ("1", "2c"):
                for flags in ([], ["-Cf"]):
                    assert_get_as_snmpget(self, "-v", version, *flags, "-c", community, self.v4, *oids)


class PrinterRecordings(AgentProcess):
    """snmpsim serving the real printer recordings; community = file name."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="pmsnmp-tool-snmpsim-")
        data = os.path.join(cls.folder, "data")
        cache = os.path.join(cls.folder, "cache")
        os.mkdir(data)
        os.mkdir(cache)
        for name in RECORDINGS:
            shutil.copy(os.path.join(PRINTER_DATA, name + ".snmprec"),
                        os.path.join(data, name + ".snmprec"))
        shutil.copy(DEMO_RECORDING, os.path.join(data, "demo.snmprec"))
        user_args = []
        if os.geteuid() == 0:
            # snmpsimd will not run as root; nobody must read and write here.
            subprocess.run(["chown", "-R", "nobody:nogroup", cls.folder], check=True)
            os.chmod(cls.folder, 0o755)
            user_args = ["--process-user=nobody", "--process-group=nogroup"]
        cls.take_free_port()
        cls.start_agent(
            ["snmpsimd", "--data-dir=" + data, "--cache-dir=" + cache,
             "--agent-udpv4-endpoint=" + cls.v4, "--agent-udpv6-endpoint=" + cls.v6,
             "--logging-method=file:" + os.path.join(cls.folder, "snmpsimd.log"), *user_args],
            "sharp", "snmpsimd")

    def status_json(self, community, *options, endpoint=None):
        code, out, err, _ = run_tool("status", "--json", "-c", community, *options,
                                     endpoint or self.v4)
        self.assertEqual(code, 0, err)
        return json.loads(out)

    def test_snmpv3_status_as_with_snmpv2c(self):
        # snmpsim's own SNMPv3 user; the context name picks the recording.
        user = ["-u", "simulator", "-l", "authPriv", "-a", "MD5", "-A", "auctoritas",
                "-x", "DES", "-X", "privatus", "-n", "sharp"]
        self.assertEqual(self.status_json("sharp", "-v", "3", *user), self.status_json("sharp", "-v", "2c"))

    def test_sharp_page_count_error_state_and_colour_toners(self):
        for version in ("1", "2c"):
            report = self.status_json("sharp", "-v", version)
            printer = report["printer"]
            self.assertEqual(printer["page_count"], 121104)
            self.assertEqual(printer["detected_error_state"],
                             {"hex": "2000", "conditions": ["lowToner"]})
            self.assertEqual(printer["device_status"], {"code": 3, "name": "warning"})
            self.assertIsNone(printer["printer_status"])  # not in the recording
            self.assertEqual(printer["serial_number"], "6509415X00")
            toners = {s["description"]: s["percent"] for s in report["supplies"]
                      if s["type"] and s["type"]["name"] == "toner"}
            self.assertEqual(toners, {"Cyan Toner": 55, "Magenta Toner": 19,
                                      "Yellow Toner": 40, "Black Toner": 34})
            waste = [s for s in report["supplies"] if s["description"] == "Waste Toner"][0]
            self.assertTrue(waste["receptacle"])
            self.assertEqual(waste["state"], "raw")  # capacity -2: no percentage
            fuser = [s for s in report["supplies"] if s["description"] == "Fusing Unit"][0]
            self.assertEqual(fuser["state"], "unknown")
            trays = [(t["name"], t["current_level"], t["max_capacity"]) for t in report["input_trays"]]
            self.assertEqual(trays[:2], [("Bypass Tray", 0, 100), ("Tray 1", 181, 550)])
            self.assertEqual(trays[-1][0], "Auto Select")  # index 31 sorts after 5
            self.assertEqual(report["alerts"], [])
            self.assertEqual(report["console"], [])

    def test_sharp_text_report(self):
        code, out, err, _ = run_tool("status", "-c", "sharp", self.v4)
        self.assertEqual(code, 0, err)
        self.assertRegex(out, r"Errors +lowToner\n")
        self.assertRegex(out, r"Page count +121104\n")
        self.assertRegex(out, r"Magenta Toner +toner +\[####-{16}\] +19%\n")
        self.assertRegex(out, r"Printer status +\(absent\)\n")

    def test_brother_some_remaining_toner(self):
        report = self.status_json("brother")
        toner = report["supplies"][0]
        self.assertEqual(toner["description"], "Black Toner Cartridge")
        self.assertEqual((toner["max_capacity"], toner["level"]), (-2, -3))
        self.assertEqual(toner["state"], "some_remaining")
        self.assertIsNone(toner["percent"])
        drum = report["supplies"][1]
        self.assertEqual(drum["percent"], 96)  # 11501 of 12000
        self.assertEqual(report["printer"]["detected_error_state"]["conditions"], [])
        self.assertEqual([t["state"] for t in report["input_trays"]], ["some_remaining"] * 3)
        code, out, _, _ = run_tool("status", "-c", "brother", self.v6)
        self.assertEqual(code, 0)
        self.assertRegex(out, r"Black Toner Cartridge +toner +some remaining\n")

    def test_colour_printers_list_their_four_colours(self):
        expected = {
            "epson": [("Black Ink Supply Unit T9441/T9451/T9461", 1),
                      ("Cyan Ink Supply Unit T9442/T9452", 1),
                      ("Magenta Ink Supply Unit T9443/T9453", 1),
                      ("Yellow Ink Supply Unit T9444/T9454", 1)],
            "jetdirect": [("Black Cartridge HP CF410A", 54), ("Cyan Cartridge HP CF411A", 44),
                          ("Magenta Cartridge HP CF413A This description is longer than 32", 76),
                          ("Yellow Cartridge HP CF412A", 71)],
        }
        for community, supplies in expected.items():
            report = self.status_json(community)
            got = [(s["description"], s["percent"]) for s in report["supplies"]]
            self.assertEqual(got, supplies, community)
        xerox = self.status_json("xerox")
        self.assertEqual(len(xerox["supplies"]), 12)
        self.assertEqual(xerox["supplies"][0]["percent"], 20)  # 1060 of 5300
        epson = self.status_json("epson")
        self.assertEqual(epson["printer"]["detected_error_state"], {"hex": "", "conditions": []})

    def test_absent_objects_are_null_not_errors(self):
        report = self.status_json("xerox")
        printer = report["printer"]
        for key in ("name", "device_index", "device_status", "printer_status",
                    "detected_error_state", "page_count"):
            self.assertIsNone(printer[key], key)
        self.assertEqual(report["input_trays"], [])
        self.assertEqual(report["alerts"], [])
        self.assert_get_as_snmpget("xerox", ["1.3.6.1.2.1.25.3.5.1.1.1", "1.3.6.1.2.1.1.1.0"],
                                   ["1.3.6.1.2.1.43.5.1.1.1.1"])

    def test_demo_printer_full_report(self):
        report = self.status_json("demo")
        printer = report["printer"]
        self.assertEqual(printer["name"], "Demo Laser 4200")
        self.assertEqual(printer["printer_status"], {"code": 3, "name": "idle"})
        self.assertEqual(printer["detected_error_state"]["conditions"],
                         ["lowToner", "inputTrayMissing"])
        waste = report["supplies"][4]
        self.assertEqual(waste["class"], {"code": 4, "name": "receptacleThatIsFilled"})
        self.assertEqual((waste["level"], waste["percent"], waste["text"]), (30, 70, "70% full"))
        self.assertEqual([(a["severity"]["name"], a["code"]["name"], a["description"])
                          for a in report["alerts"]],
                         [("warning", "markerTonerAlmostEmpty", "Black toner is low"),
                          ("critical", "inputMediaTrayMissing", "Tray 2 is missing")])
        self.assertEqual(report["console"], ["Toner low: Black", "Ready"])
        self.assertEqual(self.status_json("demo", endpoint=self.v6), report | {"host": self.v6})

    def test_get_prints_like_snmpget(self):
        oids = ["1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.3.0",
                "1.3.6.1.2.1.43.10.2.1.4.1.1", "1.3.6.1.2.1.25.3.5.1.2.1",
                "1.3.6.1.2.1.43.11.1.1.9.1.4"]
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("get", "-v", version, "-c", "sharp", self.v4, *oids)
            self.assertEqual(code, 0, err)
            self.assertEqual(out, net_snmp("snmpget", "-v", version, "-c", "sharp", self.v4, *oids))

    def test_walk_prints_like_snmpwalk(self):
        for community in RECORDINGS:
            for version, root in (("1", "1.3.6.1.2.1.43"), ("2c", "1.3.6.1.2.1.25")):
                code, out, err, _ = run_tool("walk", "-v", version, "-c", community, self.v4, root)
                self.assertEqual(code, 0, err)
                expected = net_snmp("snmpwalk", "-v", version, "-c", community, self.v4, root)
                expected = expected.replace("End of MIB\n", "")  # snmpwalk's own remark
                if "No Such Object" in expected or not expected.strip():
                    continue  # empty subtree: covered below
                self.assertEqual(out, expected, (community, version, root))

    def test_status_the_same_over_every_version(self):
        # SNMPv2c reads the columns together (with given repetitions too), SNMPv1 walks each.
        for community in RECORDINGS + ["demo"]:
            for output in ([], ["--json"]):
                reports = set()
                for options in (["-v", "1"], ["-v", "2c"], ["-v", "2c", "--max-repetitions", "1"]):
                    code, out, err, _ = run_tool("status", *output, *options, "-c", community, self.v4)
                    self.assertEqual(code, 0, err)
                    reports.add(out)
                self.assertEqual(len(reports), 1, (community, output))

    def test_bulk_walk_prints_like_snmpbulkwalk(self):
        for community in RECORDINGS:
            expected = net_snmp("snmpbulkwalk", "-v2c", "-c", community, self.v4, "1.3.6.1.2.1.43")
            # Where the view ends, snmpbulkwalk also prints the endOfMibView bindings.
            expected = "".join(line for line in expected.splitlines(keepends=True)
                               if "No more variables left in this MIB View" not in line)
            self.assertGreater(len(expected.splitlines()), 5, community)
            for options in ([], ["--max-repetitions", "3"]):
                code, out, err, _ = run_tool("walk", "-v", "2c", *options, "-c", community, self.v4,
                                             "1.3.6.1.2.1.43")
                self.assertEqual((code, out), (0, expected), (community, options, err))

    def test_walk_of_missing_subtree(self):
        code, out, _, _ = run_tool("walk", "-c", "xerox", self.v4, "1.3.6.1.2.1.43.18")
        self.assertEqual(code, 0)
        self.assertEqual(out, ".1.3.6.1.2.1.43.18 = No Such Object available on this agent at this OID\n")

    def test_walk_json(self):
        code, out, _, _ = run_tool("walk", "--json", "-c", "sharp", self.v4, "1.3.6.1.2.1.43.10.2.1.4")
        self.assertEqual(code, 0)
        self.assertEqual(json.loads(out), [{"oid": ".1.3.6.1.2.1.43.10.2.1.4.1.1",
                                            "type": "Counter32", "value": 121104}])

    def test_wrong_community_times_out_with_reason(self):
        code, out, err, elapsed = run_tool("status", "-t", "300", "-r", "0", "-c", "nosuchprinter",
                                           self.v4)
        self.assertEqual(code, 1)
        self.assertEqual(out, "")
        self.assertEqual(err.strip(), "pmsnmp: no answer from %s within 300 ms (1 try): "
                                      "agent unreachable, or wrong community" % self.v4)
        self.assertLess(elapsed, 2.5)


@unittest.skipUnless(os.path.exists("/usr/sbin/snmpd"), "snmpd not installed")
class NetSnmpAgent(AgentProcess):
    """snmpd with the tests' own configuration (tests/support/snmpd.conf)."""

    WRITABLE = "1.3.6.1.4.1.8072.9999.9999.1"

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="pmsnmp-tool-snmpd-")
        cls.take_free_port()
        env = dict(os.environ, MIBS="", SNMP_PERSISTENT_DIR=cls.folder)
        cls.start_agent(
            ["/usr/sbin/snmpd", "-f", "-Lf", os.path.join(cls.folder, "snmpd.log"), "-C",
             "-c", SNMPD_CONF + "," + SNMPD_V3_CONF, "-p", os.path.join(cls.folder, "snmpd.pid"),
             "udp:" + cls.v4, "udp6:" + cls.v6],
            "pmsread", "snmpd", env=env)

    def test_get_and_walk_match_net_snmp(self):
        for version in ("1", "2c"):
            for endpoint in (self.v4, self.v6):
                code, out, _, _ = run_tool("get", "-v", version, "-c", "pmsread", endpoint,
                                           "1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.5.0")
                self.assertEqual(code, 0)
                self.assertEqual(out, '.1.3.6.1.2.1.1.1.0 = STRING: "pmsnmp test agent"\n'
                                      '.1.3.6.1.2.1.1.5.0 = STRING: "pmsnmp-agent"\n')
            code, out, _, _ = run_tool("walk", "-v", version, "-c", "pmsread", self.v4,
                                       "1.3.6.1.2.1.1.9")
            self.assertEqual(code, 0)
            expected = net_snmp("snmpwalk", "-v", version, "-c", "pmsread", self.v4,
                                "1.3.6.1.2.1.1.9")
            self.assertEqual(out, expected)
            self.assertGreater(len(out.splitlines()), 3)

    def test_snmpv3_users_get_walk_and_set_as_net_snmp(self):
        for name, user in V3_USERS.items():
            for endpoint in (self.v4, self.v6):
                for command, peer, objects in (("get", "snmpget", ["1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.5.0"]),
                                               ("walk", "snmpwalk", ["1.3.6.1.2.1.1.9"])):
                    code, out, err, _ = run_tool(command, "-v", "3", *user, endpoint, *objects)
                    self.assertEqual(code, 0, name + ": " + err)
                    self.assertEqual(out, net_snmp(peer, "-v", "3", *user, endpoint, *objects), name)
        code, out, err, _ = run_tool("set", "-v", "3", *V3_USERS["SHA+AES"], self.v4,
                                     self.WRITABLE, "0", "33")
        self.assertEqual((code, out), (0, ".%s.0 = INTEGER: 33\n" % self.WRITABLE), err)
        self.assertEqual(net_snmp("snmpget", "-v", "3", *V3_USERS["SHA"], self.v4, self.WRITABLE + ".0"),
                         ".%s.0 = INTEGER: 33\n" % self.WRITABLE)

    def test_snmpv3_refusals_name_their_reason(self):
        wrong_pass = V3_USERS["SHA"][:-1] + ["not-the-pass"]
        for user, reason in ((wrong_pass, "authentication failed"),
                             (["-l", "noAuthNoPriv", "-u", "nobody-here"], "unknown user")):
            code, out, err, _ = run_tool("get", "-v", "3", *user, "-r", "0", self.v4, "1.3.6.1.2.1.1.5.0")
            self.assertEqual((code, out), (1, ""))
            self.assertEqual(err, "pmsnmp: %s\n" % reason)

    def test_bulk_walks_match_snmpbulkwalk(self):
        root = "1.3.6.1.2.1.1.9"
        expected = net_snmp("snmpbulkwalk", "-v", "2c", "-c", "pmsread", self.v4, root)
        self.assertGreater(len(expected.splitlines()), 3)
        for options in ([], ["--max-repetitions", "2"], ["--no-bulk"]):
            code, out, err, _ = run_tool("walk", "-v", "2c", "-c", "pmsread", *options, self.v4, root)
            self.assertEqual((code, out), (0, expected), (options, err))

    def test_set_integer_and_read_back(self):
        for version, value in (("1", "42"), ("2c", "-5")):
            code, out, err, _ = run_tool("set", "-v", version, "-c", "pmswrite", self.v4,
                                         self.WRITABLE, "0", value)
            self.assertEqual(code, 0, err)
            self.assertEqual(out, ".%s.0 = INTEGER: %s\n" % (self.WRITABLE, value))
            self.assertEqual(net_snmp("snmpget", "-v", "2c", "-c", "pmsread", self.v4,
                                      self.WRITABLE + ".0"),
                             ".%s.0 = INTEGER: %s\n" % (self.WRITABLE, value))

    def test_refused_set_fails_with_agent_error(self):
        # A read-only community, and a read-only object: both must fail.
        code, _, err, _ = run_tool("set", "-v", "2c", "-c", "pmswrite", self.v4,
                                   "1.3.6.1.2.1.1.7", "0", "3")
        self.assertEqual(code, 1)
        self.assertRegex(err, r"^pmsnmp: the agent answered (notWritable|noAccess)"
                              r" for \.1\.3\.6\.1\.2\.1\.1\.7\.0\n$")
        code, _, err, _ = run_tool("set", "-v", "1", "-c", "pmsread", "-t", "300", "-r", "0",
                                   self.v4, self.WRITABLE, "0", "9")
        self.assertEqual(code, 1)
        self.assertTrue(err.startswith("pmsnmp: "), err)

    def test_missing_objects_reported_as_snmpget_reports_them(self):
        # SNMPv1: noSuchName per missing object, each reported and dropped;
        # SNMPv2c: noSuchObject bindings and no error.
        self.assert_get_as_snmpget("pmsread", ["1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.43.10.2.1.4.1.1",
                                               "1.3.6.1.2.1.1.4.0", "1.3.6.1.2.1.1.77.0"],
                                   ["1.3.6.1.2.1.1.77.0"])

    def test_status_of_a_host_that_is_no_printer(self):
        code, out, err, _ = run_tool("status", "--json", "-c", "pmsread", self.v4)
        self.assertEqual(code, 0, err)
        report = json.loads(out)
        self.assertEqual(report["system"], {"name": "pmsnmp-agent",
                                            "description": "pmsnmp test agent"})
        self.assertEqual(report["supplies"], [])
        self.assertIsNone(report["printer"]["page_count"])

    def test_small_max_size_still_answers(self):
        oids = ["1.3.6.1.2.1.1.%d.0" % n for n in (1, 2, 4, 5, 6)] * 5  # no sysUpTime
        code, out, err, _ = run_tool("get", "--max-size", "200", "-c", "pmsread", self.v4, *oids)
        self.assertEqual(code, 0, err)
        self.assertEqual(out, net_snmp("snmpget", "-v", "1", "-c", "pmsread", self.v4, *oids))


class ScriptedAgent(unittest.TestCase):
    """The project's scriptable test agent, for answers a real agent never gives."""

    BASE = "1.3.6.1.4.1.99999.1"

    def start_agent(self, scenario, *options):
        folder = tempfile.mkdtemp(prefix="pmsnmp-tool-agent-")
        self.addCleanup(shutil.rmtree, folder, True)
        path = os.path.join(folder, "scenario.json")
        with open(path, "w", encoding="utf-8") as out:
            json.dump(scenario, out)
        agent = subprocess.Popen([sys.executable, TEST_AGENT, "--scenario", path, "--lifetime", "120", *options],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(agent.stdout.close)
        self.addCleanup(stop_process, agent)
        first = agent.stdout.readline().split()
        self.assertEqual(first[0], "PORT")
        return "127.0.0.1:" + first[1]

    def table(self, count=5):
        return {"%s.%d.0" % (self.BASE, n): ["integer", n * 10] for n in range(1, count + 1)}

    def test_refused_sets_fail_with_the_agents_reason(self):
        endpoint = self.start_agent({"table": self.table(3),
                                     "read_only": [self.BASE + ".2.0"],
                                     "no_access": [self.BASE + ".3.0"]})
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("set", "-v", version, endpoint, self.BASE + ".1", "0", "77")
            self.assertEqual((code, out), (0, ".%s.1.0 = INTEGER: 77\n" % self.BASE), err)
            for arc, reason in ((2, "readOnly"), (3, "noAccess"), (9, "noSuchName")):
                code, out, err, _ = run_tool("set", "-v", version, endpoint,
                                             "%s.%d" % (self.BASE, arc), "0", "1")
                self.assertEqual(code, 1, (version, arc))
                self.assertEqual(out, "")
                self.assertEqual(err, "pmsnmp: the agent answered %s for .%s.%d.0\n"
                                      % (reason, self.BASE, arc))
        code, out, _, _ = run_tool("get", endpoint, self.BASE + ".1.0")
        self.assertEqual(out, ".%s.1.0 = INTEGER: 77\n" % self.BASE)

    def test_other_get_errors_reported_as_snmpget_reports_them(self):
        # genErr naming the second object; badValue naming the first.
        endpoint = self.start_agent({"table": self.table(3),
                                     "get_errors": {self.BASE + ".2.0": 5, self.BASE + ".9.0": 3}})
        for oids in ((1, 2, 3), (9, 1)):
            for version in ("1", "2c"):
                for flags in ([], ["-Cf"]):
                    assert_get_as_snmpget(self, "-v", version, *flags, "-c", "public", endpoint,
                                          *("%s.%d.0" % (self.BASE, n) for n in oids))

    def test_dropped_request_is_retried(self):
        endpoint = self.start_agent({"table": self.table(1), "drop_first": 1})
        code, out, err, elapsed = run_tool("get", "-t", "300", "-r", "1", endpoint, self.BASE + ".1.0")
        self.assertEqual(code, 0, err)
        self.assertEqual(out, ".%s.1.0 = INTEGER: 10\n" % self.BASE)
        self.assertGreaterEqual(elapsed, 0.28)

    def test_late_answer_is_a_time_out(self):
        endpoint = self.start_agent({"table": self.table(1), "delay_ms": 1500})
        code, _, err, elapsed = run_tool("get", "-t", "200", "-r", "0", endpoint, self.BASE + ".1.0")
        self.assertEqual(code, 1)
        self.assertIn("no answer from %s within 200 ms" % endpoint, err)
        self.assertLess(elapsed, 1.3)  # gave up without waiting for the late answer

    def test_stray_and_broken_datagrams_are_passed_over(self):
        endpoint = self.start_agent({"table": self.table(2),
                                     "before": ["stray", "garbage", "truncated", "empty"]})
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("get", "-v", version, endpoint, self.BASE + ".1.0",
                                         self.BASE + ".2.0")
            self.assertEqual(code, 0, err)
            self.assertEqual(out, ".%s.1.0 = INTEGER: 10\n.%s.2.0 = INTEGER: 20\n"
                             % (self.BASE, self.BASE))

    def test_too_big_answers_split_the_request(self):
        endpoint = self.start_agent({"table": self.table(5), "too_big_above": 2})
        oids = ["%s.%d.0" % (self.BASE, n) for n in range(1, 6)]
        code, out, err, _ = run_tool("get", endpoint, *oids)
        self.assertEqual(code, 0, err)
        self.assertEqual(out, "".join(".%s = INTEGER: %d\n" % (oid, 10 * n)
                                      for n, oid in enumerate(oids, start=1)))

    def test_walks_end_at_the_end_of_the_view(self):
        # The supplies table is the last thing the agent has: SNMPv1 ends
        # with noSuchName, SNMPv2c with endOfMibView.
        endpoint = self.start_agent({"table": {
            "1.3.6.1.2.1.1.5.0": ["octets", "last-printer"],
            "1.3.6.1.2.1.43.11.1.1.6.1.1": ["octets", "Black Toner"],
            "1.3.6.1.2.1.43.11.1.1.8.1.1": ["integer", 100],
            "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", 12]}})
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("walk", "-v", version, endpoint, "1.3.6.1.2.1.43.11.1.1.9")
            self.assertEqual((code, out), (0, ".1.3.6.1.2.1.43.11.1.1.9.1.1 = INTEGER: 12\n"), err)
            code, out, err, _ = run_tool("status", "--json", "-v", version, endpoint)
            self.assertEqual(code, 0, err)
            report = json.loads(out)
            self.assertEqual(report["system"]["name"], "last-printer")
            self.assertEqual([(s["description"], s["percent"]) for s in report["supplies"]],
                             [("Black Toner", 12)])

    def test_status_refuses_answers_that_go_back(self):
        level = "1.3.6.1.2.1.43.11.1.1.9.1."
        endpoint = self.start_agent({"back_after": {level + "2": level + "1"}, "table": {
            level + "1": ["integer", 12], level + "2": ["integer", 40], level + "3": ["integer", 7]}})
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("status", "-v", version, "-t", "300", endpoint, timeout=30)
            self.assertEqual((code, out), (1, ""), version)
            self.assertEqual(err, "pmsnmp: the agent's answers do not increase after .%s2\n" % level)

    def test_hostile_columns_meet_the_bounds(self):
        column = "1.3.6.1.2.1.43.11.1.1.6"
        large = {"endless": {"root": column, "octets": 1000}}
        slow = {"endless": {"root": column, "octets": 10}, "delay_ms": 200}
        for scenario, options, reason in (
                (large, ["--max-bytes", "20000"], "the agent's answers passed 20000 octets"),
                (slow, ["--deadline", "1000"], "no complete answer within the deadline of 1000 ms")):
            endpoint = self.start_agent(scenario)
            for version in ("1", "2c"):
                code, out, err, elapsed = run_tool("status", "-v", version, *options, endpoint, timeout=30)
                self.assertEqual((code, out, err), (1, "", "pmsnmp: %s\n" % reason), version)
                self.assertLess(elapsed, 3)

    def test_empty_bulk_answer_ends_the_columns(self):
        endpoint = self.start_agent({"empty_bulk": True, "table": {
            "1.3.6.1.2.1.1.5.0": ["octets", "quiet-printer"]}})
        reports = [run_tool("status", "--json", "-v", version, endpoint)[:3] for version in ("1", "2c")]
        self.assertEqual(reports[0], reports[1])
        self.assertEqual(json.loads(reports[1][1])["system"]["name"], "quiet-printer")

    def test_walk_that_fails_late_prints_what_it_read(self):
        endpoint = self.start_agent({"table": self.table(5), "stuck_after": self.BASE + ".3.0"})
        for version in ("1", "2c"):
            code, out, err, _ = run_tool("walk", "-v", version, endpoint, self.BASE)
            self.assertEqual(code, 1, version)
            self.assertEqual(out, "".join(".%s.%d.0 = INTEGER: %d\n" % (self.BASE, n, 10 * n) for n in (1, 2, 3)))
            self.assertIn("do not increase", err)

    def test_hostile_texts_reach_no_output_unsafe(self):
        level = "1.3.6.1.2.1.43.11.1.1.9.1."
        texts = {"1.3.6.1.2.1.1.1.0": b"Bl\xe4tter \x9b31m \x1b]0;title\x07",        # Latin-1, stray CSI, OSC
                 "1.3.6.1.2.1.1.5.0": "lp-\u009b2J-\u202eevil".encode(),             # C1 and RLO in UTF-8
                 "1.3.6.1.2.1.25.3.2.1.3.1": b"Bl\xe4tter \x9b2J",
                 "1.3.6.1.2.1.43.5.1.1.16.1": "\u2066x\u2069\x1b[2J".encode(),
                 "1.3.6.1.2.1.43.11.1.1.6.1.1": ("Gr\u00f6\u00dfenbeh\u00e4lter f\u00fcr " * 3).encode(),
                 "1.3.6.1.2.1.43.16.5.1.2.1.1": b"\x1b[2J\x9b\xc2\x9b"}
        table = {oid: ["hex", text.hex()] for oid, text in texts.items()}
        table.update({"1.3.6.1.2.1.1.2.0": ["oid", "1.3.6.1.4.1.99999"], "1.3.6.1.2.1.43.11.1.1.6.1.2": ["octets", "Black"],
                      "1.3.6.1.2.1.25.3.2.1.2.1": ["oid", "1.3.6.1.2.1.25.3.1.5"], level + "1": ["integer", 40],
                      level + "2": ["counter64", 1 << 63]})  # no capacity: a level, or unknown when out of range
        endpoint = self.start_agent({"table": table})
        port = free_udp_port()
        self.start_agent({"table": table, "answer_from": "127.0.0.1"}, "--bind", "127.255.255.255",
                         "--port", str(port), "--reuse")
        unsafe = re.compile("[\x00-\x09\x0b-\x1f\x7f-\x9f\u061c\u200e\u200f\u2028-\u202e\u2066-\u2069]")
        for command in (["status"], ["status", "--json"], ["status", "--summary"], ["status", "--summary", "--json"],
                        ["discover"], ["discover", "--json"]):
            target = ["-t", "700", "-r", "0", "127.255.255.255:%d" % port] if command[0] == "discover" else [endpoint]
            done = subprocess.run([TOOL, *command, "-v", "2c", *target], capture_output=True, timeout=60)
            self.assertEqual(done.returncode, 0, (command, done.stderr))
            out = done.stdout.decode("utf-8")  # fails on invalid UTF-8
            self.assertIsNone(unsafe.search(out), (command, out))
            self.assertIn("Bl\u00e4tter", out, command)
            if "--json" in command:
                json.loads(out)
        report = json.loads(subprocess.run([TOOL, "status", "--json", endpoint], capture_output=True).stdout)
        self.assertEqual([(s["level"], s["state"]) for s in report["supplies"]], [(40, "raw"), (None, "unknown")])

    def test_stuck_agent_ends_the_walk(self):
        endpoint = self.start_agent({"table": self.table(3), "walk": "stuck"})
        for version in ("1", "2c"):
            code, _, err, elapsed = run_tool("walk", "-v", version, "-t", "300", endpoint,
                                             self.BASE + ".1.0", timeout=30)
            self.assertEqual(code, 0, err)
            self.assertLess(elapsed, 5)


if __name__ == "__main__":
    unittest.main(verbosity=2)
