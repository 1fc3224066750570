"""A crafted SNMPv3 agent (user-based security at noAuthNoPriv and
authNoPriv, HMAC-MD5-96 and HMAC-SHA-96) for test_agent.py, built by hand so
that it can misbehave on purpose.

Scenario key "v3" (every key optional):
    engine_id   hex octets of the agent's engine identifier
    boots       msgAuthoritativeEngineBoots to start with (default 1)
    auth        "md5" | "sha" (default "sha"); phrase: the user's pass phrase
    mode        "normal" | "bad_digest" (Responses carry a wrong digest)
                | "not_in_time_window" (every request gets that report)
                | "unknown_engine_id" (every request, not probes, gets that report)
                | "silent" | "bad_version" (answers in message version 4)
                | "bad_max_size" (answers with msgMaxSize 100)
                | "empty_engine_id" (discovery reports carry no engine identifier)
                | "too_big" (every Response says tooBig)
    restart_after  after this many requests the engine restarts: boots + 1,
                time from 0; requests with the old boots get notInTimeWindow
Get answers come from the scenario's "table". The state file holds
{"count": requests, "probes": discovery probes}.
"""

import hashlib
import hmac
import json
import os
import select
import time

from test_agent import (TAG_INTEGER, TAG_OCTETS, TAG_SEQUENCE, TAG_COUNTER32, BerError,
                        dec_expect, dec_int, dec_oid, dec_tlv, enc_int_content, enc_oid_content,
                        enc_tlv, encode_value)

PDU_RESPONSE = 0xA2
PDU_REPORT = 0xA8
TAG_NO_SUCH_OBJECT = 0x80
FLAG_AUTH = 0x01
FLAG_REPORTABLE = 0x04
UNKNOWN_ENGINE_IDS = "1.3.6.1.6.3.15.1.1.4.0"
NOT_IN_TIME_WINDOWS = "1.3.6.1.6.3.15.1.1.2.0"
TIME_WINDOW = 150
HASHES = {"md5": hashlib.md5, "sha": hashlib.sha1}


def localized_key(hash_name, phrase, engine_id):
    """RFC 3414 A.2: a megabyte of the phrase hashed, then bound to the engine."""
    digest = HASHES[hash_name]
    phrase = phrase.encode()
    stretched = (phrase * (1048576 // len(phrase) + 1))[:1048576]
    ku = digest(stretched).digest()
    return digest(ku + engine_id + ku).digest()


class V3Message:
    def __init__(self, data):
        end = len(data)
        start, stop = dec_expect(data, 0, end, TAG_SEQUENCE)
        s, e = dec_expect(data, start, stop, TAG_INTEGER)
        if dec_int(data, s, e) != 3:
            raise BerError("not SNMPv3")
        hs, he = dec_expect(data, e, stop, TAG_SEQUENCE)
        s, e = dec_expect(data, hs, he, TAG_INTEGER)
        self.msg_id = dec_int(data, s, e)
        s, e = dec_expect(data, e, he, TAG_INTEGER)
        s, e = dec_expect(data, e, he, TAG_OCTETS)
        self.flags = data[s] if e > s else 0
        ps, pe = dec_expect(data, he, stop, TAG_OCTETS)
        us, ue = dec_expect(data, ps, pe, TAG_SEQUENCE)
        fields = []
        pos = us
        while pos < ue:
            tag, s, e = dec_tlv(data, pos, ue)
            fields.append(bytes(data[s:e]))
            pos = e
        self.engine_id, self.user = fields[0], fields[3]
        self.boots, self.time = int.from_bytes(fields[1], "big"), int.from_bytes(fields[2], "big")
        ss, se = dec_expect(data, pe, stop, TAG_SEQUENCE)
        s, e = dec_expect(data, ss, se, TAG_OCTETS)
        self.context_engine = bytes(data[s:e])
        s, e = dec_expect(data, e, se, TAG_OCTETS)
        self.context_name = bytes(data[s:e])
        self.pdu_tag, ps, pe = dec_tlv(data, e, se)
        s, e = dec_expect(data, ps, pe, TAG_INTEGER)
        self.request_id = dec_int(data, s, e)
        e = dec_expect(data, e, pe, TAG_INTEGER)[1]
        e = dec_expect(data, e, pe, TAG_INTEGER)[1]
        ls, le = dec_expect(data, e, pe, TAG_SEQUENCE)
        self.names, pos = [], ls
        while pos < le:
            bs, be = dec_expect(data, pos, le, TAG_SEQUENCE)
            os_, oe = dec_expect(data, bs, be, 0x06)
            self.names.append(dec_oid(data, os_, oe))
            pos = be


class V3Agent:
    def __init__(self, config, table):
        self.engine_id = bytes.fromhex(config.get("engine_id", "80001f88807063736e6d7033"))
        self.boots = int(config.get("boots", 1))
        self.auth = config.get("auth", "sha")
        self.phrase = config.get("phrase", "pmsv3phrase")
        self.mode = config.get("mode", "normal")
        self.restart_after = int(config.get("restart_after", 0))
        self.table = table
        self.started = time.monotonic()
        self.count = self.probes = 0
        self.key = localized_key(self.auth, self.phrase, self.engine_id)

    def engine_time(self):
        return int(time.monotonic() - self.started)

    def restart(self):
        self.boots += 1
        self.started = time.monotonic()

    def message(self, req, flags, pdu_tag, bindings, digest=None, engine_id=None, error=0):
        engine_id = self.engine_id if engine_id is None else engine_id
        vbs = b"".join(enc_tlv(TAG_SEQUENCE, enc_tlv(0x06, enc_oid_content(o)) + enc_tlv(t, c))
                       for o, t, c in bindings)
        pdu = enc_tlv(pdu_tag, enc_tlv(TAG_INTEGER, enc_int_content(req.request_id))
                      + enc_tlv(TAG_INTEGER, bytes([error])) + enc_tlv(TAG_INTEGER, b"\x00")
                      + enc_tlv(TAG_SEQUENCE, vbs))
        scoped = enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_OCTETS, engine_id)
                         + enc_tlv(TAG_OCTETS, req.context_name) + pdu)
        auth = flags & FLAG_AUTH
        placeholder = b"\x00" * 12 if auth else b""

        def whole(auth_params):
            usm = enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_OCTETS, engine_id)
                          + enc_tlv(TAG_INTEGER, enc_int_content(self.boots))
                          + enc_tlv(TAG_INTEGER, enc_int_content(self.engine_time()))
                          + enc_tlv(TAG_OCTETS, req.user if auth else b"")
                          + enc_tlv(TAG_OCTETS, auth_params) + enc_tlv(TAG_OCTETS, b""))
            version = 4 if self.mode == "bad_version" else 3
            max_size = 100 if self.mode == "bad_max_size" else 65507
            header = enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_INTEGER, enc_int_content(req.msg_id))
                             + enc_tlv(TAG_INTEGER, enc_int_content(max_size))
                             + enc_tlv(TAG_OCTETS, bytes([flags]))
                             + enc_tlv(TAG_INTEGER, b"\x03"))
            return enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_INTEGER, enc_int_content(version)) + header
                           + enc_tlv(TAG_OCTETS, usm) + scoped)

        if not auth:
            return whole(b"")
        if digest is None:
            digest = hmac.new(self.key, whole(placeholder), HASHES[self.auth]).digest()[:12]
        return whole(digest)

    def report(self, req, counter, authenticated, engine_id=None):
        flags = FLAG_AUTH if authenticated and req.flags & FLAG_AUTH else 0
        return self.message(req, flags, PDU_REPORT, [(counter, TAG_COUNTER32, b"\x01")],
                            engine_id=engine_id)

    def answer(self, req):
        if self.mode == "silent":
            return None
        if not req.engine_id:
            self.probes += 1
            empty = self.mode == "empty_engine_id"
            return self.report(req, UNKNOWN_ENGINE_IDS, False, b"" if empty else None)
        self.count += 1
        if self.restart_after and self.count == self.restart_after + 1:
            self.restart()
        if self.mode == "unknown_engine_id" or req.engine_id != self.engine_id:
            return self.report(req, UNKNOWN_ENGINE_IDS, False)
        stale = req.boots != self.boots or abs(req.time - self.engine_time()) > TIME_WINDOW
        if req.flags & FLAG_AUTH and (self.mode == "not_in_time_window" or stale):
            return self.report(req, NOT_IN_TIME_WINDOWS, True)
        bindings = []
        for name in req.names:
            kind_value = self.table.get(name)
            tag, content = encode_value(*kind_value) if kind_value else (TAG_NO_SUCH_OBJECT, b"")
            bindings.append((name, tag, content))
        forged = b"\x00\x01" * 6 if self.mode == "bad_digest" else None
        return self.message(req, req.flags & FLAG_AUTH, PDU_RESPONSE, bindings, forged,
                            error=1 if self.mode == "too_big" else 0)


def write_state(path, agent):
    if path:
        with open(path + ".tmp", "w") as f:
            json.dump({"count": agent.count, "probes": agent.probes}, f)
        os.replace(path + ".tmp", path)


def serve(sock, scenario, state_path, deadline):
    agent = V3Agent(scenario["v3"], scenario.get("table", {}))
    write_state(state_path, agent)
    print("PORT %d" % sock.getsockname()[1], flush=True)
    while time.monotonic() < deadline:
        readable, _, _ = select.select([sock], [], [], deadline - time.monotonic())
        if not readable:
            continue
        data, peer = sock.recvfrom(65535)
        try:
            req = V3Message(data)
        except (BerError, IndexError, ValueError):
            continue
        answer = agent.answer(req)
        write_state(state_path, agent)
        if answer is not None:
            sock.sendto(answer, peer)
    return 0
