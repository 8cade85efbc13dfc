#include "sim/account_commands.hpp"

#include <array>
#include <charconv>

namespace orvulink::sim {
namespace {

std::string Flag(bool on) {
  return on ? "S" : "N";
}

// "K1,K2," (each key followed by ","), or "NULL" when the account owns none.
std::string ReceptionKeyList(const Account& account) {
  if (account.reception_keys.empty()) return "NULL";
  std::string list;
  for (const auto& key : account.reception_keys)
    list += key.key + ",";
  return list;
}

}  // namespace

std::string FormatCredit(double credit) {
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), credit,
                                          std::chars_format::fixed, 2);
  if (error != std::errc()) return "0.00";
  return std::string(buffer.data(), end);
}

Answer CreditCommand(CommandContext& context) {
  return Success(FormatCredit(context.account.credit) + " credits");
}

// TAB-separated fields 0 to 7; the client reads 1, 4, 6 and 7.
Answer UserInfoCommand(CommandContext& context) {
  const Account& account = context.account;
  const std::array<std::string, 8> fields = {account.user,
                                             Flag(context.gateway.status_service),
                                             FormatCredit(account.credit),
                                             account.nation,
                                             Flag(account.status_query),
                                             std::to_string(account.reception_keys.size()),
                                             Flag(account.abroad),
                                             ReceptionKeyList(account)};
  std::string payload;
  for (std::size_t i = 0; i < fields.size(); ++i)
    payload += (i == 0 ? "" : "\t") + fields[i];
  return Success(std::move(payload));
}

Answer DeleteCommand(CommandContext& context) {
  const std::size_t deleted =
      context.account.orders.Delete(context.Field("ORDERID"), context.Field("DEST"));
  return Success(std::to_string(deleted) + " deleted");
}

}  // namespace orvulink::sim
