#!/usr/bin/python3
"""A loopback FTP server for the tests: host port user password folder [slow].

Prints "ready" once it listens; ends when its standard input closes (so it
never outlives the test that started it) or when killed. "slow" makes files
trickle out, so a test can stop the server in the middle of one.
"""
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer


def main():
    host, port, user, password, folder = sys.argv[1:6]
    slow = len(sys.argv) > 6 and sys.argv[6] == "slow"
    # Sessions and errors only; a run of 99 transfers would flood the test output.
    config_logging(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, folder, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    if slow:
        dtp = ThrottledDTPHandler
        dtp.read_limit = 32 * 1024   # uploads
        dtp.write_limit = 32 * 1024  # downloads
        handler.dtp_handler = dtp
    server = FTPServer((host, int(port)), handler)
    print("ready", flush=True)

    def watch_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever(timeout=0.2)


if __name__ == "__main__":
    main()
