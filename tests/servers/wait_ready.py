#!/usr/bin/env python3
"""wait_ready.py URL CAFILE SECONDS [PID]

Waits until URL answers any HTTP response (verifying its certificate against
CAFILE for https), for at most SECONDS, or until process PID has ended. Exit
status 0 when it answered. Never uses a proxy.
"""

import http.client
import os
import ssl
import sys
import time
import urllib.parse


def answers(url, cafile):
    parts = urllib.parse.urlsplit(url)
    if parts.scheme == "https":
        context = ssl.create_default_context(cafile=cafile)
        connection = http.client.HTTPSConnection(parts.hostname, parts.port, timeout=2,
                                                 context=context)
    else:
        connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=2)
    try:
        connection.request("GET", parts.path or "/")
        connection.getresponse().read()
        return True
    except OSError as error:  # ssl.SSLError is an OSError too
        answers.last_error = error
        return False
    finally:
        connection.close()


def running(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit("usage: " + __doc__.strip().splitlines()[0])
    url, cafile, limit = sys.argv[1], sys.argv[2], float(sys.argv[3])
    pid = int(sys.argv[4]) if len(sys.argv) == 5 else None
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if answers(url, cafile):
            return
        if pid is not None and not running(pid):
            sys.exit("%s: the server (pid %d) has exited" % (url, pid))
        time.sleep(0.1)
    sys.exit("%s did not answer within %g s: %s" % (url, limit, getattr(answers, "last_error", "")))


if __name__ == "__main__":
    main()
