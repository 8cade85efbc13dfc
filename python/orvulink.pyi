# Type stubs of the orvulink extension module (see docs/python.md).
import datetime
import enum
from typing import Callable, Iterable, Iterator, Optional, Sequence, TypeVar, Union

__version__: str
_T = TypeVar("_T")

class AutomationError(Exception):
    """An error of the component: number, source ("OrvuLink") and description."""
    number: int
    source: str
    description: str
    def __init__(self, number: int, source: str = ..., description: str = ...) -> None: ...
    @property
    def hresult(self) -> int: ...

class OrvuLink_StatusMessage(enum.IntEnum):
    ORVULINK_MESSAGESEND_CANCELLED = -6
    ORVULINK_MESSAGESEND_ERRSENDER = -5
    ORVULINK_MESSAGESEND_ERRPHONEGSM = -4
    ORVULINK_MESSAGESEND_ERRDATETIME = -3
    ORVULINK_MESSAGESEND_ERRDOUBLE = -2
    ORVULINK_MESSAGESEND_ERRGATEWAY = -1
    ORVULINK_MESSAGESEND_INCOMPLETE = 0
    ORVULINK_MESSAGESEND_TOSEND = 1
    ORVULINK_MESSAGESEND_INSEND = 2
    ORVULINK_MESSAGESEND_FORWARD = 3

class OrvuLink_CodeProgress(enum.IntEnum):
    ORVULINK_PROGRESS_COMPOSEREQUEST = 0
    ORVULINK_PROGRESS_REQUEST = 1
    ORVULINK_PROGRESS_SAVERESPOSE = 2
    ORVULINK_PROGRESS_FINISH = 3

class OrvuLink_StateNotify(enum.IntEnum):
    ORVULINK_STATE_RESPINTO = -3
    ORVULINK_STATE_ERROPERATOR = -2
    ORVULINK_STATE_ERRGATEWAY = -1
    ORVULINK_STATE_TONOTIFY = 0
    ORVULINK_STATE_GETWAY = 1
    ORVULINK_STATE_OPERATOR = 2
    ORVULINK_STATE_DELIVERED = 3

class OrvuLink_CodeReason(enum.IntEnum):
    ORVULINK_CODEREASON_INDEFINITE = 999
    ORVULINK_CODEREASON_PHONEGSM = 0
    ORVULINK_CODEREASON_TIMEOUT = 100
    ORVULINK_CODEREASON_BLOCKOPERATOR = 103
    ORVULINK_CODEREASON_TIMEOUT2 = 108
    ORVULINK_CODEREASON_BLOCKUSER = 111

class OrvuLink_StateOrederID(enum.IntEnum):
    ORVULINK_ORDERID_NOTCORRECTED = -1
    ORVULINK_ORDERID_TOVERIFY = 0
    ORVULINK_ORDERID_CORRECTED = 1

class OrvuLink_CodeTestConnection(enum.IntEnum):
    ORVULINK_TEST_OK = 1
    ORVULINK_TEST_GENERIC = 0
    ORVULINK_TEST_NETWORK = -1
    ORVULINK_TEST_TIMER = -2
    ORVULINK_TEST_PROXY = -3
    ORVULINK_TEST_GATEWAY = -4
    ORVULINK_TEST_PROTOCOLSSL = -5
    ORVULINK_TEST_EXPLORER = -6

class OrvuLink_ErrorRuntime(enum.IntEnum):
    ORVULINK_ERROR_GENERIC = 28374
    ORVULINK_ERROR_AUTHENTICATION = 28375
    ORVULINK_ERROR_CGI = 28376
    ORVULINK_ERROR_CREDIT = 28377
    ORVULINK_ERROR_MAXQUEUE = 28378
    ORVULINK_ERROR_NETWORK = 28379
    ORVULINK_ERROR_GATEWAY = 28383
    ORVULINK_ERROR_VAPCODE = 28384
    ORVULINK_ERROR_AUTORESPONDER = 28385
    ORVULINK_ERROR_SENTSMS = 28386
    ORVULINK_ERROR_WRONG = 28387
    ORVULINK_ERROR_EXPLORER = 28388
    ORVULINK_ERROR_TEXT_MESSAGE = 28389
    ORVULINK_ERROR_COMMAND = 28390
    ORVULINK_EVENT_KEYRECIVE_REQUEST = 28391

# Every member of the enumerations is also a module constant, e.g. ORVULINK_MESSAGESEND_FORWARD.
ORVULINK_MESSAGESEND_CANCELLED: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_ERRSENDER: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_ERRPHONEGSM: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_ERRDATETIME: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_ERRDOUBLE: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_ERRGATEWAY: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_INCOMPLETE: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_TOSEND: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_INSEND: OrvuLink_StatusMessage
ORVULINK_MESSAGESEND_FORWARD: OrvuLink_StatusMessage
ORVULINK_PROGRESS_COMPOSEREQUEST: OrvuLink_CodeProgress
ORVULINK_PROGRESS_REQUEST: OrvuLink_CodeProgress
ORVULINK_PROGRESS_SAVERESPOSE: OrvuLink_CodeProgress
ORVULINK_PROGRESS_FINISH: OrvuLink_CodeProgress
ORVULINK_STATE_RESPINTO: OrvuLink_StateNotify
ORVULINK_STATE_ERROPERATOR: OrvuLink_StateNotify
ORVULINK_STATE_ERRGATEWAY: OrvuLink_StateNotify
ORVULINK_STATE_TONOTIFY: OrvuLink_StateNotify
ORVULINK_STATE_GETWAY: OrvuLink_StateNotify
ORVULINK_STATE_OPERATOR: OrvuLink_StateNotify
ORVULINK_STATE_DELIVERED: OrvuLink_StateNotify
ORVULINK_CODEREASON_INDEFINITE: OrvuLink_CodeReason
ORVULINK_CODEREASON_PHONEGSM: OrvuLink_CodeReason
ORVULINK_CODEREASON_TIMEOUT: OrvuLink_CodeReason
ORVULINK_CODEREASON_BLOCKOPERATOR: OrvuLink_CodeReason
ORVULINK_CODEREASON_TIMEOUT2: OrvuLink_CodeReason
ORVULINK_CODEREASON_BLOCKUSER: OrvuLink_CodeReason
ORVULINK_ORDERID_NOTCORRECTED: OrvuLink_StateOrederID
ORVULINK_ORDERID_TOVERIFY: OrvuLink_StateOrederID
ORVULINK_ORDERID_CORRECTED: OrvuLink_StateOrederID
ORVULINK_TEST_OK: OrvuLink_CodeTestConnection
ORVULINK_TEST_GENERIC: OrvuLink_CodeTestConnection
ORVULINK_TEST_NETWORK: OrvuLink_CodeTestConnection
ORVULINK_TEST_TIMER: OrvuLink_CodeTestConnection
ORVULINK_TEST_PROXY: OrvuLink_CodeTestConnection
ORVULINK_TEST_GATEWAY: OrvuLink_CodeTestConnection
ORVULINK_TEST_PROTOCOLSSL: OrvuLink_CodeTestConnection
ORVULINK_TEST_EXPLORER: OrvuLink_CodeTestConnection
ORVULINK_ERROR_GENERIC: OrvuLink_ErrorRuntime
ORVULINK_ERROR_AUTHENTICATION: OrvuLink_ErrorRuntime
ORVULINK_ERROR_CGI: OrvuLink_ErrorRuntime
ORVULINK_ERROR_CREDIT: OrvuLink_ErrorRuntime
ORVULINK_ERROR_MAXQUEUE: OrvuLink_ErrorRuntime
ORVULINK_ERROR_NETWORK: OrvuLink_ErrorRuntime
ORVULINK_ERROR_GATEWAY: OrvuLink_ErrorRuntime
ORVULINK_ERROR_VAPCODE: OrvuLink_ErrorRuntime
ORVULINK_ERROR_AUTORESPONDER: OrvuLink_ErrorRuntime
ORVULINK_ERROR_SENTSMS: OrvuLink_ErrorRuntime
ORVULINK_ERROR_WRONG: OrvuLink_ErrorRuntime
ORVULINK_ERROR_EXPLORER: OrvuLink_ErrorRuntime
ORVULINK_ERROR_TEXT_MESSAGE: OrvuLink_ErrorRuntime
ORVULINK_ERROR_COMMAND: OrvuLink_ErrorRuntime
ORVULINK_EVENT_KEYRECIVE_REQUEST: OrvuLink_ErrorRuntime

class _List(Sequence[_T]):
    """Count and 1-based Item() as in the object model; len(), iteration and 0-based []."""
    @property
    def Count(self) -> int: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[_T]: ...
    def __getitem__(self, index: int) -> _T: ...  # type: ignore[override]

class Connection:
    """A connected handler; it stays connected until disconnect() or the end of its list."""
    def disconnect(self) -> None: ...
    @property
    def connected(self) -> bool: ...

class ProgressEvent:
    def connect(self, handler: Callable[[OrvuLink_CodeProgress], object]) -> Connection:
        """handler(step) runs at each step of the list's commands, on the command's thread."""
    @property
    def handler_count(self) -> int: ...

def set_message_pump(hook: Optional[Callable[[], object]]) -> None:
    """This thread's pump hook, called while a command waits; None removes it."""

def pump_messages() -> None: ...

class OrvuSendOrderID(_List[str]):
    def Item(self, Index: int) -> str: ...

class OrvuSendMessage:
    @property
    def OrderID(self) -> Optional[OrvuSendOrderID]: ...
    @property
    def NumSMS(self) -> int: ...
    @property
    def Status(self) -> OrvuLink_StatusMessage: ...
    @property
    def PhoneGsm(self) -> str: ...
    @property
    def Text(self) -> str: ...
    @property
    def DateTime(self) -> datetime.datetime: ...
    @property
    def Sender(self) -> str: ...

class OrvuSendMessages(_List[OrvuSendMessage]):
    def Item(self, Index: int) -> Optional[OrvuSendMessage]: ...
    def AddMessage(self, PhoneGsm: str, MessageText: str, Sender: str,
                   DateTime: Optional[datetime.datetime] = None) -> bool: ...
    def AddGroupMessage(self, PhoneGsm: Iterable[str], MessageText: str, Sender: str,
                        DateTime: Optional[datetime.datetime] = None) -> bool: ...
    def SendMessage(self) -> bool: ...
    def RemoveMessage(self, Message: OrvuSendMessage) -> bool: ...
    def Clear(self) -> None: ...
    @property
    def CountMessageForward(self) -> int: ...
    @property
    def CountMessageError(self) -> int: ...
    @property
    def CountMessageToSend(self) -> int: ...
    AutoSend: bool
    MaxListToSend: int
    @property
    def ProgresSend(self) -> ProgressEvent: ...

class OrvuNotifiedMessage:
    @property
    def PhoneGsm(self) -> str: ...
    @property
    def DateTime(self) -> Optional[datetime.datetime]: ...
    @property
    def ReasonCode(self) -> Union[OrvuLink_CodeReason, int]: ...
    @property
    def Status(self) -> Union[OrvuLink_StateNotify, int]: ...

class OrvuNotifiedOrderID(_List[OrvuNotifiedMessage]):
    def Item(self, Index: int) -> Optional[OrvuNotifiedMessage]: ...
    def ItemPhone(self, Phone: str) -> Optional[OrvuNotifiedMessage]: ...
    @property
    def OrderID(self) -> str: ...
    @property
    def Status(self) -> OrvuLink_StateOrederID: ...

class OrvuNotifiedMessages(_List[OrvuNotifiedOrderID]):
    def Item(self, Index: int) -> Optional[OrvuNotifiedOrderID]: ...
    def ItemOrderID(self, OrderID: str) -> Optional[OrvuNotifiedOrderID]: ...
    def Clear(self) -> None: ...
    AutoNotify: bool
    MaxListToNotify: int
    def AddMessage(self, OrderID: str, PhoneGsm: str = "") -> bool: ...
    def GetStatusNotify(self) -> bool: ...
    def RemoveMessage(self, OrderID: str, PhoneGsm: str = "") -> bool: ...
    @property
    def ProgresNotify(self) -> ProgressEvent: ...

class OrvuReceivedMessage:
    @property
    def PhoneGsm(self) -> str: ...
    @property
    def DateTime(self) -> Optional[datetime.datetime]: ...
    @property
    def Text(self) -> str: ...

class OrvuReceivedMessages(_List[OrvuReceivedMessage]):
    def Item(self, Index: int) -> Optional[OrvuReceivedMessage]: ...

class OrvuReceptionKey:
    @property
    def MessageFromRecive(self) -> int: ...
    @property
    def ReceivedMessages(self) -> Optional[OrvuReceivedMessages]: ...
    @property
    def TextAutoResponder(self) -> str: ...
    @property
    def KeyReceived(self) -> str: ...
    def GetIncomingMessages(self) -> bool: ...
    def Update(self) -> bool: ...
    def SetAutoResponder(self, NewAutoResponder: str) -> bool: ...

class OrvuReceptionKeys(_List[OrvuReceptionKey]):
    def Item(self, Index: int) -> Optional[OrvuReceptionKey]: ...
    def ItemReceptionKey(self, ReceptionKey: str) -> Optional[OrvuReceptionKey]: ...

class OrvuLinkActiveX:
    """The control; all controls of a thread share one state, each thread has its own."""
    def __init__(self) -> None: ...
    @property
    def LastRespose(self) -> str: ...
    @property
    def LastRequest(self) -> str: ...
    @property
    def Version(self) -> str: ...
    @property
    def ErrDescription(self) -> str: ...
    @property
    def ErrCode(self) -> int: ...
    EncryptSSL: bool
    TestMode: bool
    UserName: str
    Password: str
    AutomaticProxy: bool
    Proxy: str
    ProxyPort: str
    ProxyUsername: str
    ProxyPassword: str
    VAPcode: str
    @property
    def NotifyServer(self) -> int: ...
    @property
    def NotifyUser(self) -> int: ...
    @property
    def ForeignCountry(self) -> int: ...
    def ShowAboutBox(self) -> None: ...
    def DelMessage(self, OrderID: str, PhoneGsm: str = "") -> str: ...
    def GetCredit(self) -> float: ...
    def TestConnection(self) -> OrvuLink_CodeTestConnection: ...
    @property
    def MessagesToSend(self) -> OrvuSendMessages: ...
    @property
    def MessagesToNotify(self) -> OrvuNotifiedMessages: ...
    @property
    def ReceptionKeys(self) -> Optional[OrvuReceptionKeys]: ...
    def FillReceptionKeys(self) -> bool: ...
    def InitProperties(self) -> None: ...
    def ReadProperties(self, path: str) -> None: ...
    def WriteProperties(self, path: str) -> None: ...
    def Terminate(self) -> None: ...
