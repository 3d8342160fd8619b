// What the host asks of the system for each request. The real ones go to the card
// services through the same code as kavrin-hc; tests and the fuzz harness put their own.
#pragma once

#include <cstdint>

#include "cli/block_json.h"
#include "cli/card_reading.h"

namespace Host {

using Json = Cli::Json;

class HostServices {
 public:
  virtual ~HostServices() = default;
  virtual Json ReaderList() = 0;                            // as `kavrin-hc readers --json`
  virtual Json Read(const Cli::ReadRequest& request) = 0;   // as `kavrin-hc read --json`
  virtual Json ErrorMessage(std::int32_t code) = 0;         // as `kavrin-hc message CODE --json`
};

// The card services of this machine.
class CardServices : public HostServices {
 public:
  Json ReaderList() override;
  Json Read(const Cli::ReadRequest& request) override;
  Json ErrorMessage(std::int32_t code) override;
};

}  // namespace Host
