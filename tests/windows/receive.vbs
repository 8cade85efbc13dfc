' Reception: the keys, a message waiting on one of them, and its automatic reply.
Dim c, keys, key, names, messages, m
Set c = SignedIn()
Control "receive", "{""key"":""K2"",""sender"":""+393331234567"",""text"":""Ciao dal simulatore""}"
Check "FillReceptionKeys", c.FillReceptionKeys(), True
Set keys = c.ReceptionKeys
Check "key count", keys.Count, 2
names = ""
For Each key In keys
  names = names & key.KeyReceived & ","
Next
Check "keys in order", names, "K1,K2,"

Set key = keys.ItemReceptionKey("k2")
Check "key by name, any case", key, "K2"
Check "GetIncomingMessages", key.GetIncomingMessages(), True
Set messages = key.ReceivedMessages
Check "received count", messages.Count, 1
For Each m In messages
  Check "sender", m.PhoneGsm, "+393331234567"
  Check "text", m.Text, "Ciao dal simulatore"
Next

' The automatic reply: set, then read back from the gateway.
Check "SetAutoResponder", key.SetAutoResponder("Torno lunedì"), True
Check "Update", key.Update(), True
Check "TextAutoResponder", key.TextAutoResponder, "Torno lunedì"
Finish "receive"
