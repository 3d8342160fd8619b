// Block objects and UtilitiesService through JScript. Ends with WScript.Quit(failures).
var passed = 0, failed = 0;
function check(ok, what) {
  if (ok) { passed++; } else { failed++; WScript.Echo("FAILED: " + what); }
}
function errorOf(f) {
  try { f(); return 0; } catch (e) { return e.number >>> 0; }
}

var names = ["KAVRIN.HC.ZKDocBlock", "KAVRIN.HC.ZKFXPersoBlock", "KAVRIN.HC.ZKVXAdminBlock",
             "KAVRIN.HC.ZKVXPersoBlock", "KAVRIN.HC.Utilities"];
for (var i = 0; i < names.length; i++) {
  check(errorOf(function () { new ActiveXObject(names[i]); }) == 0, "new " + names[i]);
  check(errorOf(function () { new ActiveXObject(names[i] + ".1"); }) == 0, "new " + names[i] + ".1");
}

var perso = new ActiveXObject("KAVRIN.HC.ZKVXPersoBlock");
check(perso.DateOfExpirySpecified == false, "DateOfExpirySpecified starts false");
check(errorOf(function () { return perso.DateOfExpiry; }) == 0x80004005, "absent DateOfExpiry gives E_FAIL");
perso.CardID = "AB\u0000CD";
check(perso.CardID == "AB", "text ends at its first NUL");
// 44270.25 is 15 March 2021 06:00; a DATE comes back as a local date and time.
perso.DateOfIssue = 44270.25;
var day = new Date(perso.DateOfIssue);
check(day.getFullYear() == 2021 && day.getMonth() == 2 && day.getDate() == 15 && day.getHours() == 6,
      "DATE put then got");
check(errorOf(function () { perso.Load(1); }) == 0x80070057, "Load from script is refused");
check(errorOf(function () { perso.Store(perso); }) == 0x80070057, "Store from script is refused");

var admin = new ActiveXObject("KAVRIN.HC.ZKVXAdminBlock.1");
admin.TaxpayerNumber = "123";
check(admin.TaxpayerNumberSpecified == true, "putting TaxpayerNumber sets its flag");
admin.TaxpayerNumberSpecified = false;
check(errorOf(function () { return admin.TaxpayerNumber; }) == 0x80004005, "cleared flag gives E_FAIL");

var utilities = new ActiveXObject("KAVRIN.HC.Utilities.1");
check(utilities.GetErrorMessage(0x7FFFFFF0) == "An unrecognized Win32Exception was thrown.", "undefined code");

WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed);
