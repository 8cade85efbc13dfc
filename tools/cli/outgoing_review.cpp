#include "outgoing_review.hpp"

#include <orvulink/message_text.hpp>

#include <set>
#include <string>

#include "dry_run.hpp"
#include "exit_codes.hpp"
#include "phone_prefix.hpp"
#include "settings_rules.hpp"

namespace orvulink::cli {
namespace {

// Characters, not UTF-16 units: an emoji is one of each for the user.
std::size_t CharacterCount(std::u16string_view units) {
  std::size_t count = 0;
  for (const char16_t unit : units)
    count += (unit >= 0xDC00 && unit <= 0xDFFF) ? 0 : 1;
  return count;
}

// Each dropped character once, in the order met.
std::string DistinctCharacters(const BStr& dropped) {
  std::string seen_text;
  std::set<std::u16string> seen;
  const std::u16string& units = dropped.str();
  for (std::size_t i = 0; i < units.size(); ++i) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size();
    const std::u16string character = units.substr(i, pair ? 2 : 1);
    i += pair ? 1 : 0;
    if (!seen.insert(character).second) continue;
    seen_text += (seen_text.empty() ? "" : " ") + BStr(character).utf8();
  }
  return seen_text;
}

std::string Recipients(const Outgoing& item) {
  std::string text = item.phones.front();
  if (item.phones.size() > 1) text += " and " + std::to_string(item.phones.size() - 1) + " more";
  return text;
}

// The warning for a text the component will change, or "" when it goes out as written.
std::string TextWarning(const Outgoing& item) {
  const BStr given(item.text);
  const MessageTextCheck check = CheckMessageText(given);
  std::string changes;
  const auto add = [&changes](const std::string& change) {
    changes += (changes.empty() ? "" : "; ") + change;
  };
  if (check.cutUnits > 0) {
    const auto cut =
        given.str().substr(given.str().size() - static_cast<std::size_t>(check.cutUnits));
    add("the last " + std::to_string(CharacterCount(cut)) + " characters cut (at most " +
        std::to_string(MaxMessageTextLength()) + ")");
  }
  if (!check.dropped.str().empty()) {
    add("dropped, not in the SMS alphabet: " + DistinctCharacters(check.dropped));
  }
  if (check.wordsBroken) add("words longer than one SMS broken with spaces");
  if (changes.empty()) return {};
  return "message to " + Recipients(item) + ": " + changes + "; it goes out as " +
         std::to_string(check.parts) + " SMS part" + (check.parts == 1 ? "" : "s");
}

}  // namespace

int ReviewOutgoing(const SendConfig& config, std::vector<Outgoing>& outgoing, Session& session) {
  const std::string country = session.Settings().Get(kDefaultCountryKey).value_or("");
  const std::vector<UnprefixedNumber> refused = ApplyDefaultCountry(outgoing, country);
  if (!refused.empty()) throw UsageError(UnprefixedMessage(refused, country));
  std::size_t changed = 0;
  for (const Outgoing& item : outgoing) {
    const std::string warning = TextWarning(item);
    if (warning.empty()) continue;
    ++changed;
    session.diagnostics() << "warning: " << warning << '\n';
  }
  if (config.strict && changed > 0) {
    session.diagnostics() << "error: --strict: " << changed
                          << (changed == 1 ? " message" : " messages")
                          << " would not go out as written; nothing was sent\n";
    return kExitUsage;
  }
  if (!config.dry_run) return -1;
  PrintDryRun(outgoing, session);
  return kExitOk;
}

}  // namespace orvulink::cli
