' Reads a health card with kavrin-hc-client: lists the readers, opens the card in the
' first reader (or the one named on the command line), reads the four data blocks,
' verifies each against the card's security object and checks the card's origin.
'   cscript //nologo read-card.vbs ["reader name"]
' Exit status: 0 when everything succeeded, 1 after the first failure.
Option Explicit

Dim utilities
Set utilities = CreateObject("KAVRIN.HC.Utilities")

' Ends the script after a failed call, with the code, the source and both texts.
Sub Fail(operation)
  Dim number, source, description
  number = Err.Number : source = Err.Source : description = Err.Description
  Err.Clear
  On Error GoTo 0
  WScript.Echo operation & " failed with 0x" & Right("0000000" & Hex(number), 8) & " (" & source & ")"
  If description <> "" Then WScript.Echo "  " & description
  WScript.Echo "  System text: " & utilities.GetErrorMessage(number)
  WScript.Quit 1
End Sub

Dim cards, readers, reader, i
Set cards = CreateObject("KAVRIN.HC.SmartCard")
If WScript.Arguments.Count > 0 Then
  reader = WScript.Arguments(0)
Else
  On Error Resume Next
  readers = cards.ListReaders
  If Err.Number <> 0 Then Fail "ListReaders"
  On Error GoTo 0
  WScript.Echo "Readers: " & (UBound(readers) + 1)
  For i = 0 To UBound(readers)
    WScript.Echo "  " & readers(i)
  Next
  If UBound(readers) < 0 Then
    WScript.Echo "No smart card reader is attached."
    WScript.Quit 1
  End If
  reader = readers(0)
End If

Dim service
Set service = CreateObject("KAVRIN.HC.DocRead")
On Error Resume Next
' -1: whichever of the two card applications the card carries.
service.InitCardVB reader, -1
If Err.Number <> 0 Then Fail "InitCard in """ & reader & """"

Dim document, fixed, admin, perso, certificate
Set document = service.ReadZKDocumentData
If Err.Number <> 0 Then Fail "ReadZKDocumentData"
WScript.Echo "Insurer:          " & document.InsurerName & " (" & document.InsurerID & ")"
WScript.Echo "Card:             " & document.CardID & ", valid " & document.DateOfIssue & " to " & document.DateOfExpiry

Set fixed = service.ReadZKFixedPersoData
If Err.Number <> 0 Then Fail "ReadZKFixedPersoData"
WScript.Echo "Name:             " & fixed.FirstName & " " & fixed.LastName & " (" & fixed.InsurantNumber & ")"
WScript.Echo "Date of birth:    " & fixed.DateOfBirth

Set admin = service.ReadZKVariableAdminData
If Err.Number <> 0 Then Fail "ReadZKVariableAdminData"
WScript.Echo "Address:          " & admin.Street & " " & admin.Number & ", " & admin.Place
WScript.Echo "Insured from:     " & admin.InsuredFrom

Set perso = service.ReadZKVariablePersoData
If Err.Number <> 0 Then Fail "ReadZKVariablePersoData"
If perso.DateOfExpirySpecified Then
  WScript.Echo "Insured until:    " & perso.DateOfExpiry
Else
  WScript.Echo "Insured until:    (no end date)"
End If

certificate = service.VerifyZKDocumentData
If Err.Number <> 0 Then Fail "VerifyZKDocumentData"
WScript.Echo "Signer (Base64):  " & Left(certificate, 40) & "..."
service.VerifyZKFixedPersoData
If Err.Number <> 0 Then Fail "VerifyZKFixedPersoData"
service.VerifyZKVariableAdminData
If Err.Number <> 0 Then Fail "VerifyZKVariableAdminData"
service.VerifyZKVariablePersoData
If Err.Number <> 0 Then Fail "VerifyZKVariablePersoData"
WScript.Echo "All four blocks verified."

service.CheckCardOrigin
If Err.Number <> 0 Then Fail "CheckCardOrigin"
WScript.Echo "Card origin checked."

service.ReleaseCard
WScript.Quit 0
