#!/usr/bin/env python3
"""Writes the small seed files of fuzz/corpus/plist/ with Python's own plistlib."""
import datetime
import pathlib
import plistlib
import struct

out = pathlib.Path(__file__).parent / "corpus" / "plist"
out.mkdir(parents=True, exist_ok=True)

entries = [
    {"isAllowed": False, "location": {"bundle": {"_0": "com.example.app"}}},
    {"isAllowed": True, "location": {"bundle": {"_0": "com.example.other"}},
     "menuItemLocations": [{"bundle": {"_0": "com.example.other"}}, "adhoc"]},
]
blob = plistlib.dumps(entries, fmt=plistlib.FMT_BINARY)
outer = {"trackedApplications": blob, "version": 3}
kinds = {
    "integer": -42, "big": 2**62, "real": 0.5, "true": True, "false": False,
    "string": "h\u00e9llo \u2713", "empty": "", "data": b"a\x00b",
    "date": datetime.datetime(2000, 12, 31, 23, 59, 30),
    "array": [[], {}, 1], "uid": plistlib.UID(7),
}

(out / "control-center.xml").write_bytes(plistlib.dumps(outer, fmt=plistlib.FMT_XML))
(out / "control-center.bplist").write_bytes(plistlib.dumps(outer, fmt=plistlib.FMT_BINARY))
(out / "tracked-apps.bplist").write_bytes(blob)
xml_kinds = dict(kinds)
del xml_kinds["uid"]
(out / "kinds.xml").write_bytes(plistlib.dumps(xml_kinds, fmt=plistlib.FMT_XML))
(out / "kinds.bplist").write_bytes(plistlib.dumps(kinds, fmt=plistlib.FMT_BINARY))

# Three levels of an array that refers to the level below twice.
objects = [b"\x09", b"\xa2\x00\x00", b"\xa2\x01\x01", b"\xa2\x02\x02"]
body = b"bplist00"
offsets = []
for obj in objects:
    offsets.append(len(body))
    body += obj
table = len(body)
body += bytes(offsets) + b"\0" * 6 + bytes([1, 1]) + struct.pack(">QQQ", len(objects), 3, table)
(out / "shared-references.bplist").write_bytes(body)
