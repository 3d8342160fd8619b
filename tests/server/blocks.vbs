' Block objects through Automation: every class by both ProgIDs, setters and getters,
' presence flags, E_FAIL of an absent optional value, NUL in text, DATE round trip,
' Load and Store refused from script. Ends with WScript.Quit failures.
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

Function ErrorOf(obj, member)
  On Error Resume Next
  Dim v
  Select Case member
    Case "ParentName": v = obj.ParentName
    Case "CarrierFamilyMember": v = obj.CarrierFamilyMember
    Case "DateOfExpiry": v = obj.DateOfExpiry
    Case "Load": obj.Load v
    Case "Store": obj.Store v
  End Select
  ErrorOf = Err.Number
  Err.Clear
End Function

Dim progId, o
For Each progId In Array("KAVRIN.HC.ZKDocBlock", "KAVRIN.HC.ZKFXPersoBlock", "KAVRIN.HC.ZKVXAdminBlock", _
    "KAVRIN.HC.ZKVXPersoBlock", "KAVRIN.HC.ZKDocBlock.1", "KAVRIN.HC.ZKFXPersoBlock.1", _
    "KAVRIN.HC.ZKVXAdminBlock.1", "KAVRIN.HC.ZKVXPersoBlock.1", "KAVRIN.HC.Utilities", "KAVRIN.HC.Utilities.1")
  On Error Resume Next
  Set o = Nothing
  Set o = CreateObject(progId)
  Check Err.Number = 0 And Not (o Is Nothing), "CreateObject " & progId
  Err.Clear
  On Error GoTo 0
Next

Dim admin
Set admin = CreateObject("KAVRIN.HC.ZKVXAdminBlock")
Check admin.ParentNameSpecified = False, "ParentNameSpecified starts false"
Check ErrorOf(admin, "ParentName") = &H80004005, "absent ParentName gives E_FAIL"
admin.ParentName = "X"
Check admin.ParentNameSpecified = True, "putting ParentName sets its flag"
Check admin.ParentNameSpecified = -1, "the flag is VARIANT_TRUE"
Check admin.ParentName = "X", "ParentName reads back"
admin.ParentNameSpecified = False
Check ErrorOf(admin, "ParentName") = &H80004005, "clearing the flag hides the value"
admin.ParentNameSpecified = True
Check admin.ParentName = "X", "setting the flag again shows the kept value"
Check ErrorOf(admin, "CarrierFamilyMember") = &H80004005, "absent CarrierFamilyMember gives E_FAIL"
admin.CarrierFamilyMember = 1
Check admin.CarrierFamilyMemberSpecified, "putting CarrierFamilyMember sets its flag"
Check admin.CarrierFamilyMember = 1, "CarrierFamilyMember reads back"
admin.Gender = 5
Check admin.Gender = 5, "Gender is not checked by the setter"
admin.BookletIssuerCode = "ABC"
Check admin.BookletIssuerCode = "ABC", "BookletIssuerCode reads back"
admin.Street = "A" & Chr(0) & "B"
Check admin.Street = "A", "text ends at its first NUL"
admin.CardID = ""
Check admin.CardID = "", "empty text"
admin.InsuredFrom = CDate("2021-03-15 10:30:00")
Check admin.InsuredFrom = CDate("2021-03-15 10:30:00"), "DATE put then got"
Check IsInvalidArg(ErrorOf(admin, "Load")), "Load from script is refused"
Check IsInvalidArg(ErrorOf(admin, "Store")), "Store from script is refused"

Dim perso
Set perso = CreateObject("KAVRIN.HC.ZKVXPersoBlock.1")
Check ErrorOf(perso, "DateOfExpiry") = &H80004005, "absent DateOfExpiry gives E_FAIL"
perso.DateOfExpiry = 44270
Check perso.DateOfExpirySpecified, "putting DateOfExpiry sets its flag"
Check CDbl(perso.DateOfExpiry) = 44270, "DATE 44270.0 reads back"
perso.Permanent = 1
Check perso.Permanent = 1, "Permanent reads back"
Check IsInvalidArg(ErrorOf(perso, "Load")), "Load from script is refused (perso)"

Dim doc
Set doc = CreateObject("KAVRIN.HC.ZKDocBlock")
Check doc.InsurerName = "", "a new document block has empty text"
Check IsInvalidArg(ErrorOf(doc, "Load")), "Load from script is refused (document)"

Dim utilities
Set utilities = CreateObject("KAVRIN.HC.Utilities")
Check utilities.GetErrorMessage(&H7FFFFFF0) = "An unrecognized Win32Exception was thrown.", "undefined code"
Check Len(utilities.GetErrorMessage(5)) > 0, "text for Win32 error 5"
Check InStr(utilities.GetErrorMessage(5), vbCrLf) = 0, "no line breaks in the text"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
