"""An FTP server over TLS for the tests: pyftpdlib's TLS handler (python3-openssl).

Explicit (RFC 4217: AUTH TLS, then PBSZ and PROT) or implicit (TLS from the first byte), on
127.0.0.1, serving a folder to one user who may write there. The certificate file holds the
certificate and its key. Plain-text logins and data connections are refused.
"""
import argparse

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.servers import FTPServer


class ImplicitHandler(TLS_FTPHandler):
    # pyftpdlib has no implicit mode of its own: its AUTH TLS step, run before the greeting,
    # so that the greeting already goes through TLS. Nothing it refuses is let through.
    def handle(self):
        self.secure_connection(self.ssl_context)
        super().handle()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("-p", "--port", type=int, required=True)
    parser.add_argument("-d", "--directory", required=True)
    parser.add_argument("-u", "--user", required=True)
    parser.add_argument("-P", "--password", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--implicit", action="store_true")
    options = parser.parse_args()

    handler = ImplicitHandler if options.implicit else TLS_FTPHandler
    handler.certfile = options.cert
    handler.tls_control_required = True
    handler.tls_data_required = True
    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.directory, perm="elradfmwMT")
    handler.authorizer = authorizer
    FTPServer(("127.0.0.1", options.port), handler).serve_forever()


if __name__ == "__main__":
    main()
