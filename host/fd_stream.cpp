#include "host/fd_stream.h"

#include "host/platform_io.h"

namespace Host {

FdInputBuffer::int_type FdInputBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const long got = ReadSome(fd_, buffer_.data(), buffer_.size());
  if (got <= 0) return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

FdOutputBuffer::~FdOutputBuffer() { Drain(); }

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FdOutputBuffer::sync() { return Drain() ? 0 : -1; }

bool FdOutputBuffer::Drain() {
  const char* next = pbase();
  while (next < pptr()) {
    const long put = WriteSome(fd_, next, static_cast<std::size_t>(pptr() - next));
    if (put <= 0) return false;
    next += put;
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return true;
}

}  // namespace Host
