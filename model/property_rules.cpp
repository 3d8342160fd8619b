#include "model/property_rules.h"

#include "support/exception.h"

namespace ZK {

TAVQ::WString UpToFirstNul(const TAVQ::WString& text) { return text.substr(0, text.find(u'\0')); }

HRESULT GetText(const TAVQ::WString& field, TAVQ::WString* result) {
  if (result == nullptr) return E_INVALIDARG;
  *result = UpToFirstNul(field);
  return S_OK;
}

HRESULT PutText(TAVQ::WString& field, const TAVQ::WString& value) {
  field = UpToFirstNul(value);
  return S_OK;
}

HRESULT GetText(const OptionalField<TAVQ::WString>& field, TAVQ::WString* result) {
  if (result == nullptr) return E_INVALIDARG;
  if (!field.specified) return E_FAIL;
  return GetText(field.value, result);
}

HRESULT PutText(OptionalField<TAVQ::WString>& field, const TAVQ::WString& value) {
  PutText(field.value, value);
  field.specified = true;
  return S_OK;
}

HRESULT GetNumber(std::int32_t field, std::int32_t* result) {
  if (result == nullptr) return E_INVALIDARG;
  *result = field;
  return S_OK;
}

HRESULT PutNumber(std::int32_t& field, std::int32_t value) {
  field = value;
  return S_OK;
}

HRESULT GetNumber(const OptionalField<std::int32_t>& field, std::int32_t* result) {
  if (result == nullptr) return E_INVALIDARG;
  if (!field.specified) return E_FAIL;
  return GetNumber(field.value, result);
}

HRESULT PutNumber(OptionalField<std::int32_t>& field, std::int32_t value) {
  field.value = value;
  field.specified = true;
  return S_OK;
}

HRESULT GetDate(TAVQ::DateTime field, TAVQ::OleDate* result) {
  if (result == nullptr) return E_INVALIDARG;
  std::int64_t fileTime = 0;
  try {
    fileTime = field.ToFileTime();
  } catch (const TAVQ::Exception&) {
    return E_FAIL;
  }
  TAVQ::SystemTime systemTime;
  TAVQ::OleDate date = 0.0;
  if (!TAVQ::FileTimeToSystemTime(static_cast<std::uint64_t>(fileTime), systemTime) ||
      !TAVQ::SystemTimeToVariantTime(systemTime, date)) {
    date = 0.0;
  }
  *result = date;
  return S_OK;
}

HRESULT PutDate(TAVQ::DateTime& field, TAVQ::OleDate value) {
  TAVQ::SystemTime systemTime;
  if (!TAVQ::VariantTimeToSystemTime(value, systemTime)) return E_FAIL;
  try {
    field = TAVQ::DateTime::FromSystemTime(systemTime);
  } catch (const TAVQ::Exception&) {
    return E_FAIL;
  }
  return S_OK;
}

HRESULT GetDate(const OptionalField<TAVQ::DateTime>& field, TAVQ::OleDate* result) {
  if (result == nullptr) return E_INVALIDARG;
  if (!field.specified) return E_FAIL;
  return GetDate(field.value, result);
}

HRESULT PutDate(OptionalField<TAVQ::DateTime>& field, TAVQ::OleDate value) {
  const HRESULT status = PutDate(field.value, value);
  if (status == S_OK) field.specified = true;
  return status;
}

}  // namespace ZK
