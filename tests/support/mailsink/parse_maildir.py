"""Reads every message of a maildir's new/ folder with Python's email parser and prints, per
message, its header fields and its body as hex, one "NAME HEX" line each, "End 00" after each
message."""
import email
import pathlib
import sys

for path in sorted(pathlib.Path(sys.argv[1]).iterdir()):
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f)
    for key in ("From", "To", "Subject", "Date", "X-Mailer", "X-RcptTo"):
        print(key, (msg[key] or "").encode("latin-1").hex())
    body = msg.get_payload().replace("\r\n", "\n")
    print("Body", body.encode("latin-1").hex())
    print("End", "00")
