#include "transport/card_connection.h"

namespace SmartCardIO {

CardConnection::~CardConnection() = default;

}  // namespace SmartCardIO
