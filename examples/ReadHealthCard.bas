Attribute VB_Name = "ReadHealthCard"
' Reads a health card into the active worksheet with kavrin-hc-client: lists the
' readers, opens the card in the first one, reads the four data blocks, verifies each
' against the card's security object and checks the card's origin.
' Import into an Excel workbook (File > Import File...) and run ReadCardToSheet.
' The DLL of the same bitness as Office must be registered (regsvr32).
Option Explicit

Private Sub Show(row As Long, label As String, value As Variant)
    ActiveSheet.Cells(row, 1).Value = label
    ActiveSheet.Cells(row, 2).Value = value
End Sub

Public Sub ReadCardToSheet()
    Dim cards As Object, service As Object, utilities As Object
    Dim readers As Variant, reader As String, operation As String
    Dim documentBlock As Object, fixed As Object, admin As Object, perso As Object
    Dim row As Long

    Set utilities = CreateObject("KAVRIN.HC.Utilities")
    On Error GoTo Failed

    operation = "ListReaders"
    Set cards = CreateObject("KAVRIN.HC.SmartCard")
    readers = cards.ListReaders
    If UBound(readers) < 0 Then
        MsgBox "No smart card reader is attached.", vbExclamation
        Exit Sub
    End If
    reader = readers(0)

    ' VBA has no unsigned 16-bit type: InitCardVB takes -1 for "either application".
    operation = "InitCard"
    Set service = CreateObject("KAVRIN.HC.DocRead")
    service.InitCardVB reader, -1

    operation = "reading the blocks"
    Set documentBlock = service.ReadZKDocumentData
    Set fixed = service.ReadZKFixedPersoData
    Set admin = service.ReadZKVariableAdminData
    Set perso = service.ReadZKVariablePersoData

    row = 1
    Show row, "Reader", reader: row = row + 1
    Show row, "Insurer", documentBlock.InsurerName: row = row + 1
    Show row, "Card number", documentBlock.CardID: row = row + 1
    Show row, "Valid from", documentBlock.DateOfIssue: row = row + 1
    Show row, "Valid to", documentBlock.DateOfExpiry: row = row + 1
    Show row, "Insurant number", fixed.InsurantNumber: row = row + 1
    Show row, "First name", fixed.FirstName: row = row + 1
    Show row, "Last name", fixed.LastName: row = row + 1
    Show row, "Date of birth", fixed.DateOfBirth: row = row + 1
    Show row, "Street", admin.Street & " " & admin.Number: row = row + 1
    Show row, "Place", admin.Place: row = row + 1
    If perso.DateOfExpirySpecified Then
        Show row, "Insured until", perso.DateOfExpiry
    Else
        Show row, "Insured until", "(no end date)"
    End If
    row = row + 1

    operation = "verifying the blocks"
    Show row, "Signer certificate (Base64)", service.VerifyZKDocumentData: row = row + 1
    service.VerifyZKFixedPersoData
    service.VerifyZKVariableAdminData
    service.VerifyZKVariablePersoData
    Show row, "Blocks verified", True: row = row + 1

    operation = "CheckCardOrigin"
    service.CheckCardOrigin
    Show row, "Card origin checked", True

    service.ReleaseCard
    Exit Sub

Failed:
    ' The server has already shown its own message box; this one adds the step.
    MsgBox operation & " failed with 0x" & Right("0000000" & Hex(Err.Number), 8) & vbCrLf & _
           Err.Description & vbCrLf & utilities.GetErrorMessage(Err.Number), vbCritical, Err.Source
    If Not service Is Nothing Then service.ReleaseCard
End Sub
