' Account commands against the simulator: credit, entitlements, the connection test with and
' without the probe, and the gateway's result codes as the error numbers a script sees.
Dim c, row, x
Set c = SignedIn()
Check "GetCredit", c.GetCredit(), 150.5
Check "LastRequest starts with the command", Left(c.LastRequest, 6), "CMD=2&"
Check "NotifyServer", c.NotifyServer, 1
Check "ForeignCountry", c.ForeignCountry, 1
Check "TestConnection", c.TestConnection(), 1

' With the automatic proxy every exchange first fetches the probe page.
c.AutomaticProxy = True
Check "GetCredit through the probe", c.GetCredit(), 150.5
Check "TestConnection through the probe", c.TestConnection(), 1

' The gateway's result codes reach the script as numbered errors.
c.AutomaticProxy = False
On Error Resume Next
' An unreadable answer is tried three times and then counts as no connection; an answer with a
' result code is taken at once.
For Each row In Array(Array("code"",""code"":""99", 28375, 1), Array("code"",""code"":""97", 28377, 1), _
                      Array("code"",""code"":""98", 28376, 1), Array("code"",""code"":""96", 28383, 1), _
                      Array("garbage", 28379, 3), Array("empty", 28379, 3))
  Control "fault", "{""kind"":""" & row(0) & """,""count"":" & row(2) & "}"
  x = c.GetCredit()
  Check row(0) & " Err.Number", Err.Number, row(1)
  Check row(0) & " ErrCode", c.ErrCode, row(1)
  Err.Clear
Next
Control "fault", "{""kind"":""code"",""code"":""00"",""payload"":""<pre>Service closed</pre>"",""count"":1}"
x = c.GetCredit()
Check "gateway message number", Err.Number, 28389
Check "gateway message text", Err.Description, "Service closed"
Err.Clear

' Wrong credentials: the gateway refuses them.
c.Password = "wrong"
x = c.GetCredit()
Check "wrong password", Err.Number, 28375
Err.Clear
On Error GoTo 0
Finish "account"
