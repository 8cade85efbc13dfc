' A manually configured proxy that asks for credentials (tinyproxy with BasicAuth): the command
' goes through with the right ones and is refused with wrong or missing ones.
Dim c, row, x, proxyPort
proxyPort = CreateObject("WScript.Shell").Environment("Process")("ORVULINK_PROXY_PORT")
Set c = SignedIn()
c.Proxy = "localhost"  ' by name: Wine sends a relative request when proxy and host names match
c.ProxyPort = proxyPort
On Error Resume Next
For Each row In Array(Array("puser", "ppass", True), Array("puser", "wrong", False), _
                      Array("", "", False))
  c.ProxyUsername = row(0)
  c.ProxyPassword = row(1)
  x = c.GetCredit()
  Check "credit through the proxy as [" & row(0) & "/" & row(1) & "]", (Err.Number = 0 And x = 150.5), row(2)
  Err.Clear
Next
Finish "proxy"
