#!/usr/bin/env python3
"""Pins what wixl leaves to chance in an installer's summary information:
the package code, drawn at random, and the times it was made and saved,
taken from the clock. The times become SOURCE_DATE_EPOCH's; the package code
is derived from everything else in the file, so that it still changes
whenever the package does, as Windows requires.

    pin_msi.py INSTALLER EPOCH
"""
import hashlib
import re
import sys
import uuid

# The revision number, which holds the package code: a 39-byte string.
PACKAGE_CODE = re.compile(rb"\x1e\x00\x00\x00\x27\x00\x00\x00(\{[0-9A-F-]{36}\})\x00")
# The creation and last-save times right after it, each a FILETIME.
TIMES = re.compile(rb"\x00*\x40\x00\x00\x00(.{8})\x40\x00\x00\x00(.{8})", re.S)
FILETIME_EPOCH_SECONDS = 11644473600  # 1601-01-01 to 1970-01-01


def main(path, epoch):
    with open(path, "rb") as stream:
        data = bytearray(stream.read())
    codes = list(PACKAGE_CODE.finditer(data))
    if len(codes) != 1:
        sys.exit(f"{path}: {len(codes)} package codes found where one was expected")
    code = codes[0]
    times = TIMES.match(data, code.end())
    if times is None:
        sys.exit(f"{path}: no creation and save times after the package code")
    filetime = ((int(epoch) + FILETIME_EPOCH_SECONDS) * 10_000_000).to_bytes(8, "little")
    data[times.start(1) : times.end(1)] = filetime
    data[times.start(2) : times.end(2)] = filetime
    data[code.start(1) : code.end(1)] = b"{" + b"0" * 36 + b"}"
    derived = uuid.UUID(bytes=hashlib.sha256(data).digest()[:16], version=5)
    data[code.start(1) : code.end(1)] = ("{%s}" % str(derived).upper()).encode()
    with open(path, "wb") as stream:
        stream.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
