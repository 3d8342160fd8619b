// Stream buffers straight over a file descriptor, in binary.
#pragma once

#include <array>
#include <streambuf>

namespace Host {

class FdInputBuffer : public std::streambuf {
 public:
  explicit FdInputBuffer(int fd) : fd_(fd) {}

 protected:
  int_type underflow() override;

 private:
  int fd_;
  std::array<char, 64 * 1024> buffer_{};
};

class FdOutputBuffer : public std::streambuf {
 public:
  explicit FdOutputBuffer(int fd);
  ~FdOutputBuffer() override;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain();

  int fd_;
  std::array<char, 64 * 1024> buffer_{};
};

}  // namespace Host
