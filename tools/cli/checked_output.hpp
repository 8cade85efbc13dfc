// Standard output written straight to its file descriptor, remembering the first failure with
// its cause: a full disk or a reader that went away must end the command with an error, and the
// cause is lost if it is asked for later.
#pragma once

#include <array>
#include <streambuf>
#include <string>

namespace orvulink::cli {

class CheckedOutputBuffer : public std::streambuf {
 public:
  explicit CheckedOutputBuffer(int descriptor);
  CheckedOutputBuffer(const CheckedOutputBuffer&) = delete;
  CheckedOutputBuffer& operator=(const CheckedOutputBuffer&) = delete;

  // Writes what is buffered; empty when every byte arrived, else why not.
  std::string Finish();

 protected:
  int_type overflow(int_type next) override;
  int sync() override;

 private:
  bool WriteBuffered();

  int descriptor_;
  int error_ = 0;  // errno of the first failed write
  std::array<char, 1 << 16> buffer_{};
};

}  // namespace orvulink::cli
