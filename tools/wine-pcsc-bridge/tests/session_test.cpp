// The server's side of a connection through a socket pair; no request reaches pcsc-lite.
#include "server/session.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "common/operations.h"

namespace WinePcscBridge {
namespace {

// A session on a socket pair; the destructor returns only once the session has ended.
class Connection {
 public:
  Connection() {
    int ends[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    peer_ = ends[0];
    // Malformed requests are sent on purpose: the server's complaints are expected.
    server_ = std::thread([socket = ends[1]] { Session(socket, "[expected] wine-pcsc-bridge: ").Run(); });
  }
  ~Connection() {
    Close();
    server_.join();
  }
  void Close() {
    if (peer_ >= 0) close(peer_);
    peer_ = -1;
  }
  void Send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(write(peer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The next response body, or nothing when the server closed the connection.
  bool Receive(std::vector<std::uint8_t>& body) {
    std::uint8_t prefix[4];
    if (recv(peer_, prefix, sizeof prefix, MSG_WAITALL) != sizeof prefix) return false;
    body.resize(FrameBodyLength(prefix));
    return recv(peer_, body.data(), body.size(), MSG_WAITALL) == static_cast<ssize_t>(body.size());
  }
  std::uint32_t ResultOf(const MessageWriter& request) {
    Send(request.Frame());
    std::vector<std::uint8_t> body;
    EXPECT_TRUE(Receive(body));
    MessageReader response(body);
    const std::uint32_t result = response.U32();
    EXPECT_NO_THROW(response.ExpectEnd());
    return result;
  }

 private:
  int peer_ = -1;
  std::thread server_;
};

MessageWriter Request(Operation operation) { return MessageWriter().U32(static_cast<std::uint32_t>(operation)); }

TEST(Session, CallsBeforeEstablishContextAnswerInvalidHandle) {
  Connection connection;
  EXPECT_EQ(connection.ResultOf(Request(Operation::ListReaders)), kInvalidHandle);
  EXPECT_EQ(connection.ResultOf(Request(Operation::Connect).Text("Virtual PCD 00 00").U32(2).U32(3)), kInvalidHandle);
  EXPECT_EQ(connection.ResultOf(Request(Operation::Transmit).U32(1).U32(2).Bytes({0, 0xB0, 0, 0, 0}).U32(258)),
            kInvalidHandle);
  // The connection is still usable after those answers.
  EXPECT_EQ(connection.ResultOf(Request(Operation::Status).U32(7)), kInvalidHandle);
}

TEST(Session, MalformedRequestsCloseTheConnection) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"oversized frame", {0xFF, 0xFF, 0xFF, 0x7F}},
      {"unknown operation", Request(static_cast<Operation>(99)).U32(1).Frame()},
      {"Connect without share mode and protocols", Request(Operation::Connect).Text("Virtual PCD 00 00").Frame()},
      {"trailing arguments", Request(Operation::ListReaders).U32(0).Frame()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Connection connection;
    connection.Send(c.bytes);
    std::vector<std::uint8_t> body;
    EXPECT_FALSE(connection.Receive(body));
  }
}

TEST(Session, PeerClosingMidFrameEndsTheSession) {
  Connection connection;
  connection.Send({20, 0, 0, 0, 1, 0});
  connection.Close();  // the destructor's join returns only if the session noticed
}

}  // namespace
}  // namespace WinePcscBridge
