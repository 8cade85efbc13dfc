' HTTPS to a gateway whose certificate nobody trusted yet: refused, never sent in the clear.
Dim c, x
Set c = SignedIn()
c.EncryptSSL = True
On Error Resume Next
x = c.GetCredit()
Check "untrusted certificate refused", Err.Number, 28379
Err.Clear
On Error GoTo 0
Check "connection test fails", (c.TestConnection() <> 1), True
Finish "tls_refused"
