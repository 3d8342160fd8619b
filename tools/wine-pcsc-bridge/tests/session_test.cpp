// The server's side of a connection, fed through a socket pair. None of these requests
// reaches pcsc-lite, so no pcscd is needed.
#include "server/session.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "common/operations.h"

namespace WinePcscBridge {
namespace {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    peer_ = ends[0];
    // These tests send malformed requests on purpose: the server's complaints are expected.
    server_ = std::thread([socket = ends[1]] { Session(socket, "[expected] wine-pcsc-bridge: ").Run(); });
  }
  void TearDown() override {
    if (peer_ >= 0) close(peer_);
    server_.join();  // the session ends once its peer is gone
  }

  void Send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(write(peer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The next response body, or nothing when the server closed the connection.
  bool Receive(std::vector<std::uint8_t>& body) {
    std::uint8_t prefix[4];
    if (!ReadAll(prefix, sizeof prefix)) return false;
    body.resize(FrameBodyLength(prefix));
    return ReadAll(body.data(), body.size());
  }
  bool ReadAll(std::uint8_t* data, std::size_t length) {
    while (length > 0) {
      const ssize_t count = read(peer_, data, length);
      if (count <= 0) return false;
      data += count;
      length -= static_cast<std::size_t>(count);
    }
    return true;
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
  bool ServerClosed() {
    std::vector<std::uint8_t> body;
    return !Receive(body);
  }

  int peer_ = -1;
  std::thread server_;
};

MessageWriter Request(Operation operation) { return MessageWriter().U32(static_cast<std::uint32_t>(operation)); }

TEST_F(SessionTest, CallsBeforeEstablishContextAnswerInvalidHandle) {
  EXPECT_EQ(ResultOf(Request(Operation::ListReaders)), kInvalidHandle);
  EXPECT_EQ(ResultOf(Request(Operation::Connect).Text("Virtual PCD 00 00").U32(2).U32(3)), kInvalidHandle);
  EXPECT_EQ(ResultOf(Request(Operation::Transmit).U32(1).U32(2).Bytes({0, 0xB0, 0, 0, 0}).U32(258)),
            kInvalidHandle);
  // The connection is still usable after those answers.
  EXPECT_EQ(ResultOf(Request(Operation::Status).U32(7)), kInvalidHandle);
}

TEST_F(SessionTest, OversizedFrameClosesTheConnection) {
  Send({0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_TRUE(ServerClosed());
}

TEST_F(SessionTest, UnknownOperationClosesTheConnection) {
  Send(Request(static_cast<Operation>(99)).U32(1).Frame());
  EXPECT_TRUE(ServerClosed());
}

TEST_F(SessionTest, TruncatedArgumentsCloseTheConnection) {
  // Connect with the reader name but without share mode and protocols.
  Send(Request(Operation::Connect).Text("Virtual PCD 00 00").Frame());
  EXPECT_TRUE(ServerClosed());
}

TEST_F(SessionTest, TrailingArgumentsCloseTheConnection) {
  Send(Request(Operation::ListReaders).U32(0).Frame());
  EXPECT_TRUE(ServerClosed());
}

TEST_F(SessionTest, PeerClosingMidFrameEndsTheSession) {
  Send({20, 0, 0, 0, 1, 0});
  close(peer_);
  peer_ = -1;  // TearDown's join returns only if the session noticed
}

}  // namespace
}  // namespace WinePcscBridge
