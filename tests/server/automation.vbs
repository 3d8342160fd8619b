' The server through Automation, as scripts see it through the registered type library:
' every class by both ProgIDs with its interface's type name, a block's properties,
' presence flags and errors. Ends with "N passed, N failed" and WScript.Quit failures.
Option Explicit
Dim passed, failed, entry, parts, progId, created
passed = 0 : failed = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

' ProgID | the default interface's name
For Each entry In Array("KAVRIN.HC.DocRead|IDocReadService", "KAVRIN.HC.SmartCard|ISmartCardService", _
    "KAVRIN.HC.Utilities|IUtilitiesService", "KAVRIN.HC.ZKDocBlock|IZKDocumentBlock", _
    "KAVRIN.HC.ZKFXPersoBlock|IZKFixedPersoBlock", "KAVRIN.HC.ZKVXAdminBlock|IZKVariableAdminBlock", _
    "KAVRIN.HC.ZKVXPersoBlock|IZKVariablePersoBlock")
  parts = Split(entry, "|")
  For Each progId In Array(parts(0), parts(0) & ".1")
    On Error Resume Next
    Set created = Nothing
    Set created = CreateObject(progId)
    Check Err.Number = 0, "CreateObject(" & progId & "): " & Hex(Err.Number) & " " & Err.Description
    Err.Clear
    On Error GoTo 0
    If Not created Is Nothing Then Check TypeName(created) = parts(1), progId & " is a " & TypeName(created)
  Next
Next

' The error number of reading a property or calling a method.
Function ErrorOf(obj, member)
  On Error Resume Next
  Dim v
  Select Case member
    Case "ParentName": v = obj.ParentName
    Case "Load": obj.Load v
  End Select
  ErrorOf = Err.Number
  Err.Clear
End Function

Dim admin
Set admin = CreateObject("KAVRIN.HC.ZKVXAdminBlock")
Check admin.ParentNameSpecified = False, "ParentNameSpecified starts false"
Check ErrorOf(admin, "ParentName") = &H80004005, "absent ParentName gives E_FAIL"
admin.ParentName = "X"
Check admin.ParentNameSpecified = -1 And admin.ParentName = "X", "putting ParentName sets its flag to VARIANT_TRUE"
admin.ParentNameSpecified = False
Check ErrorOf(admin, "ParentName") = &H80004005, "clearing the flag hides the value"
admin.Gender = 5
admin.Street = "A" & Chr(0) & "B"
admin.InsuredFrom = CDate("2021-03-15 10:30:00")
Check admin.Gender = 5 And admin.Street = "A", "a number and a text with a NUL read back"
Check admin.InsuredFrom = CDate("2021-03-15 10:30:00"), "DATE put then got"
' VBScript shows E_INVALIDARG as its own error 5.
Check ErrorOf(admin, "Load") = 5 Or ErrorOf(admin, "Load") = &H80070057, "Load from script is refused"

' An error object reaches the script with the service's source and text.
Dim service
Set service = CreateObject("KAVRIN.HC.DocRead")
On Error Resume Next
service.CheckCardOrigin
Check Err.Number = &H8007139F And Err.Source = "KAVRIN.HC.DocRead.1" And Err.Description = "InitCard call is required", _
  "CheckCardOrigin without a card: " & Hex(Err.Number) & " " & Err.Source & " " & Err.Description
On Error GoTo 0

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
