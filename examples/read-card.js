// Reads a health card with kavrin-hc-client: lists the readers, opens the card in the
// first reader (or the one named on the command line), reads the four data blocks,
// verifies each against the card's security object and checks the card's origin.
//   cscript //nologo read-card.js ["reader name"]
// Exit status: 0 when everything succeeded, 1 after the first failure.
var utilities = new ActiveXObject("KAVRIN.HC.Utilities");

function hex8(number) {
  var text = (number >>> 0).toString(16).toUpperCase();
  while (text.length < 8) text = "0" + text;
  return text;
}

// Runs one step; a failure ends the script with the code and both texts.
function step(operation, work) {
  try {
    return work();
  } catch (e) {
    WScript.Echo(operation + " failed with 0x" + hex8(e.number));
    if (e.description) WScript.Echo("  " + e.description);
    WScript.Echo("  System text: " + utilities.GetErrorMessage(e.number));
    WScript.Quit(1);
  }
}

var cards = new ActiveXObject("KAVRIN.HC.SmartCard");
var reader;
if (WScript.Arguments.length > 0) {
  reader = WScript.Arguments(0);
} else {
  var readers = new VBArray(step("ListReaders", function () { return cards.ListReaders(); })).toArray();
  WScript.Echo("Readers: " + readers.length);
  for (var i = 0; i < readers.length; i++) WScript.Echo("  " + readers[i]);
  if (readers.length == 0) {
    WScript.Echo("No smart card reader is attached.");
    WScript.Quit(1);
  }
  reader = readers[0];
}

var service = new ActiveXObject("KAVRIN.HC.DocRead");
// -1: whichever of the two card applications the card carries.
step("InitCard in \"" + reader + "\"", function () { service.InitCardVB(reader, -1); });

// A DATE property arrives as a number of the Automation calendar.
function day(value) { return new Date(value).toLocaleDateString(); }

var documentBlock = step("ReadZKDocumentData", function () { return service.ReadZKDocumentData(); });
WScript.Echo("Insurer:          " + documentBlock.InsurerName + " (" + documentBlock.InsurerID + ")");
WScript.Echo("Card:             " + documentBlock.CardID + ", valid " + day(documentBlock.DateOfIssue) +
             " to " + day(documentBlock.DateOfExpiry));
var fixed = step("ReadZKFixedPersoData", function () { return service.ReadZKFixedPersoData(); });
WScript.Echo("Name:             " + fixed.FirstName + " " + fixed.LastName + " (" + fixed.InsurantNumber + ")");
WScript.Echo("Date of birth:    " + day(fixed.DateOfBirth));
var admin = step("ReadZKVariableAdminData", function () { return service.ReadZKVariableAdminData(); });
WScript.Echo("Address:          " + admin.Street + " " + admin.Number + ", " + admin.Place);
var perso = step("ReadZKVariablePersoData", function () { return service.ReadZKVariablePersoData(); });
WScript.Echo("Insured until:    " + (perso.DateOfExpirySpecified ? day(perso.DateOfExpiry) : "(no end date)"));

var signer = step("VerifyZKDocumentData", function () { return service.VerifyZKDocumentData(); });
WScript.Echo("Signer (Base64):  " + signer.substr(0, 40) + "...");
step("VerifyZKFixedPersoData", function () { service.VerifyZKFixedPersoData(); });
step("VerifyZKVariableAdminData", function () { service.VerifyZKVariableAdminData(); });
step("VerifyZKVariablePersoData", function () { service.VerifyZKVariablePersoData(); });
WScript.Echo("All four blocks verified.");

step("CheckCardOrigin", function () { service.CheckCardOrigin(); });
WScript.Echo("Card origin checked.");
service.ReleaseCard();
WScript.Quit(0);
