"""An FTP server for the tests that allows data connections one way only.

pyftpdlib (Debian's python3-pyftpdlib) on 127.0.0.1, serving a folder to one user who may
write there, with either the active commands (PORT, EPRT) or the passive ones (PASV, EPSV)
answered 502, as servers that a firewall or their owner restricts do.
"""
import argparse

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def refuse(self, line):
    self.respond("502 Not allowed on this server.")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", choices=("passive", "active"), required=True)
    parser.add_argument("-p", "--port", type=int, required=True)
    parser.add_argument("-d", "--directory", required=True)
    parser.add_argument("-u", "--user", required=True)
    parser.add_argument("-P", "--password", required=True)
    options = parser.parse_args()

    refused = ("ftp_PORT", "ftp_EPRT") if options.only == "passive" else ("ftp_PASV", "ftp_EPSV")
    handler = type("OneWayHandler", (FTPHandler,), {name: refuse for name in refused})
    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.directory, perm="elradfmwMT")
    handler.authorizer = authorizer
    FTPServer(("127.0.0.1", options.port), handler).serve_forever()


if __name__ == "__main__":
    main()
