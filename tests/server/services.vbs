' DocReadService and SmartCardService through Automation without a card: argument and
' state errors with Err.Number, Err.Source and Err.Description; InitCardVB with -1; the
' PC/SC failures of this machine reported, never a hang. Ends with WScript.Quit failures.
Option Explicit
Dim passed, failed
passed = 0 : failed = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

' VBScript shows E_INVALIDARG as its own error 5.
Function IsInvalidArg(number)
  IsInvalidArg = (number = &H80070057 Or number = 5)
End Function

Const kInvalidState = &H8007139F
Dim service, result, number, source, description

Sub Capture()
  number = Err.Number : source = Err.Source : description = Err.Description
  Err.Clear
End Sub

Set service = CreateObject("KAVRIN.HC.DocRead")

On Error Resume Next
service.InitCard "", 1
Capture
On Error GoTo 0
Check IsInvalidArg(number), "InitCard with an empty name: " & Hex(number)
Check source = "KAVRIN.HC.DocRead.1", "InitCard error source: " & source
Check description = "Reader name is missing", "InitCard error description: " & description

On Error Resume Next
service.InitCardVB "", -1
Capture
On Error GoTo 0
Check IsInvalidArg(number) And description = "Reader name is missing", "InitCardVB with an empty name"

Sub CheckRefused(operation)
  On Error Resume Next
  Select Case operation
    Case "CheckCardOrigin": service.CheckCardOrigin
    Case "ReadZKDocumentData": Set result = service.ReadZKDocumentData
    Case "ReadZKFixedPersoData": Set result = service.ReadZKFixedPersoData
    Case "ReadZKVariableAdminData": Set result = service.ReadZKVariableAdminData
    Case "ReadZKVariablePersoData": Set result = service.ReadZKVariablePersoData
    Case "VerifyZKDocumentData": result = service.VerifyZKDocumentData
    Case "VerifyZKFixedPersoData": result = service.VerifyZKFixedPersoData
    Case "VerifyZKVariableAdminData": result = service.VerifyZKVariableAdminData
    Case "VerifyZKVariablePersoData": result = service.VerifyZKVariablePersoData
  End Select
  Capture
  On Error GoTo 0
  Check number = kInvalidState, operation & " without a card: " & Hex(number)
  Check source = "KAVRIN.HC.DocRead.1" And description = "InitCard call is required", _
        operation & " error: " & source & " / " & description
End Sub

Dim operations, operation
operations = Array("CheckCardOrigin", "ReadZKDocumentData", "ReadZKFixedPersoData", "ReadZKVariableAdminData", _
                   "ReadZKVariablePersoData", "VerifyZKDocumentData", "VerifyZKFixedPersoData", _
                   "VerifyZKVariableAdminData", "VerifyZKVariablePersoData")
For Each operation In operations
  CheckRefused operation
Next

' Any card application through the VBA form: no reader here, so a reported failure.
On Error Resume Next
service.InitCardVB "No Such Reader 0", -1
Capture
On Error GoTo 0
Check number <> 0 And number <> kInvalidState, "InitCardVB(-1) without a reader fails: " & Hex(number)
Check source = "KAVRIN.HC.DocRead.1" And description <> "", "InitCardVB failure is described: " & description
CheckRefused "ReadZKDocumentData"

service.ReleaseCard
service.ReleaseCard
CheckRefused "CheckCardOrigin"

Dim cards, readers
Set cards = CreateObject("KAVRIN.HC.SmartCard")
On Error Resume Next
readers = cards.ListReaders
Capture
On Error GoTo 0
If number = 0 Then
  Check IsArray(readers), "ListReaders gives an array"
  Check LBound(readers) = 0, "reader array starts at 0"
Else
  Call Check((number And &HFFFF0000) = &H80100000, "ListReaders fails with a PC/SC code: " & Hex(number))
  Check source = "KAVRIN.HC.SmartCard.1" And description <> "", "ListReaders failure is described"
End If

Dim chosen
chosen = "kept"
On Error Resume Next
chosen = cards.SelectReader
Capture
On Error GoTo 0
Check number = &H800704C7 Or (number And &HFFFF0000) = &H80100000, "SelectReader cancelled or failed: " & Hex(number)
Check chosen = "kept", "SelectReader leaves the variable as it was"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
