"""A mail sink for the tests: Debian's aiosmtpd on 127.0.0.1, delivering into a maildir.

Optionally it speaks TLS from the first byte (--smtps), offers and requires STARTTLS
(--starttls), and asks for a login (--login USER PASSWORD). It runs until SIGTERM or SIGINT.
"""
import argparse
import signal
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import AuthResult, LoginPassword


def tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--maildir", required=True)
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--smtps", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--login", nargs=2, metavar=("USER", "PASSWORD"))
    args = parser.parse_args()

    options = {}
    if args.starttls:
        options["tls_context"] = tls_context(*args.starttls)
        options["require_starttls"] = True
    if args.smtps:
        options["ssl_context"] = tls_context(*args.smtps)
    if args.login:
        user, password = (s.encode() for s in args.login)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = isinstance(auth_data, LoginPassword) and (
                auth_data.login == user and auth_data.password == password)
            return AuthResult(success=ok, handled=False)

        options["authenticator"] = authenticator
        options["auth_required"] = True
        # Behind TLS from the first byte the server does not know it is encrypted, so it
        # is told only to require STARTTLS before a login where that is the way in.
        options["auth_require_tls"] = not args.smtps

    controller = Controller(Mailbox(args.maildir), hostname="127.0.0.1", port=args.port,
                            ready_timeout=10, **options)
    controller.start()
    print("listening", args.port, flush=True)

    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())
    stop.wait()
    controller.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
