// A scripted PC/SC: ExpectApdu("00A4040C02 0D01", "9000") scripts the next command and its
// answer. Any other command fails the test and is answered 6F 00.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "fakes/recording_pcsc.h"

namespace Fakes {

class FakePCSC : public RecordingPCSC {
 public:
  void ExpectApdu(const ByteArray& command, const ByteArray& answer) { script_.emplace_back(command, answer); }
  void ExpectApdu(std::string_view commandHex, std::string_view answerHex) {
    ExpectApdu(Hex(commandHex), Hex(answerHex));
  }
  bool ScriptDone() const { return script_.empty(); }

 protected:
  Result Answer(const ByteArray& command, ByteArray& answer) override {
    answer = {0x6F, 0x00};
    if (script_.empty()) {
      ADD_FAILURE() << "unexpected command " << HexOf(command) << " after the end of the script";
      return 0;
    }
    if (script_.front().first == command) {
      answer = script_.front().second;
    } else {
      ADD_FAILURE() << "command " << HexOf(command) << " where the script expects " << HexOf(script_.front().first);
    }
    script_.pop_front();
    return 0;
  }

 private:
  std::deque<std::pair<ByteArray, ByteArray>> script_;
};

}  // namespace Fakes
