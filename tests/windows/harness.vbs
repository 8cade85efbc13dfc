' Shared by the suites: scripts/windows.sh puts it in front of each suite (Wine's VBScript has
' no ExecuteGlobal). Checks that count failures, the simulator's control endpoint, and a control
' signed in to the simulator's demo account.
Option Explicit
Dim failures, checks, simulator
failures = 0
checks = 0
simulator = CreateObject("WScript.Shell").Environment("Process")("ORVULINK_SIM_URL")

Sub Check(label, actual, expected)
  checks = checks + 1
  If CStr(actual) <> CStr(expected) Then
    failures = failures + 1
    WScript.Echo "FAIL " & label & ": got [" & actual & "], expected [" & expected & "]"
  End If
End Sub

' POSTs to the simulator's control endpoint; answers the body.
Function Control(route, body)
  Dim http
  Set http = CreateObject("WinHttp.WinHttpRequest.5.1")
  http.Open "POST", simulator & "/control/" & route, False
  http.Send body
  Control = http.ResponseText
End Function

Function SignedIn()
  Dim c
  Set c = CreateObject("OrvuLink.OrvuLinkActiveX")
  c.UserName = "demo"
  c.Password = "demo-password"
  c.EncryptSSL = False
  c.AutomaticProxy = False
  Set SignedIn = c
End Function

Sub Finish(suite)
  WScript.Echo suite & ": " & (checks - failures) & "/" & checks & " checks passed"
  If failures > 0 Then WScript.Quit 1
  WScript.Quit 0
End Sub
