' The server as scripts see it: every class by both ProgIDs with its interface's type
' name, and property puts through IDispatch (error objects reach scripts in the examples'
' checks). Ends with "N passed, N failed".
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

' Properties through the type library's dispatch (their rules are the model's unit tests').
Dim admin
Set admin = CreateObject("KAVRIN.HC.ZKVXAdminBlock")
admin.ParentName = "X"
admin.InsuredFrom = CDate("2021-03-15 10:30:00")
Check admin.ParentNameSpecified = -1 And admin.ParentName = "X", "putting ParentName sets its flag to VARIANT_TRUE"
Check admin.InsuredFrom = CDate("2021-03-15 10:30:00"), "DATE put then got"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
