' Settings and the error state: defaults, the VAP code check, the shared per-thread state, a
' trapped getter's error as the script sees it.
Dim c, other, row, x
Set c = CreateObject("OrvuLink.OrvuLinkActiveX")
Check "Version", c.Version, "1.2.0"
Check "EncryptSSL default", c.EncryptSSL, True
Check "AutomaticProxy default", c.AutomaticProxy, True
Check "TestMode default", c.TestMode, False
Check "TypeName", TypeName(c), "_OrvuLinkActiveX"

' UserName is the default member and keeps its blanks.
c.UserName = " alice "
Check "default member", c, " alice "

' VAPcode: value given, value kept, ErrCode after the setter (no exception).
For Each row In Array(Array("ABCDEFGHIJ", "ABCDEFGHIJ", 0), Array(" ABCDEFGHIJ", "", 28384), _
                      Array("   ", "", 0), Array("ABCDEFGHI", "", 28384), Array("ABCDEFGHIJK", "", 28384))
  c.VAPcode = row(0)
  Check "VAPcode ErrCode [" & row(0) & "]", c.ErrCode, row(2)
  Check "VAPcode [" & row(0) & "]", c.VAPcode, row(1)
Next

' Every control on the thread shares one state; a new one resets it.
Set other = CreateObject("OrvuLink.OrvuLinkActiveX")
Check "new control resets UserName", c.UserName, ""
other.Proxy = "proxy.example"
Check "shared Proxy", c.Proxy, "proxy.example"

' A trapped getter without credentials raises 28375 and keeps it in ErrCode until the next member.
On Error Resume Next
x = c.NotifyServer
Check "NotifyServer Err.Number", Err.Number, 28375
Check "NotifyServer Err.Source", Err.Source, "OrvuLink"
Check "NotifyServer Err.Description", Err.Description, "SMS gateway: username/password error"
Err.Clear
On Error GoTo 0
Check "ErrCode after the failure", c.ErrCode, 28375
Check "ErrDescription after the failure", c.ErrDescription, "SMS gateway: username/password error"
x = c.UserName
Check "ErrCode reset by a getter", c.ErrCode, 0

' Lists: the same object each time, For Each over an empty send list fails as the list says.
Check "same list", (c.MessagesToSend Is other.MessagesToSend), True
Check "no reception keys yet", (c.ReceptionKeys Is Nothing), True
Finish "settings"
