#!/usr/bin/env python3
"""Scriptable SNMPv1/v2c test agent for the pmsnmp test suite.

It has its own small BER reader and writer on purpose: it must not share a
line of code with the library's codec, so that a codec fault shows up as a
failing exchange instead of two faults agreeing with each other.

Usage:
    test_agent.py [--scenario FILE] [--bind ADDR] [--lifetime SECONDS]
                  [--state FILE] [--drop-first N] [--delay-ms N]
                  [--too-big-above K] [--port N --reuse]

The first line on stdout is "PORT <n>" with the UDP port chosen by the
system (or given by --port). With --reuse several agents share one port:
bound to a broadcast address such as 127.255.255.255, each receives its own
copy of a broadcast and answers from its "answer_from" address. The agent serves until its lifetime ends or it receives SIGTERM.

Scenario (JSON object, every key optional):
    table          {"1.3.6.1...": ["integer"|"octets"|"hex"|"oid"|"null"|
                    "counter32"|"gauge32"|"timeticks"|"ipaddress"|
                    "counter64"|"opaque"|"wire", value]}; "wire" takes
                   "TT CC CC ...": the tag and the contents octets in hex,
                   sent as they are (over-long integers, odd encodings)
    answer_community  answers carry this community instead of the request's
    community      accept only this community (others are dropped)
    read_only      OIDs whose set answers readOnly (4)
    no_access      OIDs whose set answers noAccess (6)
    get_errors     {"1.3.6.1...": status}: a Get naming the OID answers that
                   error status, its index pointing at the OID
    too_big_above  answer tooBig (1) to requests of more than K bindings
    drop_first     ignore the first N requests (they are still counted)
    delay_ms       send every answer this many milliseconds late
    answer_from    send answers from a socket bound to this address
    before         list of extra datagrams sent ahead of each answer:
                   "stray" (another request id), "empty", "garbage", "truncated",
                   "bad_version", "long_length", "bad_binding" (the right
                   request id with an undecodable value), "other_version"
                   (the right request id in the other of SNMPv1/v2c)
    walk           "normal" | "stuck" (GetNext answers the requested names
                   themselves, so the walk does not advance)
    after          list of extra datagrams sent behind each answer: the kinds
                   of "before", or "answer" (the answer once more)
    endless        an OID whose subtree never ends: ROOT.1, ROOT.2, ..., each an
                   OCTET STRING of endless_octets (default 16) octets; or
                   {"root": "1.3.6.1...", "octets": N}
    stuck_after    an OID whose GetNext answers the OID itself (a walk that
                   stops advancing there, also inside a GetBulk answer)
    back_after     {"1.3.6.1...": "1.3.6.1..."}: GetNext of the first OID
                   answers the second, an earlier one (an answer out of order)
    duplicate_after_ms  send every answer once more this many ms after it
    withhold_answer  send only the "before" datagrams, never the answer
    request_id_prefix  hex octets written in front of the request id (as
                   four octets) in every answer: "0000" pads it, "0001"
                   makes it another, longer number
    count_only     keep only the request count in the state (long runs)
    empty_bulk     answer every GetBulk with no bindings and no error
    v3             an SNMPv3 agent instead, crafted to misbehave (test_agent_v3.py)
    answer_from_hosts  {"count": N, "ports": P}: each answer goes out once
                   from each of P sockets on each of N addresses 127.1.0.2,
                   127.1.0.3, ... (a crowd of agents, each on P ports)
    faults         {"rate": R, "seed": S, "delay_ms": D, "other_address": A}:
                   each request meets, with probability R, one fault picked
                   at random: no answer, an answer D ms late, garbage or a
                   truncated copy or another request id (then the answer
                   half of the time), tooBig, the answer from a second
                   socket on A (default 127.0.0.2, served too), or a GetNext
                   answered with the names asked for (a walk that does not
                   advance)

State file (rewritten after every request): {"count": n, "ids": [...],
"sizes": [...], "types": [...], "versions": [...], "communities": [...],
"ports": [...], "values": [...]} with the request identifiers, binding
counts, PDU types, versions, communities, source ports and counts of
bindings with a value other than NULL of the requests received, in order.
GetBulk (SNMPv2c) is answered as RFC 3416 says, up to max-repetitions
rounds, ending early once every repeater met the end of the view. A datagram
"COUNT?" is answered with "COUNT <n>".
"""

import argparse
import heapq
import json
import os
import random
import select
import signal
import socket
import sys
import time

# --- BER ------------------------------------------------------------------

TAG_INTEGER = 0x02
TAG_OCTETS = 0x04
TAG_NULL = 0x05
TAG_OID = 0x06
TAG_SEQUENCE = 0x30
TAG_IPADDRESS = 0x40
TAG_COUNTER32 = 0x41
TAG_GAUGE32 = 0x42
TAG_TIMETICKS = 0x43
TAG_OPAQUE = 0x44
TAG_COUNTER64 = 0x46
TAG_NO_SUCH_OBJECT = 0x80
TAG_NO_SUCH_INSTANCE = 0x81
TAG_END_OF_MIB_VIEW = 0x82

PDU_GET = 0xA0
PDU_GETNEXT = 0xA1
PDU_RESPONSE = 0xA2
PDU_SET = 0xA3
PDU_GETBULK = 0xA5

ERR_TOO_BIG = 1
ERR_NO_SUCH_NAME = 2
ERR_READ_ONLY = 4
ERR_NO_ACCESS = 6


class BerError(Exception):
    pass


def enc_length(n):
    if n < 0x80:
        return bytes([n])
    out = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(out)]) + out


def enc_tlv(tag, content):
    return bytes([tag]) + enc_length(len(content)) + content


def enc_int_content(n):
    length = 1
    while not -(1 << (8 * length - 1)) <= n < (1 << (8 * length - 1)):
        length += 1
    return n.to_bytes(length, "big", signed=True)


def enc_uint_content(n):
    # Unsigned kinds: minimal octets, with a leading 0 when the top bit is set.
    out = n.to_bytes(max(1, (n.bit_length() + 7) // 8), "big")
    if out[0] & 0x80:
        out = b"\x00" + out
    return out


def enc_oid_content(text):
    arcs = [int(a) for a in text.split(".")]
    if len(arcs) < 2:
        raise BerError("oid needs two arcs")
    out = bytearray()
    for sub in [40 * arcs[0] + arcs[1]] + arcs[2:]:
        groups = [sub & 0x7F]
        sub >>= 7
        while sub:
            groups.append(0x80 | (sub & 0x7F))
            sub >>= 7
        out += bytes(reversed(groups))
    return bytes(out)


def dec_tlv(data, pos, end):
    """Returns (tag, content start, content end) of the element at pos."""
    if pos + 2 > end:
        raise BerError("truncated header")
    tag = data[pos]
    first = data[pos + 1]
    pos += 2
    if first < 0x80:
        length = first
    else:
        count = first & 0x7F
        if count == 0 or count > 4 or pos + count > end:
            raise BerError("bad length")
        length = int.from_bytes(data[pos:pos + count], "big")
        pos += count
    if pos + length > end:
        raise BerError("content runs past the end")
    return tag, pos, pos + length


def dec_expect(data, pos, end, tag):
    got, start, stop = dec_tlv(data, pos, end)
    if got != tag:
        raise BerError("tag %#x, expected %#x" % (got, tag))
    return start, stop


def dec_int(data, start, stop):
    return int.from_bytes(data[start:stop], "big", signed=True) if stop > start else 0


def dec_oid(data, start, stop):
    subs, cur = [], 0
    for b in data[start:stop]:
        cur = (cur << 7) | (b & 0x7F)
        if not b & 0x80:
            subs.append(cur)
            cur = 0
    if not subs:
        return ""
    first = subs[0]
    head = [min(first // 40, 2)]
    head.append(first - 40 * head[0])
    return ".".join(str(a) for a in head + subs[1:])


def oid_key(text):
    return tuple(int(a) for a in text.split(".")) if text else ()


def encode_value(kind, value):
    """(type name, JSON value) of the scenario table -> (tag, content)."""
    if kind == "integer":
        return TAG_INTEGER, enc_int_content(int(value))
    if kind == "octets":
        return TAG_OCTETS, str(value).encode("utf-8")
    if kind == "hex":
        return TAG_OCTETS, bytes.fromhex(value)
    if kind == "opaque":
        return TAG_OPAQUE, bytes.fromhex(value)
    if kind == "oid":
        return TAG_OID, enc_oid_content(value)
    if kind == "null":
        return TAG_NULL, b""
    if kind in ("counter32", "gauge32", "timeticks", "counter64"):
        tag = {"counter32": TAG_COUNTER32, "gauge32": TAG_GAUGE32,
               "timeticks": TAG_TIMETICKS, "counter64": TAG_COUNTER64}[kind]
        return tag, enc_uint_content(int(value))
    if kind == "ipaddress":
        return TAG_IPADDRESS, socket.inet_aton(value)
    if kind == "wire":
        octets = bytes.fromhex(value)
        return octets[0], octets[1:]
    raise ValueError("unknown value type " + kind)


class Request:
    def __init__(self, version, community, pdu_tag, request_id, bindings, fields=(0, 0)):
        self.version = version
        self.community = community
        self.pdu_tag = pdu_tag
        self.request_id = request_id
        self.bindings = bindings  # [(oid text, tag, content)]
        # error status and index; a GetBulk's non-repeaters and max-repetitions
        self.fields = fields


def decode_request(data):
    end = len(data)
    start, stop = dec_expect(data, 0, end, TAG_SEQUENCE)
    s, e = dec_expect(data, start, stop, TAG_INTEGER)
    version = dec_int(data, s, e)
    s, e2 = dec_expect(data, e, stop, TAG_OCTETS)
    community = bytes(data[s:e2])
    pdu_tag, ps, pe = dec_tlv(data, e2, stop)
    s, e = dec_expect(data, ps, pe, TAG_INTEGER)
    request_id = dec_int(data, s, e)
    s, e = dec_expect(data, e, pe, TAG_INTEGER)
    first = dec_int(data, s, e)
    s, e = dec_expect(data, e, pe, TAG_INTEGER)
    second = dec_int(data, s, e)
    ls, le = dec_expect(data, e, pe, TAG_SEQUENCE)
    bindings, pos = [], ls
    while pos < le:
        bs, be = dec_expect(data, pos, le, TAG_SEQUENCE)
        os_, oe = dec_expect(data, bs, be, TAG_OID)
        vtag, vs, ve = dec_tlv(data, oe, be)
        bindings.append((dec_oid(data, os_, oe), vtag, bytes(data[vs:ve])))
        pos = be
    return Request(version, community, pdu_tag, request_id, bindings, (first, second))


def encode_response(version, community, request_id, error_status, error_index, bindings,
                    id_prefix=None):
    vbs = b"".join(
        enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_OID, enc_oid_content(oid)) + enc_tlv(tag, content))
        for oid, tag, content in bindings)
    id_content = enc_int_content(request_id)
    if id_prefix is not None:
        id_content = id_prefix + (request_id & 0xFFFFFFFF).to_bytes(4, "big")
    pdu = (enc_tlv(TAG_INTEGER, id_content)
           + enc_tlv(TAG_INTEGER, enc_int_content(error_status))
           + enc_tlv(TAG_INTEGER, enc_int_content(error_index))
           + enc_tlv(TAG_SEQUENCE, vbs))
    return enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_INTEGER, enc_int_content(version))
                   + enc_tlv(TAG_OCTETS, community) + enc_tlv(PDU_RESPONSE, pdu))


# --- the agent ------------------------------------------------------------

class Agent:
    def __init__(self, scenario):
        self.table = {}
        for oid, (kind, value) in scenario.get("table", {}).items():
            self.table[oid] = encode_value(kind, value)
        community = scenario.get("community")
        self.community = community.encode() if community is not None else None
        self.read_only = set(scenario.get("read_only", []))
        self.no_access = set(scenario.get("no_access", []))
        self.get_errors = {oid: int(status) for oid, status in scenario.get("get_errors", {}).items()}
        self.too_big_above = scenario.get("too_big_above")
        self.drop_first = int(scenario.get("drop_first", 0))
        self.delay = float(scenario.get("delay_ms", 0)) / 1000.0
        self.before = list(scenario.get("before", []))
        self.after = list(scenario.get("after", []))
        self.walk = scenario.get("walk", "normal")
        self.stuck_after = scenario.get("stuck_after")
        endless = scenario.get("endless")
        if isinstance(endless, str):
            endless = {"root": endless, "octets": scenario.get("endless_octets", 16)}
        self.endless = endless
        self.back_after = dict(scenario.get("back_after", {}))
        self.duplicate_after = float(scenario.get("duplicate_after_ms", -1)) / 1000.0
        self.withhold_answer = bool(scenario.get("withhold_answer", False))
        prefix = scenario.get("request_id_prefix")
        self.id_prefix = bytes.fromhex(prefix) if prefix is not None else None
        answer_community = scenario.get("answer_community")
        self.answer_community = answer_community.encode() if answer_community is not None else None
        self.count_only = bool(scenario.get("count_only", False))
        crowd = scenario.get("answer_from_hosts", {})
        self.crowd = (int(crowd.get("count", 0)), int(crowd.get("ports", 1)))
        self.faults = FaultInjector(scenario["faults"]) if "faults" in scenario else None
        self.empty_bulk = bool(scenario.get("empty_bulk", False))
        self.count = 0
        self.ids, self.sizes, self.types = [], [], []
        self.versions, self.communities, self.ports = [], [], []
        self.values = []

    def sorted_oids(self):
        return sorted(self.table, key=oid_key)

    def next_binding(self, oid):
        """The GetNext answer to oid (endOfMibView past the end), or None."""
        if self.walk == "stuck" or oid == self.stuck_after:
            return (oid,) + self.table.get(oid, (TAG_NULL, b""))
        if oid in self.back_after:
            earlier = self.back_after[oid]
            return (earlier,) + self.table.get(earlier, (TAG_NULL, b""))
        following = [o for o in self.sorted_oids() if oid_key(o) > oid_key(oid)]
        endless = self.endless_next(oid)
        if endless and (not following or oid_key(endless[0]) < oid_key(following[0])):
            return endless
        if following:
            return (following[0],) + self.table[following[0]]
        return None

    def endless_next(self, oid):
        """The endless column's cell after oid, or None past the column."""
        if not self.endless:
            return None
        root, key = self.endless["root"], oid_key(oid)
        base = oid_key(root)
        if key[:len(base)] == base and len(key) > len(base):
            row = key[len(base)] + 1
        elif key <= base:
            row = 1
        else:
            return None
        return ("%s.%d" % (root, row), TAG_OCTETS, b"x" * int(self.endless.get("octets", 16)))

    def bulk(self, req):
        """GetBulk: the non-repeaters once, then rounds of the others."""
        non_repeaters = max(0, min(req.fields[0], len(req.bindings)))
        names = [oid for oid, _, _ in req.bindings]
        out = []
        for oid in names[:non_repeaters]:
            out.append(self.next_binding(oid) or (oid, TAG_END_OF_MIB_VIEW, b""))
        repeaters = names[non_repeaters:]
        for _ in range(max(0, req.fields[1]) if repeaters else 0):
            found = [self.next_binding(oid) or (oid, TAG_END_OF_MIB_VIEW, b"") for oid in repeaters]
            out += found
            repeaters = [b[0] for b in found]
            if all(b[1] == TAG_END_OF_MIB_VIEW for b in found):
                break
        return 0, 0, out

    def answer(self, req):
        """The response bindings, error status and error index for req."""
        v1 = req.version == 0
        if req.pdu_tag == PDU_GETBULK and v1:
            return None
        if self.too_big_above is not None and len(req.bindings) > int(self.too_big_above):
            return ERR_TOO_BIG, 0, req.bindings
        if req.pdu_tag == PDU_GETBULK:
            return (0, 0, []) if self.empty_bulk else self.bulk(req)
        out = []
        for position, (oid, tag, content) in enumerate(req.bindings, start=1):
            if req.pdu_tag == PDU_GET:
                if oid in self.get_errors:
                    return self.get_errors[oid], position, req.bindings
                if oid in self.table:
                    out.append((oid,) + self.table[oid])
                elif v1:
                    return ERR_NO_SUCH_NAME, position, req.bindings
                else:
                    out.append((oid, TAG_NO_SUCH_OBJECT, b""))
            elif req.pdu_tag == PDU_GETNEXT:
                following = self.next_binding(oid)
                if following:
                    out.append(following)
                elif v1:
                    # End of view: SNMPv1 answers noSuchName, names unchanged.
                    return ERR_NO_SUCH_NAME, position, req.bindings
                else:
                    out.append((oid, TAG_END_OF_MIB_VIEW, b""))
            elif req.pdu_tag == PDU_SET:
                if oid in self.no_access:
                    return ERR_NO_ACCESS, position, req.bindings
                if oid in self.read_only:
                    return ERR_READ_ONLY, position, req.bindings
                if oid not in self.table:
                    return ERR_NO_SUCH_NAME, position, req.bindings
                out.append((oid, tag, content))
            else:
                return None
        if req.pdu_tag == PDU_SET:
            for oid, tag, content in out:
                self.table[oid] = (tag, content)
        return 0, 0, out

    def extras(self, req, answer, kinds):
        """Datagrams of the given kinds that go out beside the right answer."""
        out = []
        for kind in kinds:
            if kind == "answer":
                out.append(answer)
            elif kind == "stray":
                # Far from any identifier a concurrent client could be using.
                other = (req.request_id + 0x40000000) & 0xFFFFFFFF
                other = other - (1 << 32) if other >= (1 << 31) else other
                out.append(encode_response(req.version, req.community, other, 0, 0, req.bindings))
            elif kind == "empty":
                out.append(b"")
            elif kind == "garbage":
                out.append(b"\xde\xad\xbe\xef garbage \x00\xff")
            elif kind == "truncated":
                out.append(answer[:max(1, len(answer) // 2)])
            elif kind == "bad_version":
                out.append(encode_response(3, req.community, req.request_id, 0, 0, req.bindings))
            elif kind == "bad_binding":
                # The right request id, then a value of a type SNMP lacks.
                broken = [(oid, 0x99, b"") for oid, _, _ in req.bindings]
                out.append(encode_response(req.version, req.community, req.request_id, 0, 0, broken))
            elif kind == "other_version":
                out.append(encode_response(1 - req.version, self.community_of(req), req.request_id,
                                           0, 0, req.bindings))
            elif kind == "long_length":
                out.append(b"\x30\x84\x7f\xff\xff\xff" + answer[2:])
        return out

    def community_of(self, req):
        """The community answers to req carry."""
        return self.answer_community if self.answer_community is not None else req.community

    def record(self, req, peer):
        self.count += 1
        if self.count_only:
            return
        self.ports.append(peer[1])
        self.ids.append(req.request_id if req else None)
        self.sizes.append(len(req.bindings) if req else None)
        self.types.append(req.pdu_tag if req else None)
        self.versions.append(req.version if req else None)
        self.communities.append(req.community.decode("latin-1") if req else None)
        self.values.append(sum(1 for _, tag, _ in req.bindings if tag != TAG_NULL) if req else None)


# --- random faults (the soak's misbehaving agent) ---------------------------

class FaultInjector:
    KINDS = ("drop", "delay", "garbage", "truncated", "stray", "too_big", "other_address",
             "stuck_walk")

    def __init__(self, config):
        self.rate = float(config.get("rate", 0.3))
        self.delay = float(config.get("delay_ms", 2000)) / 1000.0
        self.other_address = config.get("other_address", "127.0.0.2")
        self.random = random.Random(config.get("seed", 1))

    def apply(self, req, answer):
        """(datagrams, extra delay, from the other socket) for one answer."""
        if self.random.random() >= self.rate:
            return [answer], 0.0, False
        kind = self.random.choice(self.KINDS)
        then = [answer] if self.random.random() < 0.5 else []
        if kind == "drop":
            return [], 0.0, False
        if kind == "delay":
            return [answer], self.delay, False
        if kind == "garbage":
            return [bytes(self.random.randrange(256) for _ in range(24))] + then, 0.0, False
        if kind == "truncated":
            return [answer[:self.random.randrange(1, len(answer))]] + then, 0.0, False
        if kind == "stray":
            other = (req.request_id + self.random.randrange(1, 1 << 20)) & 0x7FFFFFFF
            return [encode_response(req.version, req.community, other, 0, 0, req.bindings)] + then, 0.0, False
        if kind == "too_big":
            return [encode_response(req.version, req.community, req.request_id, ERR_TOO_BIG, 0,
                                    req.bindings)], 0.0, False
        if kind == "other_address":
            return [answer], 0.0, True
        if req.pdu_tag == PDU_GETNEXT:  # stuck_walk
            return [encode_response(req.version, req.community, req.request_id, 0, 0,
                                    req.bindings)], 0.0, False
        return [answer], 0.0, False


def write_state(path, agent):
    if not path:
        return
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        json.dump({"count": agent.count, "ids": agent.ids, "sizes": agent.sizes,
                   "types": agent.types, "versions": agent.versions,
                   "communities": agent.communities, "ports": agent.ports,
                   "values": agent.values}, f)
    os.replace(tmp, path)


def answer_from_crowd(answer, peer, hosts, ports):
    """Sends answer to peer from ports sockets on each of hosts addresses."""
    for host in range(1, hosts + 1):
        address = "127.1.%d.%d" % (host // 250, host % 250 + 1)
        sockets = [bind_udp(address) for _ in range(ports)]
        for out in sockets:
            out.sendto(answer, peer)
        for out in sockets:
            out.close()


def bind_udp(address, port=0, reuse=False):
    family = socket.AF_INET6 if ":" in address else socket.AF_INET
    sock = socket.socket(family, socket.SOCK_DGRAM)
    if reuse:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEPORT, 1)
    sock.bind((address, port))
    return sock


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--scenario")
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--lifetime", type=float, default=60.0)
    parser.add_argument("--state")
    parser.add_argument("--drop-first", type=int)
    parser.add_argument("--delay-ms", type=int)
    parser.add_argument("--too-big-above", type=int)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--reuse", action="store_true")
    args = parser.parse_args()

    scenario = {}
    if args.scenario:
        with open(args.scenario) as f:
            scenario = json.load(f)
    for key in ("drop_first", "delay_ms", "too_big_above"):
        if getattr(args, key) is not None:
            scenario[key] = getattr(args, key)

    # Loopback only: this agent is a test fixture. Inside a network
    # namespace that holds nothing but lo, every address is loopback.
    only_loopback = [name for _, name in socket.if_nameindex()] == ["lo"]
    if not (args.bind.startswith("127.") or args.bind == "::1" or only_loopback):
        sys.exit("test_agent: refusing to bind outside loopback")
    answer_from = scenario.get("answer_from")
    if answer_from and not (answer_from.startswith("127.") or answer_from == "::1"):
        sys.exit("test_agent: answer_from must be a loopback address")

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if "v3" in scenario:
        import test_agent_v3
        return test_agent_v3.serve(bind_udp(args.bind, args.port), scenario, args.state,
                                   time.monotonic() + args.lifetime)
    agent = Agent(scenario)
    sock = bind_udp(args.bind, args.port, args.reuse)
    reply_sock = bind_udp(answer_from) if answer_from else sock
    other_sock = bind_udp(agent.faults.other_address) if agent.faults else None
    if agent.faults and not agent.faults.other_address.startswith("127."):
        sys.exit("test_agent: other_address must be a loopback address")
    # The state exists before anyone learns the port.
    write_state(args.state, agent)
    print("PORT %d" % sock.getsockname()[1], flush=True)

    deadline = time.monotonic() + args.lifetime
    pending = []  # heap of (due, sequence, datagrams, peer, socket)
    sequence = 0
    while True:
        now = time.monotonic()
        if now >= deadline:
            break
        while pending and pending[0][0] <= now:
            _, _, datagrams, peer, out = heapq.heappop(pending)
            for datagram in datagrams:
                out.sendto(datagram, peer)
        wait = deadline - now
        if pending:
            wait = min(wait, max(0.0, pending[0][0] - now))
        readable, _, _ = select.select([sock] + ([other_sock] if other_sock else []), [], [], wait)
        if not readable:
            continue
        data, peer = readable[0].recvfrom(65535)
        out = reply_sock if answer_from else readable[0]
        if data == b"COUNT?":
            sock.sendto(b"COUNT %d" % agent.count, peer)
            continue
        try:
            req = decode_request(data)
        except (BerError, ValueError):
            req = None
        agent.record(req, peer)
        write_state(args.state, agent)
        if req is None or agent.count <= agent.drop_first:
            continue
        if agent.community is not None and req.community != agent.community:
            continue
        result = agent.answer(req)
        if result is None:
            continue
        error_status, error_index, bindings = result
        answer = encode_response(req.version, agent.community_of(req), req.request_id,
                                 error_status, error_index, bindings, agent.id_prefix)
        if agent.crowd[0] > 0:
            answer_from_crowd(answer, peer, *agent.crowd)
            continue
        sequence += 1
        datagrams = (agent.extras(req, answer, agent.before) + ([] if agent.withhold_answer else [answer])
                     + agent.extras(req, answer, agent.after))
        delay = agent.delay
        if agent.faults:
            datagrams, late, other = agent.faults.apply(req, answer)
            delay += late
            out = (sock if readable[0] is other_sock else other_sock) if other else out
        heapq.heappush(pending, (time.monotonic() + delay, sequence, datagrams, peer, out))
        if agent.duplicate_after >= 0:
            sequence += 1
            heapq.heappush(pending, (time.monotonic() + delay + agent.duplicate_after, sequence,
                                     [answer], peer, out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
