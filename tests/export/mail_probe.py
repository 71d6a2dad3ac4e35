"""Reads the messages a local aiosmtpd Mailbox stored and prints them as JSON (headers decoded, the
attachment's name and a hex dump of its bytes)."""
import email
import email.policy
import json
import mailbox
import sys


def main():
    out = []
    for message in mailbox.Maildir(sys.argv[1], create=False):
        parsed = email.message_from_bytes(message.as_bytes(), policy=email.policy.default)
        body = parsed.get_body(preferencelist=("plain",))
        attachments = [{"name": part.get_filename(), "type": part.get_content_type(),
                        "hex": part.get_payload(decode=True).hex()} for part in parsed.iter_attachments()]
        out.append({"subject": str(parsed["subject"]), "to": str(parsed["to"]),
                    "body": body.get_content() if body is not None else None, "attachments": attachments})
    print(json.dumps(out))


if __name__ == "__main__":
    main()
