// DocReadService and SmartCardService through JScript without a card: argument and
// state errors with their numbers and descriptions, PC/SC failures reported, never a
// hang. Ends with WScript.Quit(failures).
var passed = 0, failed = 0;
function check(ok, what) {
  if (ok) { passed++; } else { failed++; WScript.Echo("FAILED: " + what); }
}
// The error a call raises: { number (unsigned), description }, or null.
function errorOf(f) {
  try { f(); return null; } catch (e) { return { number: e.number >>> 0, description: e.description }; }
}
function hex(n) { return n === undefined ? "none" : n.toString(16); }

var service = new ActiveXObject("KAVRIN.HC.DocRead");
var e = errorOf(function () { service.InitCard("", 1); });
check(e && e.number == 0x80070057 && e.description == "Reader name is missing",
      "InitCard with an empty name: " + (e && hex(e.number) + " " + e.description));
e = errorOf(function () { service.InitCardVB("", -1); });
check(e && e.number == 0x80070057, "InitCardVB with an empty name");

var operations = ["CheckCardOrigin", "ReadZKDocumentData", "ReadZKFixedPersoData", "ReadZKVariableAdminData",
                  "ReadZKVariablePersoData", "VerifyZKDocumentData", "VerifyZKFixedPersoData",
                  "VerifyZKVariableAdminData", "VerifyZKVariablePersoData"];
function checkRefused(when) {
  for (var i = 0; i < operations.length; i++) {
    var name = operations[i];
    var err = errorOf(function () { return service[name](); });
    check(err && err.number == 0x8007139F && err.description == "InitCard call is required",
          name + " " + when + ": " + (err && hex(err.number)));
  }
}
checkRefused("before InitCard");

e = errorOf(function () { service.InitCardVB("No Such Reader 0", -1); });
check(e && e.number != 0x8007139F && e.description != "", "InitCardVB(-1) without a reader fails");
checkRefused("after a failed InitCard");
service.ReleaseCard();
service.ReleaseCard();
checkRefused("after ReleaseCard");

var cards = new ActiveXObject("KAVRIN.HC.SmartCard");
var readers;
e = errorOf(function () { readers = cards.ListReaders(); });
if (e === null) {
  var list = new VBArray(readers);
  check(list.lbound(1) == 0, "reader array starts at 0");
} else {
  check((e.number & 0xFFFF0000) >>> 0 == 0x80100000 && e.description != "",
        "ListReaders fails with a described PC/SC code: " + hex(e.number));
}
var chosen = "kept";
e = errorOf(function () { chosen = cards.SelectReader(); });
check(e && (e.number == 0x800704C7 || (e.number & 0xFFFF0000) >>> 0 == 0x80100000),
      "SelectReader cancelled or failed: " + (e && hex(e.number)));
check(chosen == "kept", "SelectReader leaves the variable as it was");

WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed);
