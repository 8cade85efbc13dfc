' A group send with For Each over the messages, then the status query of its orders to DELIVERED.
Dim c, list, m, numbers, dict, orderIDs, id, notify, order, recipient, seen, i

' A group given as an array: one gateway command, one order ID for the whole group.
Set c = SignedIn()
Set list = c.MessagesToSend
numbers = Array("+393331234567", "+393337654321")
Check "AddGroupMessage (array)", list.AddGroupMessage(numbers, "Sale starts Monday", "OrvuShop"), True
' A collection object (Count and 1-based Item) works as well: a Dictionary keyed 1..n.
Set dict = CreateObject("Scripting.Dictionary")
dict.Add 1, "+393339876543"
dict.Add 2, "+393335555555"
Check "AddGroupMessage (collection)", list.AddGroupMessage(dict, "Second group", "OrvuShop"), True
Check "AddMessage (bad number)", list.AddMessage("12", "x", "OrvuShop"), True
Check "Count", list.Count, 5
Check "CountMessageToSend", list.CountMessageToSend, 4
Check "SendMessage", list.SendMessage(), True

seen = 0
orderIDs = ""
Check "bad number status", list(5).Status, -4
Check "bad number has no order IDs", (list(5).OrderID Is Nothing), True
For Each m In list
  seen = seen + 1
  If Not m Is list(5) Then
    Check "status of " & m.PhoneGsm, m.Status, 3
    Check "one order ID for " & m.PhoneGsm, m.OrderID.Count, 1
    For Each id In m.OrderID
      If InStr(orderIDs, id & ";") = 0 Then orderIDs = orderIDs & id & ";"
    Next
  End If
Next
Check "For Each visits every message", seen, 5
Check "CountMessageForward", list.CountMessageForward, 4
Check "two groups, two order IDs", UBound(Split(orderIDs, ";")), 2
Check "default member of the list", list(1).PhoneGsm, "+393331234567"
Check "Item out of range", (list.Item(99) Is Nothing), True

' Status query: the orders of both groups, queried after the simulator delivers them.
Set notify = c.MessagesToNotify
For Each id In Split(orderIDs, ";")
  If id <> "" Then Check "AddMessage " & id, notify.AddMessage(id), True
Next
Control "settle", ""
Check "GetStatusNotify", notify.GetStatusNotify(), True
seen = 0
For Each order In notify
  Check "order verified " & order.OrderID, order.Status, 1
  For Each recipient In order
    seen = seen + 1
    Check "DELIVERED " & recipient.PhoneGsm, recipient.Status, 3
  Next
Next
Check "every recipient reported", seen, 4
Finish "send_and_status"
