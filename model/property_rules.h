// The property rules shared by the block objects: each getter and setter returns
// a status as the Automation binding hands it on (no exception leaves them), and
// Load/Store move values between an object's fields and a decoded block.
#pragma once

#include <cstdint>

#include "model/string_element.h"
#include "support/datetime.h"
#include "support/hresult.h"
#include "support/system_time.h"
#include "support/types.h"

namespace ZK {

// The field of an optional element: its value and its presence flag ("…Specified").
template <class T>
struct OptionalField {
  T value{};
  bool specified = false;
};

// Text up to its first NUL character.
TAVQ::WString UpToFirstNul(const TAVQ::WString& text);

HRESULT GetText(const TAVQ::WString& field, TAVQ::WString* result);
HRESULT PutText(TAVQ::WString& field, const TAVQ::WString& value);
HRESULT GetText(const OptionalField<TAVQ::WString>& field, TAVQ::WString* result);
HRESULT PutText(OptionalField<TAVQ::WString>& field, const TAVQ::WString& value);

HRESULT GetNumber(std::int32_t field, std::int32_t* result);
HRESULT PutNumber(std::int32_t& field, std::int32_t value);
HRESULT GetNumber(const OptionalField<std::int32_t>& field, std::int32_t* result);
HRESULT PutNumber(OptionalField<std::int32_t>& field, std::int32_t value);

// Field to OLE DATE through file time and SYSTEMTIME: a card date (Utc midnight)
// reads as that day at midnight in every time zone. A field before 1601-01-01 has
// no file time and gives E_FAIL (a never-set field holds 0 ticks).
HRESULT GetDate(TAVQ::DateTime field, TAVQ::OleDate* result);
// The DATE is universal time and is kept so (kind Utc): the card then gets the
// calendar day the client wrote, in every time zone. A DATE with no
// SYSTEMTIME, or one before 1601-01-01 (no file time), gives E_FAIL and leaves the
// field unchanged.
HRESULT PutDate(TAVQ::DateTime& field, TAVQ::OleDate value);
HRESULT GetDate(const OptionalField<TAVQ::DateTime>& field, TAVQ::OleDate* result);
HRESULT PutDate(OptionalField<TAVQ::DateTime>& field, TAVQ::OleDate value);

template <class T>
HRESULT GetSpecified(const OptionalField<T>& field, bool* result) {
  if (result == nullptr) return E_INVALIDARG;
  *result = field.specified;
  return S_OK;
}

// The value stays as it is, so clearing and setting the flag again brings it back.
template <class T>
HRESULT PutSpecified(OptionalField<T>& field, bool value) {
  field.specified = value;
  return S_OK;
}

// Load: a mandatory element's value, or an optional element's presence and, when
// present, its value (an absent one keeps the field's earlier value).
template <class T, class Element>
void LoadField(T& field, const Element& element) {
  field = element.GetValue();
}
template <class T, class Element>
void LoadField(OptionalField<T>& field, const Element& element) {
  field.specified = !element.IsNull();
  if (field.specified) field.value = element.GetValue();
}

// Store: validates nothing (encoding does). An optional field whose flag is false
// leaves the element exactly as it was, present or absent.
template <class T, class Element>
void StoreField(Element& element, const T& field) {
  element.SetValue(field);
}
inline void StoreField(StringElement& element, const TAVQ::WString& field) {
  element.SetValue(UpToFirstNul(field));
}
template <class T, class Element>
void StoreField(Element& element, const OptionalField<T>& field) {
  if (field.specified) StoreField(element, field.value);
}

}  // namespace ZK
