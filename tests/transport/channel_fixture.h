// A card channel over the real connection stack, down to the scripted PC/SC.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_pcsc.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"

class ChannelTest : public ::testing::Test {
 protected:
  void Open(std::uint32_t protocol) {
    pcsc.SetProtocol(protocol);
    channel = std::make_unique<SmartCardIO::PCSCCardChannel>(
        u"Reader 0", std::make_unique<TAVQ::PCSC::PCSCCardConnection>(u"Reader 0"));
    channel->Connect();
    pcsc.ClearLog();
  }

  std::vector<TAVQ::ByteArray> Sent() const { return pcsc.SentCommands(); }

  Fakes::FakePCSC pcsc;
  std::unique_ptr<SmartCardIO::PCSCCardChannel> channel;
};
