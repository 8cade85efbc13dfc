"""The module against the gateway simulator over HTTPS."""
import datetime
import sys
import threading
import time

import pytest

import orvulink
from conftest import sign_in

FORWARD = orvulink.ORVULINK_MESSAGESEND_FORWARD
STEPS = [orvulink.OrvuLink_CodeProgress(step) for step in range(4)]
GROUP = ["+393331111111", "+393332222222", "+393338888888"]


@pytest.mark.parametrize("name, value", [
    ("UserName", "utente è €"), ("Password", "pässwörd 😀"), ("Proxy", "proxy.example"),
    ("ProxyPort", "3128"), ("ProxyUsername", "p"), ("ProxyPassword", "q"),
    ("EncryptSSL", False), ("TestMode", True), ("AutomaticProxy", True),
])
def test_settings_round_trip_in_python_types(control, name, value):
    setattr(control, name, value)
    assert getattr(control, name) == value and type(getattr(control, name)) is type(value)


@pytest.mark.parametrize("name", ["Version", "ErrCode", "ErrDescription", "LastRequest",
                                  "MessagesToSend", "NotifyServer"])
def test_read_only_properties_refuse_a_value(control, name):
    with pytest.raises(AttributeError):
        setattr(control, name, getattr(control, name))


def test_error_state_without_exception_and_its_reset(control):
    control.VAPcode = "too short"
    assert (control.ErrCode, control.ErrDescription != "") == (orvulink.ORVULINK_ERROR_VAPCODE, True)
    assert control.UserName == "demo" and control.ErrCode == 0


def test_credit_and_entitlements(control):
    assert control.GetCredit() == 100000.5
    assert (control.NotifyServer, control.NotifyUser, control.ForeignCountry) == (1, 1, 1)
    assert control.TestConnection() is orvulink.ORVULINK_TEST_OK


def send_group(control, numbers=GROUP, text="Sale starts Monday"):
    send_list = control.MessagesToSend
    assert send_list.AddGroupMessage(iter(numbers), text, "OrvuShop") is True
    return send_list


def test_group_send_raises_progress_and_fills_the_messages(control):
    steps = []
    send_list = send_group(control, GROUP + ["12"])
    connection = send_list.ProgresSend.connect(steps.append)
    assert send_list.SendMessage() is True
    assert steps == STEPS and all(isinstance(s, orvulink.OrvuLink_CodeProgress) for s in steps)
    assert [m.Status for m in send_list] == [FORWARD] * 3 + [orvulink.ORVULINK_MESSAGESEND_ERRPHONEGSM]
    assert (len(send_list), send_list.Count, send_list.CountMessageForward) == (4, 4, 3)
    first = send_list.Item(1)
    assert first is send_list[0] and send_list[-1] is send_list.Item(4)
    assert send_list.Item(0) is None and send_list.Item(5) is None
    with pytest.raises(IndexError):
        send_list[4]
    order_ids = list(first.OrderID)
    assert len(order_ids) == 1 and {m.OrderID[0] for m in list(send_list)[:3]} == set(order_ids)
    assert first.OrderID.Item(1) == order_ids[0] and first.OrderID.Item(2) == ""
    assert isinstance(first.DateTime, datetime.datetime) and first.NumSMS == 1
    connection.disconnect()
    send_group(control, ["+393334444444"])
    send_list.SendMessage()
    assert len(steps) == 4 and not connection.connected


def test_status_reaches_delivered(gateway, control):
    send_list = send_group(control)
    send_list.SendMessage()
    order = send_list[0].OrderID[0]
    gateway.control("settle", {})
    status_list = control.MessagesToNotify
    steps = []
    status_list.ProgresNotify.connect(steps.append)
    status_list.AddMessage(order)
    assert status_list.GetStatusNotify() is True and steps == STEPS
    entry = status_list.ItemOrderID(order)
    assert entry.Status is orvulink.ORVULINK_ORDERID_CORRECTED
    by_phone = {r.PhoneGsm: (r.Status, r.ReasonCode) for r in entry}
    assert by_phone[GROUP[0]][0] is orvulink.ORVULINK_STATE_DELIVERED
    assert by_phone[GROUP[2]] == (orvulink.ORVULINK_STATE_ERROPERATOR,
                                  orvulink.ORVULINK_CODEREASON_BLOCKUSER)
    assert isinstance(entry.ItemPhone(GROUP[1]).DateTime, datetime.datetime)


def test_reception_downloads_the_waiting_message(control):
    assert control.ReceptionKeys is None and control.FillReceptionKeys() is True
    key = control.ReceptionKeys.ItemReceptionKey("k2")
    assert (key.KeyReceived, key.MessageFromRecive) == ("K2", 1)
    assert key.GetIncomingMessages() is True
    [message] = key.ReceivedMessages
    assert (message.PhoneGsm, message.Text) == ("+393331234567", "Ciao, lunedì?")
    assert message.DateTime == datetime.datetime(2006, 1, 20, 10, 15)
    assert key.SetAutoResponder("Back soon") and key.TextAutoResponder == "Back soon"


def wrong_password(control, gateway):
    sign_in(control, "wrong").GetCredit()


def credit_refused(control, gateway):
    gateway.control("fault", {"kind": "code", "code": "97", "count": 1})
    send_group(control).SendMessage()


def capacity_out_of_range(control, gateway):
    control.MessagesToSend.MaxListToSend = 3001


@pytest.mark.parametrize("action, number", [
    (wrong_password, orvulink.ORVULINK_ERROR_AUTHENTICATION),
    (credit_refused, orvulink.ORVULINK_ERROR_CREDIT),
    (capacity_out_of_range, orvulink.ORVULINK_ERROR_MAXQUEUE),
])
def test_component_errors_raise_automation_error(gateway, control, action, number):
    with pytest.raises(orvulink.AutomationError) as raised:
        action(control, gateway)
    error = raised.value
    assert (error.number, error.source, control.ErrCode) == (number, "OrvuLink", number)
    assert error.description == control.ErrDescription != ""
    assert error.hresult == 0x800A0000 + number and str(error).startswith(f"{number}: ")


def test_nested_command_from_a_handler_is_refused_with_error_5(control):
    send_list = send_group(control)
    refused = []

    def nested(step):
        try:
            send_list.SendMessage()
        except orvulink.AutomationError as error:
            refused.append(error.number)
        control.MessagesToNotify.AddMessage("ORD-1")  # everything but a command is allowed

    send_list.ProgresSend.connect(nested)
    assert send_list.SendMessage() is True
    assert refused == [5] * 4 and len(control.MessagesToNotify) == 1


@pytest.mark.parametrize("failing_step, ends_the_send", [(0, True), (1, True), (3, False)])
def test_exception_in_a_handler(control, monkeypatch, failing_step, ends_the_send):
    unraisable = []
    monkeypatch.setattr(sys, "unraisablehook", lambda report: unraisable.append(report.exc_value))
    send_list = send_group(control)
    failure = ValueError("handler failed")

    def handler(step):
        if step == failing_step:
            raise failure

    send_list.ProgresSend.connect(handler)
    if ends_the_send:
        with pytest.raises(ValueError) as raised:
            send_list.SendMessage()
        assert raised.value is failure and unraisable == []
        assert send_list[0].Status == orvulink.ORVULINK_MESSAGESEND_TOSEND and control.ErrCode == 5
    else:
        assert send_list.SendMessage() is True and send_list[0].Status == FORWARD
        assert unraisable == [failure]


def test_handler_raising_automation_error_keeps_its_number(control):
    send_list = send_group(control)

    def handler(step):
        raise orvulink.AutomationError(28390, "Host", "stop")

    send_list.ProgresSend.connect(handler)
    with pytest.raises(orvulink.AutomationError, match="stop"):
        send_list.SendMessage()
    assert (control.ErrCode, control.ErrDescription) == (28390, "stop")


def test_objects_belong_to_their_thread(control):
    errors = []

    def use_from_elsewhere():
        for member in (lambda: control.UserName, lambda: len(control.MessagesToSend)):
            try:
                member()
            except orvulink.AutomationError as error:
                errors.append((error.number, "thread other than" in error.description))
        own = sign_in(orvulink.OrvuLinkActiveX())
        errors.append(own.GetCredit())

    worker = threading.Thread(target=use_from_elsewhere)
    worker.start()
    worker.join()
    assert errors == [(5, True), (5, True), 100000.5]


def test_other_threads_run_during_a_command_and_the_pump_hook(gateway, control):
    gateway.control("fault", {"kind": "delay", "delay_ms": 600, "count": 1})
    ticks, pumped, stop = [], [], threading.Event()

    def ticker():
        while not stop.is_set():
            ticks.append(time.monotonic())
            time.sleep(0.01)

    orvulink.set_message_pump(lambda: pumped.append(1))
    worker = threading.Thread(target=ticker)
    try:
        worker.start()
        started = time.monotonic()
        send_group(control).SendMessage()
        finished = time.monotonic()
    finally:
        stop.set()
        worker.join()
        orvulink.set_message_pump(None)
    assert finished - started >= 0.6
    assert sum(started + 0.1 < t < finished - 0.1 for t in ticks) > 10 and pumped


def test_the_stub_declares_what_the_module_has():
    import ast
    import pathlib
    stub = ast.parse((pathlib.Path(__file__).parents[1] / "orvulink.pyi").read_text())
    for node in stub.body:
        if isinstance(node, ast.ClassDef) and not node.name.startswith("_"):
            members = {n.name if not isinstance(n, ast.AnnAssign) else n.target.id
                       for n in node.body if isinstance(n, (ast.FunctionDef, ast.AnnAssign))}
            made = getattr(orvulink, node.name)
            made = made(1, "s", "d") if issubclass(made, Exception) else made
            assert members - {"__init__"} <= set(dir(made)), node.name
        elif isinstance(node, (ast.AnnAssign, ast.FunctionDef)):
            assert hasattr(orvulink, getattr(node, "name", None) or node.target.id)
