#include "server/block_hand_over.h"

namespace Server {

thread_local const BlockHandOver* BlockHandOver::current_ = nullptr;

}  // namespace Server
