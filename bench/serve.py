#!/usr/bin/env python3
"""pmsnmp serve polling many simulated printers (snmpsim on loopback, the
five recordings in turn), and Debian's prometheus-snmp-exporter reading
the same printers with a Printer-MIB module written out below, side by side.

    bench/serve.py [--printers N] [--tool build/release/tools/pmsnmp]

Prints "serve: N printers, cycle X s, RSS Y MiB, descriptors Z" and
"serve vs snmp_exporter: R" (the exporter's time for the same pass over the
fleet, 16 scrapes at a time, divided by serve's cycle), or why not.
"""

import argparse
import concurrent.futures
import os
import re
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
RECORDINGS = ["brother", "epson", "jetdirect", "sharp", "xerox"]
PARALLEL = 16
EXPORTER = "prometheus-snmp-exporter"
# The columns serve's report reads, as the exporter spells a module.
PRINTER_MODULE = """printer:
  version: 2
  auth: {community: public}
  timeout: 2s
  retries: 1
  walk: [1.3.6.1.2.1.1.1, 1.3.6.1.2.1.1.5, 1.3.6.1.2.1.25.3.2.1, 1.3.6.1.2.1.25.3.5.1, 1.3.6.1.2.1.43.5.1.1,
         1.3.6.1.2.1.43.8.2.1, 1.3.6.1.2.1.43.10.2.1.4, 1.3.6.1.2.1.43.11.1.1, 1.3.6.1.2.1.43.16.5.1.2,
         1.3.6.1.2.1.43.18.1.1]
  metrics:
%s
"""
COLUMNS = [("prtMarkerSuppliesLevel", "1.3.6.1.2.1.43.11.1.1.9", 2),
           ("prtMarkerSuppliesMaxCapacity", "1.3.6.1.2.1.43.11.1.1.8", 2),
           ("prtMarkerSuppliesType", "1.3.6.1.2.1.43.11.1.1.5", 2),
           ("prtInputCurrentLevel", "1.3.6.1.2.1.43.8.2.1.10", 2),
           ("prtMarkerLifeCount", "1.3.6.1.2.1.43.10.2.1.4", 2),
           ("prtAlertSeverityLevel", "1.3.6.1.2.1.43.18.1.1.2", 2),
           ("hrDeviceStatus", "1.3.6.1.2.1.25.3.2.1.5", 1),
           ("hrPrinterStatus", "1.3.6.1.2.1.25.3.5.1.1", 1)]


def module():
    metrics = []
    for name, oid, depth in COLUMNS:
        indexes = "".join("\n      - {labelname: index%d, type: gauge}" % i for i in range(depth))
        metrics.append("  - name: %s\n    oid: %s\n    type: gauge\n    indexes:%s" % (name, oid, indexes))
    metrics.append("  - name: hrPrinterDetectedErrorState\n    oid: 1.3.6.1.2.1.25.3.5.1.2\n    type: OctetString\n"
                   "    indexes:\n      - {labelname: index0, type: gauge}")
    return PRINTER_MODULE % "\n".join(metrics)


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def address(i):
    return "127.0.%d.%d" % (2 + i // 250, 1 + i % 250)


def start_snmpsim(folder, count, port):
    data = os.path.join(folder, "data", "public")
    os.makedirs(data)
    os.mkdir(os.path.join(folder, "cache"))
    source = os.path.join(HERE, "..", "..", "shared", "data", "printers")
    source = os.environ.get("PMSNMP_PRINTER_DATA", source)
    for i in range(count):
        shutil.copy(os.path.join(source, RECORDINGS[i % 5] + ".snmprec"),
                    os.path.join(data, "1.3.6.1.6.1.1.%d.snmprec" % i))
    user = []
    if os.geteuid() == 0:
        os.chmod(folder, 0o755)
        subprocess.run(["chown", "-R", "nobody:nogroup", folder], check=True)
        user = ["--process-user=nobody", "--process-group=nogroup"]
    endpoints = ["--agent-udpv4-endpoint=%s:%d" % (address(i), port) for i in range(count)]
    return subprocess.Popen(["snmpsimd", "--v2c-arch", "--data-dir=" + os.path.dirname(data),
                             "--cache-dir=" + os.path.join(folder, "cache"), "--logging-method=null",
                             *endpoints, *user], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fetch(url):
    with urllib.request.urlopen(url, timeout=60) as answer:
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


def run_serve(tool, folder, hosts):
    config = os.path.join(folder, "fleet.yaml")
    with open(config, "w") as f:
        f.write("interval: 30s\nparallel: %d\ndefaults: {version: 2c, community: public, timeout: 2s, retries: 1}\n"
                "printers:\n%s" % (PARALLEL, "".join("  - host: %s\n" % h for h in hosts)))
    log = open(os.path.join(folder, "serve.log"), "w+")
    serve = subprocess.Popen([tool, "serve", "--config", config, "--listen", "127.0.0.1:0"], stderr=log)
    try:
        url = wait_for(lambda: re.search(r"listening on (http://\S+/)", open(log.name).read()), 20).group(1)
        descriptors = 0
        cycle = None
        while cycle is None:
            descriptors = max(descriptors, len(os.listdir("/proc/%d/fd" % serve.pid)))
            cycle = metric(fetch(url + "metrics"), "pmsnmp_serve_cycle_duration_seconds")
            time.sleep(0.05)
        up = sum(1 for line in fetch(url + "metrics").splitlines() if line.startswith("printer_up{") and line.endswith(" 1"))
        with open("/proc/%d/status" % serve.pid) as status:
            rss = int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1)) / 1024
        return cycle, rss, descriptors, up
    finally:
        serve.terminate()
        serve.wait()


def run_exporter(folder, hosts):
    if shutil.which(EXPORTER) is None:
        return None, "prometheus-snmp-exporter is not installed"
    config = os.path.join(folder, "snmp.yml")
    with open(config, "w") as f:
        f.write(module())
    port = free_port()
    exporter = subprocess.Popen([EXPORTER, "--config.file=" + config, "--web.listen-address=127.0.0.1:%d" % port],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        url = "http://127.0.0.1:%d/snmp?module=printer&target=" % port
        if not wait_for(lambda: exporter.poll() is not None or _answers("http://127.0.0.1:%d/" % port), 10) \
                or exporter.poll() is not None:
            return None, "the exporter did not start: " + exporter.stderr.read().strip()[-200:]
        started = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(PARALLEL) as pool:
            pages = list(pool.map(lambda h: scrape(url + h), hosts))
        elapsed = time.monotonic() - started
        if sum(1 for page in pages if "prtMarkerSuppliesLevel" in page) < len(hosts) // 2:
            return None, "the exporter's printer module read too little"
        return elapsed, None
    finally:
        exporter.terminate()
        exporter.wait()


def scrape(url):
    try:
        return fetch(url)
    except OSError as error:  # the exporter answers 500 when the walk fails
        return str(error)


def _answers(url):
    try:
        fetch(url)
        return True
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--printers", type=int, default=100)
    parser.add_argument("--tool", default=os.path.join(HERE, "..", "build", "release", "tools", "pmsnmp"))
    options = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="pmsnmp-bench-serve-")
    os.chmod(folder, 0o755)  # snmpsimd runs as nobody
    port = free_port(socket.SOCK_DGRAM)
    hosts = ["%s:%d" % (address(i), port) for i in range(options.printers)]
    snmpsim = start_snmpsim(os.path.join(folder, "snmpsim"), options.printers, port)
    try:
        time.sleep(1)
        wait_for(lambda: subprocess.run([options.tool, "get", "-v", "2c", "-t", "500", "-r", "0", hosts[-1],
                                         "1.3.6.1.2.1.1.1.0"], capture_output=True).returncode == 0, 60)
        cycle, rss, descriptors, up = run_serve(options.tool, folder, hosts)
        print("serve: %d printers (%d answered), cycle %.2f s, RSS %.1f MiB, descriptors %d"
              % (options.printers, up, cycle, rss, descriptors))
        elapsed, reason = run_exporter(folder, hosts)
        if reason:
            print("serve vs snmp_exporter: skipped (%s)" % reason)
        else:
            print("serve vs snmp_exporter: %.2f (exporter %.2f s for the same pass, %d scrapes at a time)"
                  % (elapsed / cycle, elapsed, PARALLEL))
    finally:
        snmpsim.terminate()
        snmpsim.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
