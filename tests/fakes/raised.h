// What an action raises: the exception itself, or its message as UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "support/exception.h"
#include "support/text.h"

namespace Fakes {

// The exception of type E that action raises; a test failure when it raises none.
template <typename E = TAVQ::Exception>
E Raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "expected exception not raised";
  throw std::logic_error("no exception");
}

inline std::string MessageOf(const std::function<void()>& action) {
  return TAVQ::ToUtf8(Raised<TAVQ::Exception>(action).message);
}

}  // namespace Fakes
