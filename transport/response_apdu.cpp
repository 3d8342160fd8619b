#include "transport/response_apdu.h"

#include <utility>

#include "support/exception.h"

namespace SmartCardIO {

namespace {

const TAVQ::ByteArray& RequireStatusWord(const TAVQ::ByteArray& answer) {
  if (answer.size() < 2) throw SCIOException(u"The card's answer is shorter than a status word.");
  return answer;
}

}  // namespace

ResponseAPDU::ResponseAPDU(const TAVQ::ByteArray& answer)
    : sw1_(RequireStatusWord(answer)[answer.size() - 2]),
      sw2_(answer[answer.size() - 1]),
      data_(answer.begin(), answer.end() - 2) {}

ResponseAPDU::ResponseAPDU(TAVQ::ByteArray data, std::uint8_t sw1, std::uint8_t sw2)
    : sw1_(sw1), sw2_(sw2), data_(std::move(data)) {}

void ResponseAPDU::CheckStatusWord() const {
  if (sw() != 0x9000) throw JavaCard::AppletException(sw());
}

}  // namespace SmartCardIO
