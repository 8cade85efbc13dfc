#include "csv_records.hpp"

#include "csv_messages.hpp"

namespace orvulink::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

class RecordReader {
 public:
  explicit RecordReader(std::string_view content) : text_(content) {
    if (text_.starts_with(kByteOrderMark)) text_.remove_prefix(kByteOrderMark.size());
  }

  std::vector<CsvRecord> ReadAll() {
    std::vector<CsvRecord> records;
    while (position_ < text_.size()) {
      if (AtLineEnd()) {
        SkipLineEnd();  // a blank line holds no record
        continue;
      }
      records.push_back(ReadRecord());
    }
    return records;
  }

 private:
  bool AtEnd() const { return position_ >= text_.size(); }
  char Peek() const { return text_[position_]; }
  bool AtLineEnd() const {
    return !AtEnd() && (Peek() == '\n' || (Peek() == '\r' && position_ + 1 < text_.size() &&
                                           text_[position_ + 1] == '\n'));
  }

  void SkipLineEnd() {
    if (Peek() == '\r') ++position_;
    ++position_;
    ++line_;
  }

  CsvRecord ReadRecord() {
    CsvRecord record{line_, {}};
    while (true) {
      record.fields.push_back(ReadField());
      if (AtEnd()) break;
      if (AtLineEnd()) {
        SkipLineEnd();
        break;
      }
      ++position_;  // the comma
    }
    return record;
  }

  std::string ReadField() {
    if (!AtEnd() && Peek() == '"') return ReadQuoted();
    const std::size_t start = position_;
    while (!AtEnd() && Peek() != ',' && !AtLineEnd())
      ++position_;
    return std::string(text_.substr(start, position_ - start));
  }

  std::string ReadQuoted() {
    const std::size_t opened_on = line_;
    ++position_;
    std::string field;
    while (true) {
      if (AtEnd()) throw CsvError(opened_on, "a quoted field is not closed");
      const char c = text_[position_++];
      if (c == '\n') ++line_;
      if (c != '"') {
        field += c;
      } else if (!AtEnd() && Peek() == '"') {
        field += '"';
        ++position_;
      } else {
        break;
      }
    }
    if (!AtEnd() && Peek() != ',' && !AtLineEnd()) {
      throw CsvError(line_,
                     "unexpected text after a closing quote (a quote inside a quoted "
                     "field is written \"\")");
    }
    return field;
  }

  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t line_ = 1;
};

}  // namespace

std::vector<CsvRecord> ReadCsvRecords(std::string_view content) {
  return RecordReader(content).ReadAll();
}

}  // namespace orvulink::cli
