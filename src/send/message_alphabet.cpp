#include "send/message_alphabet.hpp"

#include "typelib/string_table.hpp"

#include <array>

namespace orvulink::send {
namespace {

// Every distinct unit of the alphabet entry, plus CR, which the entry only names.
class AlphabetTable {
 public:
  AlphabetTable() {
    const BStr alphabet = typelib::LoadResString(typelib::kMessageAlphabetId);
    for (char16_t unit : alphabet.str())
      Allow(unit);
    Allow(u'\r');
  }
  bool Contains(char16_t unit) const { return unit < allowed_.size() ? allowed_[unit] : false; }

 private:
  void Allow(char16_t unit) {
    if (unit < allowed_.size()) allowed_[unit] = true;
  }
  // Every character of the alphabet lies below U+0100.
  std::array<bool, 0x100> allowed_{};
};

}  // namespace

bool InMessageAlphabet(char16_t unit) {
  static const AlphabetTable table;
  return table.Contains(unit);
}

}  // namespace orvulink::send
