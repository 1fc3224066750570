"""A crafted SNMPv3 agent (user-based security at noAuthNoPriv, authNoPriv
and authPriv, HMAC-MD5-96 and HMAC-SHA-96, CFB128-AES-128) for test_agent.py,
built by hand so that it can misbehave on purpose.

Scenario key "v3" (every key optional):
    engine_id   hex octets of the agent's engine identifier
    boots       msgAuthoritativeEngineBoots to start with (default 1)
    auth        "md5" | "sha" (default "sha"); phrase: the user's pass phrase
    priv_phrase the user's privacy pass phrase (AES; default "pmsv3privacy")
    bulk_limit  GetBulk asking for more repetitions than this gets tooBig;
                otherwise it walks the table
    mode        "normal" | "bad_digest" (Responses carry a wrong digest)
                | "not_in_time_window" (every request gets that report)
                | "unknown_engine_id" (every request, not probes, gets that report)
                | "silent" | "bad_version" (answers in message version 4)
                | "bad_max_size" (answers with msgMaxSize 100)
                | "empty_engine_id" (discovery reports carry no engine identifier)
                | "too_big" (every Response says tooBig)
    restart_after  after this many requests the engine restarts: boots + 1,
                time from 0; requests with the old boots get notInTimeWindow
    precede     "forged" (each Response follows a copy with a wrong digest and
                every value "impostor") | "garbage" (follows octets that are no
                message)
Get answers come from the scenario's "table". The state file holds
{"count": requests, "probes": discovery probes}.
"""

import hashlib
import hmac
import json
import os
import select
import time

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

from test_agent import (TAG_INTEGER, TAG_OCTETS, TAG_SEQUENCE, TAG_COUNTER32, BerError,
                        dec_expect, dec_int, dec_oid, dec_tlv, enc_int_content, enc_oid_content,
                        enc_tlv, encode_value, oid_key)

PDU_RESPONSE = 0xA2
PDU_GET_BULK = 0xA5
TAG_END_OF_MIB_VIEW = 0x82
TAG_NULL = 0x05
PDU_REPORT = 0xA8
TAG_NO_SUCH_OBJECT = 0x80
FLAG_AUTH = 0x01
FLAG_PRIV = 0x02
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


def aes_cfb(key, boots, engine_time, salt, data, encrypt):
    """RFC 3826 3.1: the IV is boots, time and the 8-octet salt."""
    iv = boots.to_bytes(4, "big") + engine_time.to_bytes(4, "big") + salt
    cipher = Cipher(algorithms.AES(key[:16]), modes.CFB(iv))
    work = cipher.encryptor() if encrypt else cipher.decryptor()
    return work.update(data) + work.finalize()


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
        self.salt = fields[5]
        if self.flags & FLAG_PRIV:
            s, e = dec_expect(data, pe, stop, TAG_OCTETS)
            self.encrypted = bytes(data[s:e])
            # Until decrypted, as a report to an unknown engine carries them.
            self.request_id, self.context_name, self.pdu_tag, self.names = 0, b"", 0, []
        else:
            self.read_scoped(data, pe, stop)

    def read_scoped(self, data, start, stop):
        ss, se = dec_expect(data, start, stop, TAG_SEQUENCE)
        s, e = dec_expect(data, ss, se, TAG_OCTETS)
        self.context_engine = bytes(data[s:e])
        s, e = dec_expect(data, e, se, TAG_OCTETS)
        self.context_name = bytes(data[s:e])
        self.pdu_tag, ps, pe = dec_tlv(data, e, se)
        s, e = dec_expect(data, ps, pe, TAG_INTEGER)
        self.request_id = dec_int(data, s, e)
        s, e = dec_expect(data, e, pe, TAG_INTEGER)
        self.non_repeaters = dec_int(data, s, e)
        s, e = dec_expect(data, e, pe, TAG_INTEGER)
        self.max_repetitions = dec_int(data, s, e)
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
        self.bulk_limit = int(config.get("bulk_limit", 1 << 30))
        self.mode = config.get("mode", "normal")
        self.restart_after = int(config.get("restart_after", 0))
        self.precede = config.get("precede", "")
        self.table = table
        self.started = time.monotonic()
        self.count = self.probes = 0
        self.key = localized_key(self.auth, self.phrase, self.engine_id)
        self.priv_key = localized_key(self.auth, config.get("priv_phrase", "pmsv3privacy"),
                                      self.engine_id)

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
        engine_time = self.engine_time()
        salt = b""
        if flags & FLAG_PRIV:
            salt = os.urandom(8)
            scoped = enc_tlv(TAG_OCTETS, aes_cfb(self.priv_key, self.boots, engine_time, salt,
                                                 scoped, True))

        def whole(auth_params):
            usm = enc_tlv(TAG_SEQUENCE, enc_tlv(TAG_OCTETS, engine_id)
                          + enc_tlv(TAG_INTEGER, enc_int_content(self.boots))
                          + enc_tlv(TAG_INTEGER, enc_int_content(engine_time))
                          + enc_tlv(TAG_OCTETS, req.user if auth else b"")
                          + enc_tlv(TAG_OCTETS, auth_params) + enc_tlv(TAG_OCTETS, salt))
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
        if req.flags & FLAG_PRIV:
            plain = aes_cfb(self.priv_key, req.boots, req.time, req.salt, req.encrypted, False)
            req.read_scoped(plain, 0, len(plain))
        stale = req.boots != self.boots or abs(req.time - self.engine_time()) > TIME_WINDOW
        if req.flags & FLAG_AUTH and (self.mode == "not_in_time_window" or stale):
            return self.report(req, NOT_IN_TIME_WINDOWS, True)
        error = 1 if self.mode == "too_big" else 0
        if req.pdu_tag == PDU_GET_BULK and req.max_repetitions > self.bulk_limit:
            bindings, error = [(name, TAG_NULL, b"") for name in req.names], 1
        elif req.pdu_tag == PDU_GET_BULK:
            bindings = self.bulk(req.names, req.max_repetitions)
        else:
            bindings = [(name,) + self.value(name) for name in req.names]
        forged = b"\x00\x01" * 6 if self.mode == "bad_digest" else None
        flags = req.flags & (FLAG_AUTH | FLAG_PRIV)
        genuine = self.message(req, flags, PDU_RESPONSE, bindings, forged, error=error)
        if self.precede == "garbage":
            return [b"\x30\x03\x02\x01", genuine]
        if self.precede == "forged":
            impostor = [(o, TAG_OCTETS, b"impostor") for o, _, _ in bindings]
            return [self.message(req, flags, PDU_RESPONSE, impostor, b"\x00\x01" * 6), genuine]
        return genuine

    def value(self, name):
        kind_value = self.table.get(name)
        return encode_value(*kind_value) if kind_value else (TAG_NO_SUCH_OBJECT, b"")

    def bulk(self, names, repetitions):
        """Every name a repeater (no non-repeaters), row by row."""
        ordered = sorted(self.table, key=oid_key)
        bindings, current = [], list(names)
        for _ in range(repetitions):
            for i, name in enumerate(current):
                following = [o for o in ordered if oid_key(o) > oid_key(name)]
                current[i] = following[0] if following else name
                bindings.append((current[i],) + (self.value(current[i]) if following
                                                 else (TAG_END_OF_MIB_VIEW, b"")))
        return bindings


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
            answer = agent.answer(V3Message(data))
        except (BerError, IndexError, ValueError):
            continue
        write_state(state_path, agent)
        for datagram in answer if isinstance(answer, list) else [answer]:
            if datagram is not None:
                sock.sendto(datagram, peer)
    return 0
