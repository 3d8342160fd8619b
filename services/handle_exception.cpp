#include "services/handle_exception.h"

#include <exception>
#include <new>
#include <string>

#include "services/report_error.h"
#include "services/service_status.h"
#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"

namespace TAVQ {

namespace {

HRESULT Win32Status(std::int32_t errorCode) {
  if (errorCode <= 0) return errorCode;  // PC/SC codes are negative and pass as they are
  return ToHResult(kWin32StatusBase | (static_cast<std::uint32_t>(errorCode) & 0xFFFFu));
}

HRESULT ReportSystemError(const ServiceIdentity& reporter, HRESULT status) {
  return ReportError(reporter, SystemMessage(status).c_str(), status);
}

HRESULT Translate(const ServiceIdentity& reporter) {
  try {
    throw;
  } catch (const CardException& e) {
    return ReportError(reporter, e.message.c_str(), e.errorCode);
  } catch (const JavaCard::AppletException& e) {
    const std::string text = FormatString("Card applet returned an error %04Xh", unsigned{e.statusWord});
    return ReportError(reporter, text.c_str(), ToHResult(kAppletStatusBase | e.statusWord));
  } catch (const Win32Exception& e) {
    return ReportError(reporter, e.message.c_str(), Win32Status(e.errorCode));
  } catch (const Exception& e) {
    return ReportError(reporter, e.message.c_str(), S_OK);
  } catch (const std::bad_alloc&) {
    return ReportSystemError(reporter, E_OUTOFMEMORY);
  } catch (const std::exception& e) {
    return ReportError(reporter, e.what(), E_UNEXPECTED);
  } catch (...) {
    return ReportSystemError(reporter, E_UNEXPECTED);
  }
}

}  // namespace

HRESULT HandleException(const ServiceIdentity& reporter) noexcept {
  try {
    if (!std::current_exception()) return ReportSystemError(reporter, E_UNEXPECTED);
    return Translate(reporter);
  } catch (...) {
    // Only the formatting of a report can get here, and only by running out of memory.
    return E_OUTOFMEMORY;
  }
}

}  // namespace TAVQ
