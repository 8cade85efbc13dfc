// MD5 (RFC 1321) over the low byte of every UTF-16 code unit of a text.
#include "control/md5.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvulink::control {
namespace {

using Word = std::uint32_t;
using State = std::array<Word, 4>;
using BitTable = std::array<Word, 31>;

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kLengthFieldBytes = 8;
constexpr unsigned char kPaddingMarker = 0x80;
constexpr State kInitialState = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// floor(|sin(i + 1)| * 2^32) for the 64 steps.
constexpr std::array<Word, 64> kSineConstants = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Rotation amounts: four per round, repeated for the round's 16 steps.
constexpr std::array<std::size_t, 16> kRotations = {7, 12, 17, 22, 5, 9,  14, 20,
                                                    4, 11, 16, 23, 6, 10, 15, 21};

// Rotations built from the two tables: the bits that survive the left shift are masked first,
// so the multiplication by 2^bits cannot overflow out of them.
class BitOperations {
 public:
  BitOperations(const BitTable& lowBitMasks, const BitTable& powersOfTwo)
      : lowBitMasks_(lowBitMasks), powersOfTwo_(powersOfTwo) {}

  // bits is 1..30: the powers of two stop at 2^30.
  Word RotateLeft(Word word, std::size_t bits) const {
    const std::size_t keptBits = 32 - bits;
    const Word shiftedLeft = (word & lowBitMasks_[keptBits - 1]) * powersOfTwo_[bits];
    return shiftedLeft | (word >> keptBits);
  }

 private:
  const BitTable& lowBitMasks_;
  const BitTable& powersOfTwo_;
};

// One byte per code unit: the low 8 bits.
std::string LowBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() + kBlockBytes + kLengthFieldBytes);
  for (char16_t unit : text)
    bytes.push_back(static_cast<char>(unit & 0xFF));
  return bytes;
}

// 0x80, zeros up to 56 mod 64, then the bit length as a 64-bit little-endian number.
void AppendPadding(std::string& bytes) {
  const std::uint64_t bitLength = static_cast<std::uint64_t>(bytes.size()) * 8U;
  bytes.push_back(static_cast<char>(kPaddingMarker));
  while (bytes.size() % kBlockBytes != kBlockBytes - kLengthFieldBytes)
    bytes.push_back('\0');
  for (std::size_t i = 0; i < kLengthFieldBytes; ++i) {
    bytes.push_back(static_cast<char>((bitLength >> (8 * i)) & 0xFF));
  }
}

Word LoadLittleEndian(std::string_view fourBytes) {
  Word word = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    word |= static_cast<Word>(static_cast<unsigned char>(fourBytes[i])) << (8 * i);
  }
  return word;
}

// The round function and the message word of step `step` (0..63).
Word RoundFunction(int step, Word b, Word c, Word d) {
  switch (step / 16) {
    case 0:
      return (b & c) | (~b & d);
    case 1:
      return (b & d) | (c & ~d);
    case 2:
      return b ^ c ^ d;
    default:
      return c ^ (b | ~d);
  }
}

std::size_t MessageWordIndex(int step) {
  static constexpr std::array<int, 4> kMultiplier = {1, 5, 3, 7};
  static constexpr std::array<int, 4> kOffset = {0, 1, 5, 0};
  const int round = step / 16;
  return static_cast<std::size_t>((kMultiplier[round] * step + kOffset[round]) % 16);
}

void TransformBlock(State& state, std::string_view block, const BitOperations& bits) {
  std::array<Word, 16> words{};
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = LoadLittleEndian(block.substr(4 * i));

  auto [a, b, c, d] = state;
  for (int step = 0; step < 64; ++step) {
    const Word mixed = RoundFunction(step, b, c, d) + a +
                       kSineConstants[static_cast<std::size_t>(step)] +
                       words[MessageWordIndex(step)];
    const std::size_t rotation = kRotations[static_cast<std::size_t>((step / 16) * 4 + step % 4)];
    a = d;
    d = c;
    c = b;
    b += bits.RotateLeft(mixed, rotation);
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

// The digest's bytes in standard order (low byte of the first word first), lower-case hex.
std::u16string ToHex(const State& state) {
  static constexpr std::u16string_view kDigits = u"0123456789abcdef";
  std::u16string hex;
  hex.reserve(32);
  for (Word word : state) {
    for (int byte = 0; byte < 4; ++byte) {
      const Word value = (word >> (8 * byte)) & 0xFF;
      hex.push_back(kDigits[value >> 4]);
      hex.push_back(kDigits[value & 0xF]);
    }
  }
  return hex;
}

}  // namespace

CMD5::CMD5() {
  for (std::size_t i = 0; i < lowBitMasks_.size(); ++i) {
    powersOfTwo_[i] = Word{1} << i;
    lowBitMasks_[i] = (Word{1} << (i + 1)) - 1;
  }
}

std::u16string CMD5::MD5(const std::u16string& sMessage) const {
  std::string bytes = LowBytes(sMessage);
  AppendPadding(bytes);
  const BitOperations bits(lowBitMasks_, powersOfTwo_);
  State state = kInitialState;
  const std::string_view all(bytes);
  for (std::size_t offset = 0; offset < all.size(); offset += kBlockBytes) {
    TransformBlock(state, all.substr(offset, kBlockBytes), bits);
  }
  return ToHex(state);
}

std::u16string Md5Digest(const std::u16string& text) {
  return CMD5().MD5(text);
}

}  // namespace orvulink::control
