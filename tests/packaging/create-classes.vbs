' Creates every class of the server by both of its ProgIDs and asks each object for
' its type name, which comes through IDispatch from the registered type library.
' Ends with "N passed, N failed" and WScript.Quit failures.
Option Explicit
Dim passed, failed, classes, entry, parts, progId, created, name
passed = 0 : failed = 0

' ProgID | the default interface's name
classes = Array( _
  "KAVRIN.HC.DocRead|IDocReadService", "KAVRIN.HC.SmartCard|ISmartCardService", _
  "KAVRIN.HC.Utilities|IUtilitiesService", "KAVRIN.HC.ZKDocBlock|IZKDocumentBlock", _
  "KAVRIN.HC.ZKFXPersoBlock|IZKFixedPersoBlock", "KAVRIN.HC.ZKVXAdminBlock|IZKVariableAdminBlock", _
  "KAVRIN.HC.ZKVXPersoBlock|IZKVariablePersoBlock")

On Error Resume Next
For Each entry In classes
  parts = Split(entry, "|")
  For Each progId In Array(parts(0), parts(0) & ".1")
    Err.Clear
    Set created = CreateObject(progId)
    If Err.Number <> 0 Then
      failed = failed + 1
      WScript.Echo "FAILED: CreateObject(""" & progId & """): 0x" & Hex(Err.Number) & " " & Err.Description
    Else
      name = TypeName(created)
      If name = parts(1) Then
        passed = passed + 1
      Else
        failed = failed + 1
        WScript.Echo "FAILED: " & progId & " has the type name '" & name & "', expected '" & parts(1) & "'"
      End If
    End If
    Set created = Nothing
  Next
Next

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
