#!/usr/bin/env python3
"""Sends one text to one or more recipients from Python, follows the send's progress events
and prints what became of each recipient.

    ORVULINK_EXAMPLE_USER=... ORVULINK_EXAMPLE_PASSWORD=... \\
        python3 send.py SENDER TEXT NUMBER... [--at "YYYY-MM-DD HH:MM"]

The gateway is the built-in one, or ORVULINK_GATEWAY_HOST (and ORVULINK_CA_FILE for a
private CA), as for every OrvuLink host.
"""
import argparse
import datetime
import os
import sys

import orvulink


def main():
    parser = argparse.ArgumentParser(description="Send an SMS through OrvuLink.")
    parser.add_argument("sender")
    parser.add_argument("text")
    parser.add_argument("numbers", nargs="+")
    parser.add_argument("--at", type=lambda text: datetime.datetime.strptime(text, "%Y-%m-%d %H:%M"),
                        help='local send time, "YYYY-MM-DD HH:MM" (default: at once)')
    args = parser.parse_args()

    control = orvulink.OrvuLinkActiveX()
    control.UserName = os.environ["ORVULINK_EXAMPLE_USER"]  # only its MD5 digest travels
    control.Password = os.environ["ORVULINK_EXAMPLE_PASSWORD"]

    send_list = control.MessagesToSend
    steps = {0: "composing", 1: "sending", 2: "reading the answer", 3: "done"}
    send_list.ProgresSend.connect(lambda step: print(f"[{steps[step]}]", file=sys.stderr))
    try:
        # One send group: the same text to every number, one order ID for all of them.
        send_list.AddGroupMessage(args.numbers, args.text, args.sender, args.at)
        send_list.SendMessage()
    except orvulink.AutomationError as error:
        print(f"error {error.number}: {error.description}", file=sys.stderr)
        return 1
    for message in send_list:  # a bad number is not an exception: its Status tells
        order_ids = ",".join(message.OrderID or [])
        status = message.Status.name.removeprefix("ORVULINK_MESSAGESEND_")
        print(f"{message.PhoneGsm}: {status} {message.NumSMS} SMS {order_ids}")
    return 0 if send_list.CountMessageError == 0 else 3


if __name__ == "__main__":
    sys.exit(main())
