// One reader whose card answers each command with the next answer of a list, whatever
// the command: the card as an attacker plays it (fuzz harnesses; no test framework).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>

#include "fakes/recording_pcsc.h"

namespace Fakes {

struct CardAnswer {
  TAVQ::ByteArray response;
  TAVQ::PCSC::Result failure = 0;
};

class AnsweringCardPCSC : public RecordingPCSC {
 public:
  // Once the answers are used up, the card is pulled or repeats its last answer forever.
  enum class WhenExhausted { Leave, RepeatLast };

  static constexpr char16_t kReader[] = u"Answering Reader 0";

  // More than maxTransmits commands abort: a caller a card can keep talking is a finding.
  AnsweringCardPCSC(std::uint32_t protocol, std::deque<CardAnswer> answers, WhenExhausted whenExhausted,
                    std::size_t maxTransmits)
      : answers_(std::move(answers)), whenExhausted_(whenExhausted), maxTransmits_(maxTransmits) {
    SetReaders({kReader});
    SetProtocol(protocol);
    FailAlways(Call::Control, TAVQ::PCSC::kInvalidParameter);
  }

 protected:
  Result Answer(const ByteArray& command, ByteArray& answer) override {
    if (command.size() < 4) return TAVQ::PCSC::kInvalidParameter;
    if (++transmits_ > maxTransmits_) {
      std::fprintf(stderr, "AnsweringCardPCSC: more than %zu commands: the caller does not stop\n", maxTransmits_);
      std::abort();
    }
    if (left_) return TAVQ::PCSC::kRemovedCard;
    if (!answers_.empty()) {
      last_ = std::move(answers_.front());
      answers_.pop_front();
    } else if (whenExhausted_ == WhenExhausted::Leave) {
      left_ = true;
      FailAlways(Call::Status, TAVQ::PCSC::kRemovedCard);
      FailAlways(Call::BeginTransaction, TAVQ::PCSC::kRemovedCard);
      FailAlways(Call::Connect, TAVQ::PCSC::kNoSmartcard);
      FailAlways(Call::Reconnect, TAVQ::PCSC::kNoSmartcard);
      return TAVQ::PCSC::kRemovedCard;
    }
    answer = last_.response;
    return last_.failure;
  }

 private:
  std::deque<CardAnswer> answers_;
  WhenExhausted whenExhausted_;
  std::size_t maxTransmits_;
  std::size_t transmits_ = 0;
  bool left_ = false;
  CardAnswer last_;
};

}  // namespace Fakes
