#!/usr/bin/env python3
"""pmsnmp serve polling a simulated fleet, beside Debian's prometheus-snmp-exporter.

    bench/serve.py [--printers 1000] [--interval 60] [--cycles 10]
                   [--tool build/release/tools/pmsnmp]

The fleet: snmpsim processes serving the five printer recordings in turn on
loopback addresses 127.0.2.1, 127.0.2.2, ..., a few addresses where nothing
answers, and a few printers behind a proxy of this script that answers late.
One serve process polls them all every interval; after each cycle it prints

    serve: N printers, cycle X s, RSS Y MiB, descriptors Z (...)

with the CPU seconds serve spent on that cycle (utime + stime from
/proc/PID/stat), then whether cycle time, RSS and descriptors stayed flat.
The exporter, with the printer module of its generator's example written
out below, then scrapes every printer once per pass, 16 at a time as a
Prometheus would; "serve vs snmp_exporter: R" is its CPU seconds per pass
over serve's per cycle. Without the exporter that line says why it is
skipped. --interval shortens the run; the default is the real one.
"""

import argparse
import asyncio
import concurrent.futures
import os
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
RECORDINGS = ["brother", "epson", "jetdirect", "sharp", "xerox"]
PARALLEL = 16  # the exporter's scrapes at a time, and serve's default pollers
ENDPOINTS_PER_SIMULATOR = 250
EXPORTER = "prometheus-snmp-exporter"
TICKS = os.sysconf("SC_CLK_TCK")

# The generator example's printer_mib module, numeric: what the exporter
# reads of a printer and how it labels it.
ENUMS = {
    "hrPrinterStatus": {1: "other", 2: "unknown", 3: "idle", 4: "printing", 5: "warmup"},
    "prtGeneralReset": {3: "notResetting", 4: "powerCycleReset", 5: "resetToNVRAM", 6: "resetToFactoryDefaults"},
    "prtConsoleDisable": {3: "enabled", 4: "disabled"},
    "prtCoverStatus": {1: "other", 3: "coverOpen", 4: "coverClosed", 5: "interlockOpen", 6: "interlockClosed"},
}
DEVICE = ["hrDeviceIndex"]
SUPPLY = ["hrDeviceIndex", "prtMarkerSuppliesIndex"]
OBJECTS = [  # name, column, type, indexes
    ("sysUpTime", "1.3.6.1.2.1.1.3", "gauge", []),
    ("hrPrinterStatus", "1.3.6.1.2.1.25.3.5.1.1", "EnumAsStateSet", DEVICE),
    ("prtGeneralReset", "1.3.6.1.2.1.43.5.1.1.3", "EnumAsStateSet", DEVICE),
    ("prtConsoleDisable", "1.3.6.1.2.1.43.5.1.1.13", "EnumAsStateSet", DEVICE),
    ("prtGeneralPrinterName", "1.3.6.1.2.1.43.5.1.1.16", "DisplayString", DEVICE),
    ("prtGeneralSerialNumber", "1.3.6.1.2.1.43.5.1.1.17", "DisplayString", DEVICE),
    ("prtAlertCriticalEvents", "1.3.6.1.2.1.43.5.1.1.18", "counter", DEVICE),
    ("prtAlertAllEvents", "1.3.6.1.2.1.43.5.1.1.19", "counter", DEVICE),
    ("prtCoverStatus", "1.3.6.1.2.1.43.6.1.1.3", "EnumAsStateSet", ["hrDeviceIndex", "prtCoverIndex"]),
    ("prtMarkerSuppliesDescription", "1.3.6.1.2.1.43.11.1.1.6", "DisplayString", SUPPLY),
    ("prtMarkerSuppliesLevel", "1.3.6.1.2.1.43.11.1.1.9", "gauge", SUPPLY),
    ("prtMarkerSuppliesMaxCapacity", "1.3.6.1.2.1.43.11.1.1.8", "gauge", SUPPLY),
    ("prtMarkerSuppliesType", "1.3.6.1.2.1.43.11.1.1.5", "gauge", SUPPLY),
]
SUPPLY_TYPE = "1.3.6.1.2.1.43.11.1.1.5"


def exporter_module():
    lines = ["printer_mib:", "  version: 2", "  auth: {community: public}", "  timeout: 2s", "  retries: 1",
             "  walk: [%s]" % ", ".join(column for _, column, _, _ in OBJECTS), "  metrics:"]
    for name, column, kind, indexes in OBJECTS:
        lines += ["  - name: %s" % name, "    oid: %s" % column, "    type: %s" % kind]
        if indexes:
            lines.append("    indexes:")
            lines += ["    - {labelname: %s, type: gauge}" % index for index in indexes]
        if indexes == SUPPLY:
            lines += ["    lookups:", "    - labels: [hrDeviceIndex, prtMarkerSuppliesIndex]",
                      "      labelname: prtMarkerSuppliesType", "      oid: %s" % SUPPLY_TYPE, "      type: gauge"]
        if name in ENUMS:
            lines.append("    enum_values:")
            lines += ["      %d: %s" % item for item in ENUMS[name].items()]
    return "\n".join(lines) + "\n"


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def address(i, net=2):
    return "127.0.%d.%d" % (net + i // 250, 1 + i % 250)


def fleet_roles(count, silent_percent, slow_percent):
    """'silent', 'slow' or 'plain' for each printer, spread over the fleet."""
    roles = ["plain"] * count
    every = lambda percent: max(1, round(100 / percent)) if percent > 0 else count + 1
    for i in range(every(silent_percent) - 1, count, every(silent_percent)):
        roles[i] = "silent"
    for i in range(every(slow_percent) // 2, count, every(slow_percent)):
        if roles[i] == "plain":
            roles[i] = "slow"
    return roles


def start_snmpsim(folder, addresses, port, first):
    """One snmpsimd serving a recording on each of addresses."""
    data = os.path.join(folder, "data", "public")
    os.makedirs(data)
    os.mkdir(os.path.join(folder, "cache"))
    source = os.environ.get("PMSNMP_PRINTER_DATA") or next(
        (d for d in (os.path.join(HERE, *[".."] * up, "shared", "data", "printers") for up in (2, 3)) if os.path.isdir(d)),
        "")
    for i in range(len(addresses)):
        shutil.copy(os.path.join(source, RECORDINGS[(first + i) % 5] + ".snmprec"),
                    os.path.join(data, "1.3.6.1.6.1.1.%d.snmprec" % i))
    user = []
    if os.geteuid() == 0:  # snmpsimd will not run as root
        subprocess.run(["chown", "-R", "nobody:nogroup", folder], check=True)
        user = ["--process-user=nobody", "--process-group=nogroup"]
    endpoints = ["--agent-udpv4-endpoint=%s:%d" % (a, port) for a in addresses]
    return subprocess.Popen(["snmpsimd", "--v2c-arch", "--data-dir=" + os.path.dirname(data),
                             "--cache-dir=" + os.path.join(folder, "cache"), "--logging-method=null",
                             *endpoints, *user], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class SlowProxy:
    """Answers for printers that take their time: each datagram to a front
    address goes to its simulated printer, and the answer back delay late."""

    def __init__(self, routes, port, delay):
        self.routes, self.port, self.delay = routes, port, delay
        self.loop = asyncio.new_event_loop()
        self.thread = threading.Thread(target=self.loop.run_forever, daemon=True)

    def start(self):
        for front, back in self.routes:
            self.loop.run_until_complete(self.loop.create_datagram_endpoint(
                lambda back=back: _Front(self, back), local_addr=(front, self.port)))
        self.thread.start()

    def stop(self):
        self.loop.call_soon_threadsafe(self.loop.stop)
        self.thread.join()


class _Front(asyncio.DatagramProtocol):
    def __init__(self, proxy, back):
        self.proxy, self.back, self.uplinks = proxy, back, {}

    def connection_made(self, transport):
        self.transport = transport

    def datagram_received(self, data, peer):
        uplink = self.uplinks.get(peer)
        if uplink is None:
            uplink = self.uplinks[peer] = _Uplink(self, peer)
            asyncio.ensure_future(self.proxy.loop.create_datagram_endpoint(
                lambda: uplink, remote_addr=(self.back, self.proxy.port)))
        uplink.send(data)


class _Uplink(asyncio.DatagramProtocol):
    """One poller socket's way to the printer, closed after a quiet while."""

    def __init__(self, front, peer):
        self.front, self.peer, self.transport, self.waiting = front, peer, None, []
        self.last = time.monotonic()

    def connection_made(self, transport):
        self.transport = transport
        for data in self.waiting:
            transport.sendto(data)
        self.front.proxy.loop.call_later(10, self.expire)

    def send(self, data):
        self.last = time.monotonic()
        if self.transport:
            self.transport.sendto(data)
        else:
            self.waiting.append(data)

    def datagram_received(self, data, _):
        self.front.proxy.loop.call_later(self.front.proxy.delay, self.front.transport.sendto, data, self.peer)

    def expire(self):
        if time.monotonic() - self.last < 10:
            self.front.proxy.loop.call_later(10, self.expire)
            return
        self.transport.close()
        self.front.uplinks.pop(self.peer, None)


def fetch(url, timeout=120):
    with urllib.request.urlopen(url, timeout=timeout) as answer:
        return answer.read().decode("utf-8", "replace")


def wait_for(check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = check()
        if found:
            return found
        time.sleep(0.1)
    return None


def metric(text, name):
    found = re.search(r"^%s(?:\{[^}]*\})? (\S+)$" % name, text, re.M)
    return float(found.group(1)) if found else None


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as status:
        return int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1)) / 1024


def descriptors(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def flat(values, slack, first=1):
    """No growth from cycle first + 1 on (the first fills the caches; every
    printer is due at once then, so it holds the most descriptors)."""
    settled = values[first:] or values
    return max(settled) - settled[0] <= slack


def run_serve(options, folder, hosts):
    config = os.path.join(folder, "fleet.yaml")
    with open(config, "w") as f:
        f.write("interval: %ds\nstatic_interval: %s\nparallel: %d\n"
                "defaults: {version: 2c, community: public, timeout: 2s, retries: 1}\nprinters:\n%s"
                % (options.interval, options.static_interval, PARALLEL, "".join("  - host: %s\n" % h for h in hosts)))
    with open(os.path.join(folder, "serve.log"), "w+") as log:
        serve = subprocess.Popen([options.tool, "serve", "--config", config, "--listen", "127.0.0.1:0"], stderr=log)
    try:
        url = wait_for(lambda: re.search(r"listening on (http://\S+/)", open(log.name).read()), 20).group(1)
        cycles = []
        started = time.monotonic()
        cpu = cpu_seconds(serve.pid)
        for number in range(1, options.cycles + 1):
            most_descriptors = 0
            while time.monotonic() < started + number * options.interval:
                most_descriptors = max(most_descriptors, descriptors(serve.pid))
                time.sleep(0.25)
            text = fetch(url + "metrics")  # one scrape a cycle, as Prometheus makes
            now = cpu_seconds(serve.pid)
            spent, cpu = now - cpu, now
            cycle = metric(text, "pmsnmp_serve_cycle_duration_seconds")
            up = sum(1 for line in text.splitlines() if line.startswith("printer_up{") and line.endswith(" 1"))
            cycles.append((cycle, rss_mib(serve.pid), most_descriptors, spent))
            print("serve: %d printers, cycle %s s, RSS %.1f MiB, descriptors %d (cycle %d of %d, CPU %.2f s, "
                  "%d answered)" % (len(hosts), "%.2f" % cycle if cycle is not None else "not yet", cycles[-1][1],
                                    most_descriptors, number, options.cycles, spent, up), flush=True)
        return cycles
    finally:
        serve.terminate()
        serve.wait()


def run_exporter(options, folder, hosts):
    """The exporter's CPU seconds, RSS and descriptors per pass over hosts, or why not."""
    if shutil.which(EXPORTER) is None:
        return None, EXPORTER + " is not installed"
    config = os.path.join(folder, "snmp.yml")
    with open(config, "w") as f:
        f.write(exporter_module())
    port = free_port()
    exporter = subprocess.Popen([EXPORTER, "--config.file=" + config, "--web.listen-address=127.0.0.1:%d" % port],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        if not wait_for(lambda: exporter.poll() is not None or _answers("http://127.0.0.1:%d/" % port), 10) \
                or exporter.poll() is not None:
            return None, "the exporter did not start: " + exporter.stderr.read().strip()[-200:]
        url = "http://127.0.0.1:%d/snmp?module=printer_mib&target=" % port
        passes = []
        for _ in range(options.exporter_passes):
            cpu, began = cpu_seconds(exporter.pid), time.monotonic()
            with concurrent.futures.ThreadPoolExecutor(PARALLEL) as pool:
                pages = list(pool.map(lambda h: scrape(url + h), hosts))
            passes.append((time.monotonic() - began, rss_mib(exporter.pid), descriptors(exporter.pid),
                           cpu_seconds(exporter.pid) - cpu))
            if sum(1 for page in pages if "prtMarkerSuppliesLevel{" in page) < len(hosts) // 2:
                return None, "the exporter's printer module read too little"
        return passes, None
    finally:
        exporter.terminate()
        exporter.wait()


def scrape(url):
    try:
        return fetch(url)
    except OSError as error:  # the exporter answers 500 when a walk fails
        return str(error)


def _answers(url):
    try:
        fetch(url, 5)
        return True
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--printers", type=int, default=1000)
    parser.add_argument("--interval", type=int, default=60, help="seconds between polls of a printer")
    parser.add_argument("--cycles", type=int, default=10)
    parser.add_argument("--silent-percent", type=float, default=3)
    parser.add_argument("--slow-percent", type=float, default=3)
    parser.add_argument("--slow-ms", type=int, default=700, help="how late a slow printer answers")
    parser.add_argument("--static-interval", default="1h", help="serve's, 1ms: every poll reads everything")
    parser.add_argument("--exporter-passes", type=int, default=3, help="0: serve alone")
    parser.add_argument("--tool", default=os.path.join(HERE, "..", "build", "release", "tools", "pmsnmp"))
    options = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="pmsnmp-bench-serve-")
    os.chmod(folder, 0o755)  # snmpsimd runs as nobody
    port = free_port(socket.SOCK_DGRAM)
    roles = fleet_roles(options.printers, options.silent_percent, options.slow_percent)
    hosts = ["%s:%d" % (address(i), port) for i in range(options.printers)]
    # The simulators serve the plain printers where serve looks, and the slow
    # ones on addresses of their own behind the proxy.
    served = [address(i) if role == "plain" else address(i, net=100) for i, role in enumerate(roles) if role != "silent"]
    simulators = []
    proxy = SlowProxy([(address(i), address(i, net=100)) for i, role in enumerate(roles) if role == "slow"],
                      port, options.slow_ms / 1000)
    try:
        for first in range(0, len(served), ENDPOINTS_PER_SIMULATOR):
            simulators.append(start_snmpsim(os.path.join(folder, "snmpsim%d" % first),
                                            served[first:first + ENDPOINTS_PER_SIMULATOR], port, first))
        proxy.start()
        last = "%s:%d" % (served[-1], port)
        if not wait_for(lambda: subprocess.run([options.tool, "get", "-v", "2c", "-t", "500", "-r", "0", last,
                                                "1.3.6.1.2.1.1.1.0"], capture_output=True).returncode == 0, 120):
            raise SystemExit("bench/serve.py: snmpsimd did not answer")
        print("fleet: %d printers, %d silent, %d answering %d ms late; interval %d s"
              % (len(hosts), roles.count("silent"), roles.count("slow"), options.slow_ms, options.interval), flush=True)

        cycles = run_serve(options, folder, hosts)
        times = [c[0] or 0 for c in cycles]
        print("serve: every cycle under %d s: %s (longest %.2f s); RSS flat: %s (%.1f..%.1f MiB); "
              "descriptors flat: %s (%d..%d)"
              % (options.interval, "yes" if max(times) < options.interval else "no", max(times),
                 "yes" if flat([c[1] for c in cycles], max(2.0, 0.05 * cycles[0][1])) else "no",
                 min(c[1] for c in cycles), max(c[1] for c in cycles),
                 "yes" if flat([c[2] for c in cycles], 2, first=0) else "no",
                 min(c[2] for c in cycles), max(c[2] for c in cycles)))
        serve_cpu = sum(c[3] for c in cycles) / len(cycles)

        passes, reason = run_exporter(options, folder, hosts) if options.exporter_passes else (None, "not asked for")
        if reason:
            print("serve vs snmp_exporter: skipped (%s)" % reason)
            return
        for elapsed, rss, fds, cpu in passes:
            print("snmp_exporter: %d printers, cycle %.2f s, RSS %.1f MiB, descriptors %d (CPU %.2f s)"
                  % (len(hosts), elapsed, rss, fds, cpu))
        exporter_cpu = sum(p[3] for p in passes) / len(passes)
        print("serve vs snmp_exporter: %.2f (CPU seconds per pass over the fleet: exporter %.2f, serve %.2f)"
              % (exporter_cpu / serve_cpu if serve_cpu > 0 else float("inf"), exporter_cpu, serve_cpu))
    finally:
        proxy.stop() if proxy.thread.is_alive() else None
        for simulator in simulators:
            simulator.terminate()
            simulator.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
