// Fresh challenges for active authentication.
#pragma once

#include <cstddef>

#include "support/types.h"

// length bytes from a cryptographically strong generator (the kernel's on Linux). A
// predictable challenge would let a cloned chip replay recorded answers.
TAVQ::ByteArray RandomChallenge(std::size_t length);
