' After regsvr32 /u the class can no longer be created by its ProgID.
Dim c
On Error Resume Next
Set c = CreateObject("OrvuLink.OrvuLinkActiveX")
Check "CreateObject after unregistering", Err.Number, 429
Finish "unregistered"
