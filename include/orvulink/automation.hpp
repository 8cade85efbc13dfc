// Automation values as a host sees them: text, Booleans, dates, variants, the host's
// collection object, automation errors and events.
#pragma once

#include <orvulink/export.hpp>

#include <compare>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace orvulink {

// Automation text: UTF-16 code units. Every length and position inside the component counts
// code units, as an automation string does.
class ORVULINK_API BStr {
 public:
  BStr() = default;
  BStr(const char* utf8);           // NOLINT(google-explicit-constructor)
  BStr(const std::string& utf8);    // NOLINT(google-explicit-constructor)
  BStr(std::string_view utf8);      // NOLINT(google-explicit-constructor)
  BStr(std::u16string units);       // NOLINT(google-explicit-constructor)
  BStr(const char16_t* units);      // NOLINT(google-explicit-constructor)
  BStr(std::u16string_view units);  // NOLINT(google-explicit-constructor)

  // UTF-8 out; an unpaired surrogate becomes U+FFFD.
  std::string utf8() const;
  const std::u16string& str() const& noexcept { return units_; }
  std::u16string str() && noexcept { return std::move(units_); }  // no copy of a temporary
  std::size_t size() const noexcept { return units_.size(); }
  bool empty() const noexcept { return units_.empty(); }

  friend bool operator==(const BStr&, const BStr&) = default;
  friend auto operator<=>(const BStr&, const BStr&) = default;

 private:
  std::u16string units_;
};

// Automation Boolean: True is -1, False is 0. Made from a C++ bool it holds -1/0; made from a
// raw 16-bit value it keeps it. A switch is on only when it holds exactly True.
struct ORVULINK_API VariantBool {
  static constexpr std::int16_t kTrue = -1;
  static constexpr std::int16_t kFalse = 0;

  std::int16_t value = kFalse;

  constexpr VariantBool() = default;
  constexpr VariantBool(bool b) : value(b ? kTrue : kFalse) {}  // NOLINT
  static constexpr VariantBool Raw(std::int16_t raw) {
    VariantBool v;
    v.value = raw;
    return v;
  }
  // What a conditional on the value sees: anything but 0.
  constexpr bool IsTrue() const { return value != kFalse; }
  // What a switch sees: exactly True.
  constexpr bool IsOn() const { return value == kTrue; }

  friend constexpr bool operator==(VariantBool, VariantBool) = default;
};

// Calendar fields of a date, local time.
struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateParts&, const DateParts&) = default;
};

// Automation date: days since 1899-12-30 00:00 local time as a double; the fraction is the
// time of day (for negative values the fraction counts forward from the whole day).
struct ORVULINK_API Date {
  double value = 0.0;

  constexpr Date() = default;
  constexpr explicit Date(double days) : value(days) {}

  // Fields out of range raise error 5.
  static Date FromParts(const DateParts& parts);
  DateParts ToParts() const;  // rounded to the nearest second
  bool IsZero() const { return value == 0.0; }
  // "yyyy-mm-dd HH:MM:SS", the general date format of the log lines.
  std::string FormatGeneral() const;

  friend constexpr bool operator==(Date, Date) = default;
};

// Base of every object that can travel inside a Variant. The component keeps an object alive
// through a command of its own, as the host may drop its last reference from an event handler.
class ORVULINK_API AutomationObject : public std::enable_shared_from_this<AutomationObject> {
 public:
  virtual ~AutomationObject();
};

struct Empty {
  friend constexpr bool operator==(Empty, Empty) = default;
};

// A small automation variant: empty, Integer, Long, Double, text, Boolean, date, object.
class ORVULINK_API Variant {
 public:
  using Value = std::variant<Empty, std::int16_t, std::int32_t, double, BStr, VariantBool, Date,
                             std::shared_ptr<AutomationObject>>;

  Variant() = default;
  Variant(std::int16_t v) : value_(v) {}                                  // NOLINT
  Variant(std::int32_t v) : value_(v) {}                                  // NOLINT
  Variant(double v) : value_(v) {}                                        // NOLINT
  Variant(BStr v) : value_(std::move(v)) {}                               // NOLINT
  Variant(const char* v) : value_(BStr(v)) {}                             // NOLINT
  Variant(const std::string& v) : value_(BStr(v)) {}                      // NOLINT
  Variant(std::u16string v) : value_(BStr(std::move(v))) {}               // NOLINT
  Variant(VariantBool v) : value_(v) {}                                   // NOLINT
  Variant(bool v) : value_(VariantBool(v)) {}                             // NOLINT
  Variant(Date v) : value_(v) {}                                          // NOLINT
  Variant(std::shared_ptr<AutomationObject> v) : value_(std::move(v)) {}  // NOLINT

  const Value& value() const noexcept { return value_; }
  bool IsEmpty() const { return std::holds_alternative<Empty>(value_); }

  // The text of the value as an automation conversion gives it (numbers in decimal with "."
  // as separator, Booleans "True"/"False", dates in the general format, empty as "").
  // An object raises 13 (type mismatch).
  BStr ToText() const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  Value value_;
};

// The host's collection: 1-based, in the order added, with optional text keys compared
// without regard to letter case. A missing index raises 9, a missing key 5, a key already
// present 457.
class ORVULINK_API Collection : public AutomationObject {
 public:
  void Add(Variant item, const BStr& key = {});
  const Variant& Item(std::int32_t index) const;
  const Variant& Item(const BStr& key) const;
  void Remove(std::int32_t index);
  std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }

  std::vector<Variant>::const_iterator begin() const { return items_.begin(); }
  std::vector<Variant>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<Variant> items_;
  std::vector<std::optional<std::u16string>> keys_;  // folded key per position
  std::unordered_map<std::u16string, std::size_t> positions_;
};

// An automation error: number, source, description; HResult is 0x800A0000 + number.
class ORVULINK_API AutomationError : public std::exception {
 public:
  AutomationError(std::int32_t number, BStr source, BStr description);

  std::int32_t Number() const noexcept { return number_; }
  const BStr& Source() const noexcept { return source_; }
  const BStr& Description() const noexcept { return description_; }
  std::uint32_t HResult() const noexcept {
    return 0x800A0000u + static_cast<std::uint32_t>(number_ & 0xFFFF);
  }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::int32_t number_;
  BStr source_;
  BStr description_;
  std::string what_;
};

// Event<Args...>: handlers connected by the host, fired in the order connected. Connect returns
// a connection that disconnects when destroyed (or on Disconnect()). A handler may connect or
// disconnect others while the event fires: one connected then is called from the next firing,
// one disconnected then is not called again, not even later in the same firing.
template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

 private:
  struct Slot {
    Handler handler;
    bool connected;
  };

 public:
  class Connection {
   public:
    Connection() = default;
    Connection(Connection&&) noexcept = default;
    Connection& operator=(Connection&& other) noexcept {
      if (this != &other) {
        Disconnect();
        slot_ = std::move(other.slot_);
      }
      return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Disconnect(); }

    void Disconnect() {
      if (auto slot = slot_.lock()) slot->connected = false;
      slot_.reset();
    }
    bool Connected() const {
      auto slot = slot_.lock();
      return slot && slot->connected;
    }

   private:
    friend class Event;
    explicit Connection(std::weak_ptr<typename Event::Slot> slot) : slot_(std::move(slot)) {}
    std::weak_ptr<typename Event::Slot> slot_;
  };

  [[nodiscard]] Connection Connect(Handler handler) {
    Prune();
    auto slot = std::make_shared<Slot>(Slot{std::move(handler), true});
    slots_.push_back(slot);
    return Connection(slot);
  }

  void Fire(Args... args) {
    auto snapshot = slots_;
    for (auto& slot : snapshot) {
      if (slot->connected) slot->handler(args...);
    }
  }

  std::size_t HandlerCount() const {
    std::size_t n = 0;
    for (auto& slot : slots_)
      n += slot->connected ? 1 : 0;
    return n;
  }

 private:
  void Prune() {
    std::erase_if(slots_, [](const std::shared_ptr<Slot>& s) { return !s->connected; });
  }
  std::vector<std::shared_ptr<Slot>> slots_;
};

}  // namespace orvulink
