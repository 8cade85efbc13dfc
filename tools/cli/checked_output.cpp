#include "checked_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvulink::cli {

CheckedOutputBuffer::CheckedOutputBuffer(int descriptor) : descriptor_(descriptor) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool CheckedOutputBuffer::WriteBuffered() {
  const char* next = pbase();
  while (error_ == 0 && next < pptr()) {
    const ssize_t written = ::write(descriptor_, next, static_cast<std::size_t>(pptr() - next));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) error_ = written < 0 ? errno : EIO;
    if (written > 0) next += written;
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());  // what failed is dropped
  return error_ == 0;
}

CheckedOutputBuffer::int_type CheckedOutputBuffer::overflow(int_type next) {
  if (!WriteBuffered()) return traits_type::eof();
  if (traits_type::eq_int_type(next, traits_type::eof())) return traits_type::not_eof(next);
  *pptr() = traits_type::to_char_type(next);
  pbump(1);
  return next;
}

int CheckedOutputBuffer::sync() {
  return WriteBuffered() ? 0 : -1;
}

std::string CheckedOutputBuffer::Finish() {
  WriteBuffered();
  return error_ == 0 ? std::string() : std::strerror(error_);
}

}  // namespace orvulink::cli
