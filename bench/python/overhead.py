"""The overhead of the Python module: the same 3000-recipient send from Python and from C++
(orvulink_py_send_3000) against one simulator over HTTPS, in one run; prints the ratio.

    PYTHONPATH=BUILD/python/module python3 bench/python/overhead.py BUILD [ROUNDS]
"""
import json
import os
import ssl
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

import orvulink

RECIPIENTS = 3000
NUMBERS = [f"+39333{1000000 + i}" for i in range(RECIPIENTS)]


def python_round(send_list, group):
    start = time.perf_counter()
    send_list.Clear()
    if group:
        send_list.AddGroupMessage(NUMBERS, "Sale starts Monday", "OrvuShop")
    else:
        for number in NUMBERS:
            send_list.AddMessage(number, "Sale starts Monday", "OrvuShop")
    assert send_list.SendMessage() and send_list.CountMessageForward == RECIPIENTS
    return time.perf_counter() - start


def main():
    build, rounds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 7
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, "accounts.json"), "w") as f:
        json.dump({"accounts": [{"user": "demo", "password": "demo-password",
                                 "credit": 1e9}]}, f)
    ca = os.path.join(folder, "ca.pem")
    simulator = subprocess.Popen(
        [os.path.join(build, "tools/gateway-sim/orvulink-gateway"), "--tls", "--write-ca", ca,
         "--accounts", os.path.join(folder, "accounts.json")], stdout=subprocess.PIPE, text=True)
    try:
        url = simulator.stdout.readline().split()[-1]
        os.environ.update(ORVULINK_GATEWAY_HOST=url.removeprefix("https://"), ORVULINK_CA_FILE=ca)
        control = orvulink.OrvuLinkActiveX()
        control.UserName, control.Password = "demo", "demo-password"
        control.EncryptSSL, control.AutomaticProxy = True, False
        reset = urllib.request.Request(url + "/control/reset", data=b"", method="POST")
        tls = ssl.create_default_context(cafile=ca)
        for mode in ("group", "single"):
            cpp, py = [], []
            # Alternating batches on a reset simulator: neither side sees a fuller gateway.
            for _ in range(3):
                urllib.request.urlopen(reset, context=tls).read()
                cpp.append(float(subprocess.check_output(
                    [os.path.join(build, "python/orvulink_py_send_3000"), str(rounds), mode])))
                urllib.request.urlopen(reset, context=tls).read()
                py.append(statistics.median(python_round(control.MessagesToSend, mode == "group")
                                            for _ in range(rounds)))
            cpp, py = statistics.median(cpp), statistics.median(py)
            print(f"{mode:6} send of {RECIPIENTS}: C++ {cpp * 1000:7.2f} ms  "
                  f"Python {py * 1000:7.2f} ms  ratio {py / cpp:.3f}")
    finally:
        simulator.terminate()
        simulator.wait()


if __name__ == "__main__":
    main()
