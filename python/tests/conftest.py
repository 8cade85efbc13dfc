"""The gateway simulator over HTTPS for the whole session, and a control signed in to it."""
import json
import os
import ssl
import subprocess
import urllib.request

import pytest

import orvulink

ACCOUNTS = {"accounts": [{
    "user": "demo", "password": "demo-password", "credit": 100000.5,
    "failing": [{"phone": "+393338888888", "reason": 111}],
    "reception_keys": ["K1", {"key": "K2", "messages": [
        {"sender": "+393331234567", "text": "Ciao, lunedì?", "sent": "2006-01-20 10:15:00"}]}],
}]}


class Simulator:
    def __init__(self, folder):
        (folder / "accounts.json").write_text(json.dumps(ACCOUNTS))
        ca = folder / "ca.pem"
        self.process = subprocess.Popen(
            [os.environ["ORVULINK_GATEWAY_BIN"], "--tls", "--write-ca", str(ca),
             "--accounts", str(folder / "accounts.json")], stdout=subprocess.PIPE, text=True,
            env={k: v for k, v in os.environ.items() if k != "LD_PRELOAD"})  # for sanitizer builds
        self.url = self.process.stdout.readline().split()[-1]
        self.tls = ssl.create_default_context(cafile=str(ca))
        for proxy in ("http_proxy", "https_proxy", "all_proxy", "no_proxy"):
            os.environ.pop(proxy, None)
            os.environ.pop(proxy.upper(), None)
        os.environ["ORVULINK_GATEWAY_HOST"] = self.url.removeprefix("https://")
        os.environ["ORVULINK_CA_FILE"] = str(ca)

    def control(self, route, body=None):
        """POSTs (or GETs without a body) to the simulator's control endpoint."""
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.url + "/control/" + route, data=data,
                                         method="GET" if route == "requests" else "POST")
        with urllib.request.urlopen(request, context=self.tls) as answer:
            text = answer.read()
        return json.loads(text) if text else None


@pytest.fixture(scope="session")
def gateway(tmp_path_factory):
    simulator = Simulator(tmp_path_factory.mktemp("gateway"))
    yield simulator
    simulator.process.terminate()
    simulator.process.wait()


def sign_in(control, password="demo-password"):
    control.UserName = "demo"
    control.Password = password
    control.EncryptSSL = True
    control.AutomaticProxy = False
    return control


@pytest.fixture
def control(gateway):
    gateway.control("reset", {})
    made = sign_in(orvulink.OrvuLinkActiveX())
    yield made
    made.Terminate()
