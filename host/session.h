// The host's conversation with the browser: one answer frame for each request frame, in
// order, until the input ends. Nothing but frames is written to out.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "host/frame.h"
#include "host/host_services.h"

namespace Host {

// The host's name, as browsers know it, and its version.
constexpr const char* kHostName = "org.kavrin.hc";
extern const char* const kHostVersion;

// The answer to one frame, as the JSON text to send. A frame that cannot be understood
// gets {"error": {"hresult", "message"}}; an answer longer than a browser accepts is
// replaced by such an error.
std::string AnswerTo(const IncomingFrame& frame, HostServices& services);

// Serves requests until the input ends. A truncated last frame gets its error answer
// before the end.
void Serve(std::istream& in, std::ostream& out, HostServices& services);

}  // namespace Host
