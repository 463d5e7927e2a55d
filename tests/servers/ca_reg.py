#!/usr/bin/env python3
"""ca_reg.py CA_PEM

Prints a REGEDIT4 file that adds the certificate in CA_PEM to the current
user's "Root" store of a Wine prefix, as crypt32 keeps it in the registry: a
"Blob" of property records (id, 1, length as little-endian 32-bit numbers, then
the bytes), here property 3 (SHA-1 hash) and 32 (the DER certificate).
"""

import hashlib
import ssl
import struct
import sys

SHA1_HASH_PROP_ID = 3
CERT_PROP_ID = 32
STORE_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates"


def property_record(prop_id, data):
    return struct.pack("<III", prop_id, 1, len(data)) + data


def reg_hex(data, per_line=24):
    pairs = ["%02x" % b for b in data]
    lines = [",".join(pairs[i:i + per_line]) for i in range(0, len(pairs), per_line)]
    return ",\\\n  ".join(lines)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: ca_reg.py CA_PEM")
    with open(sys.argv[1]) as f:
        der = ssl.PEM_cert_to_DER_cert(f.read())
    sha1 = hashlib.sha1(der).digest()
    blob = property_record(SHA1_HASH_PROP_ID, sha1) + property_record(CERT_PROP_ID, der)
    sys.stdout.write("REGEDIT4\n\n[%s\\%s]\n\"Blob\"=hex:%s\n\n"
                     % (STORE_KEY, sha1.hex().upper(), reg_hex(blob)))


if __name__ == "__main__":
    main()
