' HTTPS once the gateway's certificate is trusted: commands and the probe go through.
Dim c
Set c = SignedIn()
c.EncryptSSL = True
Check "GetCredit over HTTPS", c.GetCredit(), 150.5
Check "TestConnection over HTTPS", c.TestConnection(), 1
c.AutomaticProxy = True
Check "GetCredit with the probe over HTTPS", c.GetCredit(), 150.5
Finish "tls_trusted"
