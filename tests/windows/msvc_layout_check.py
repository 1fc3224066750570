#!/usr/bin/env python3
"""Lays out every public interface as a host built with MSVC sees it and as
pmsnmp.dll (GCC, the Itanium ABI) builds it, both with clang and no Microsoft
file, and checks that the DLL's objects serve MSVC hosts: the same slots in
the same order, the same calling conventions, IPmsOid's virtual base where
value/oid_msvc_view.h expects it, and that header's slot counts.
    msvc_layout_check.py CLANG INCLUDE_DIR STAND_IN_DIR OID_MSVC_VIEW_H"""
import re
import subprocess
import sys
import tempfile

clang, include, stand_in, view_header = sys.argv[1:5]
interfaces = ["IPmcByteString", "IPmsValueVisitor", "IPmsValue", "IPmsOid", "IPmsVarBind",
              "IPmsVarBindList", "IPmsPdu", "IPmcPtrList<IPmsPdu>", "IPmcGetData"]
failures = []


def dump(target):
    # A virtual call through each interface makes clang lay out its table.
    call = {"IPmsValueVisitor": "visit_null(nullptr)", "IPmsOid": "clone_oid(nullptr)"}
    source = "#include <pmsnmp/get_data.h>\n" + "".join(
        f"void touch{i}({name}* p) {{ p->{call.get(name, 'release()')}; }}\n" for i, name in enumerate(interfaces))
    with tempfile.NamedTemporaryFile("w", suffix=".cpp") as unit:
        unit.write(source)
        unit.flush()
        run = subprocess.run(
            [clang, f"--target={target}", "-std=c++17", "-ffreestanding", "-nostdinc++",
             "-I", stand_in, "-I", include, "-Xclang", "-fdump-vtable-layouts",
             "-Xclang", "-fdump-record-layouts", "-S", "-o", "/dev/null", unit.name],
            capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"clang for {target} failed:\n{run.stderr}")
    return run.stdout


def slots(text):
    """Interface -> [(index, signature)] in table order."""
    tables = {}
    for match in re.finditer(r"^VF?Table indices for '([^']+)' \(\d+ entries\)\.\n((?:\s+\d+ \|.*\n)+)",
                             text, re.M):
        tables[match.group(1)] = [(int(i), s.strip()) for i, s in
                                  re.findall(r"^\s+(\d+) \| (.*)$", match.group(2), re.M)]
    return tables


def record(text, name):
    match = re.search(r"^\s+0 \| class " + re.escape(name) + r"\n((?:.*\n)*?)\s+\| \[sizeof=(\d+)", text, re.M)
    return (re.sub(r"\s+", " ", match.group(1)).strip(), int(match.group(2))) if match else (None, 0)


def methods(text):
    return sorted(set(re.findall(r"CXXMethodDecl .* col:\d+ (\w+ '.*') virtual pure", text)))


def expect(condition, what):
    if not condition:
        failures.append(what)


msvc, gnu = dump("i686-pc-windows-msvc"), dump("i686-w64-windows-gnu")
msvc_slots, gnu_slots = slots(msvc), slots(gnu)
view = open(view_header).read()
value_slots = int(re.search(r"PMS_VALUE_SLOTS = (\d+);", view).group(1))
oid_slots = int(re.search(r"PMS_OID_OWN_SLOTS = (\d+);", view).group(1))

for name in interfaces:
    table = name.split("<")[0]
    ours, theirs = gnu_slots.get(table, []), msvc_slots.get(table, [])
    first = value_slots if name == "IPmsOid" else 0
    expect([s for _, s in ours] == [s for _, s in theirs] and theirs,
           f"{name}: MSVC orders the slots otherwise:\n  ours   {ours}\n  theirs {theirs}")
    expect([i for i, _ in ours] == list(range(first, first + len(ours))), f"{name}: our slots {ours}")
    expect([i for i, _ in theirs] == list(range(len(theirs))), f"{name}: MSVC slots {theirs}")
    if name != "IPmsOid":
        layout = record(msvc, name.replace("<", "<class "))
        expect(layout == (f"0 | ({table} vftable pointer)", 4), f"{name}: MSVC layout {layout}")

expect(len(gnu_slots.get("IPmsValue", [])) == value_slots, f"IPmsValue has not {value_slots} slots")
expect(len(gnu_slots.get("IPmsOid", [])) == oid_slots, f"IPmsOid has not {oid_slots} slots of its own")
expect(f"Vtable for 'IPmsOid' ({3 + 2 * value_slots + oid_slots} entries)" in gnu,
       "IPmsOid's GCC table is not the vbase offset, a vcall offset per IPmsValue slot, both tables")
expect(record(gnu, "IPmsOid")[0].startswith("0 | class IPmsValue (primary virtual base)"),
       f"IPmsOid's GCC layout {record(gnu, 'IPmsOid')}")
expect(record(msvc, "IPmsOid") == ("0 | (IPmsOid vftable pointer) 4 | (IPmsOid vbtable pointer) "
                                   "8 | class IPmsValue (virtual base) 8 | (IPmsValue vftable pointer)", 12),
       f"IPmsOid's MSVC layout {record(msvc, 'IPmsOid')}")
expect(methods(msvc) == methods(gnu) and len(methods(gnu)) > 100, "calling conventions differ")

for failure in failures:
    print(failure)
print(f"{len(failures)} failed")
sys.exit(1 if failures else 0)
