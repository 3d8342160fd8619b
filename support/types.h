// Value types shared by every layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TAVQ {

// UTF-16 text on every platform: card formats count lengths in UTF-16 units and bytes.
using WString = std::u16string;

// Carries APDUs, card answers, block bytes, element values, AIDs and certificates.
using ByteArray = std::vector<std::uint8_t>;

// Ordered list of wide strings (reader names).
using StringList = std::vector<WString>;

}  // namespace TAVQ
