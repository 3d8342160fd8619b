// A PC/SC with one reader whose card answers every command with the next answer of a
// list, whatever the command was: the card as an attacker plays it (fuzz harnesses).
// It keeps account of what the caller left open but judges nothing: no test framework.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>

#include "fakes/recording_pcsc.h"

namespace Fakes {

// One answer of the card: the response bytes, or a PC/SC failure of the transmit.
struct CardAnswer {
  TAVQ::ByteArray response;
  TAVQ::PCSC::Result failure = 0;
};

class AnsweringCardPCSC : public RecordingPCSC {
 public:
  // What the card does once its answers are used up.
  enum class WhenExhausted {
    Leave,      // the card is pulled: every later transmit and connect fails
    RepeatLast  // it says its last answer again, forever (a card stuck in a loop)
  };

  static constexpr char16_t kReader[] = u"Answering Reader 0";

  // More than maxTransmits commands abort the process: a caller that a card can keep
  // talking forever is a finding, and it must not look like a slow run.
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
