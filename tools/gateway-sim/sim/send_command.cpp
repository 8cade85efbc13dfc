#include "sim/send_command.hpp"

#include <algorithm>
#include <unordered_set>

#include "sim/send_data.hpp"
#include "sim/sms_parts.hpp"

namespace orvulink::sim {
namespace {

constexpr char kRecordSeparator = '\t';

// One send group as the gateway will carry it out.
struct GroupPlan {
  const SendLine* line;
  int parts;
  std::vector<std::string> accepted;
  std::vector<std::string> refused;
};

// A refused number is echoed back; characters that separate the answer's records and fields
// would break it for the client, which could not match such a number anyway.
std::string EchoSafe(std::string phone) {
  std::erase_if(phone, [](char c) {
    return std::string_view(" \t;,\r\n").find(c) != std::string_view::npos;
  });
  return phone;
}

// A number listed twice in one group is one recipient: charged and recorded once. Whether a
// number is refused depends on the number alone, so one set of those seen serves both lists
// and keeps the planning linear in the recipients.
GroupPlan PlanGroup(const SendLine& line, const std::unordered_set<std::string_view>& unreachable) {
  GroupPlan plan{&line, CountSmsParts(line.text), {}, {}};
  std::unordered_set<std::string_view> seen;
  seen.reserve(line.recipients.size());
  for (const auto& phone : line.recipients) {
    if (!seen.insert(phone).second) continue;
    const bool refused = !IsRoutableNumber(phone) || unreachable.contains(phone);
    (refused ? plan.refused : plan.accepted).push_back(phone);
  }
  return plan;
}

double Cost(const std::vector<GroupPlan>& plans) {
  double cost = 0;
  for (const auto& plan : plans)
    cost += static_cast<double>(plan.parts) * static_cast<double>(plan.accepted.size());
  return cost;
}

bool VapCodeAccepted(const CommandContext& context) {
  if (context.account.vap_code.empty()) return true;
  const CommandField* vcode = context.command.Find("VCODE");
  return vcode != nullptr && vcode->text == context.account.vap_code;
}

std::optional<int> FailureReason(const Account& account, const std::string& phone) {
  const auto failing = account.failing.find(phone);
  if (failing == account.failing.end()) return std::nullopt;
  return failing->second;
}

// A group whose recipients were all refused gets no order: there is nothing to follow.
std::string RecordOrder(const GroupPlan& plan, CommandContext& context, bool test_mode) {
  if (plan.accepted.empty()) return "";
  Account& account = context.account;
  const SimTime due = plan.line->send_at ? ToSimTime(*plan.line->send_at) : context.now;
  Order order{{}, test_mode};
  for (const auto& phone : plan.accepted) {
    order.recipients.push_back(
        Recipient{phone, ScheduleDelivery(context.now, due, FailureReason(account, phone))});
  }
  std::string id = account.orders.NewOrderId(test_mode ? kTestOrderIdPrefix : kOrderIdPrefix);
  account.orders.AddOrder(id, std::move(order));
  return id;
}

std::string Joined(const std::vector<std::string>& phones) {
  std::string list;
  for (const auto& phone : phones) {
    if (!list.empty()) list += ',';
    list += EchoSafe(phone);
  }
  return list;
}

std::string ResultRecord(const GroupPlan& plan, const std::string& order_id) {
  return plan.line->group + ";" + order_id + ";" + Joined(plan.refused);
}

}  // namespace

bool IsRoutableNumber(std::string_view phone) {
  if (phone.size() < 7 || phone.size() > 15 || phone.front() != '+') return false;
  return std::all_of(phone.begin() + 1, phone.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Checks in order: the send data (98), the VAP code (94), the credit (97). A test-mode send is
// checked like any other, credit included, so it predicts the real one; it only charges nothing.
Answer SendCommand(CommandContext& context) {
  const auto lines = ParseSendData(context.command.Find("SENDDATA")->raw);
  const CommandField* test = context.command.Find("TEST");
  if (!lines || (test != nullptr && test->text != "1")) return Failure(result_code::kCgiError);
  if (!VapCodeAccepted(context)) return Failure(result_code::kVapCode);
  const std::unordered_set<std::string_view> unreachable(context.account.unreachable.begin(),
                                                         context.account.unreachable.end());
  std::vector<GroupPlan> plans;
  for (const auto& line : *lines)
    plans.push_back(PlanGroup(line, unreachable));
  const double cost = Cost(plans);
  if (cost > context.account.credit) return Failure(result_code::kInsufficientCredit);
  const bool test_mode = test != nullptr;
  if (!test_mode) context.account.credit -= cost;
  std::string records;
  for (const auto& plan : plans) {
    if (!records.empty()) records += kRecordSeparator;
    records += ResultRecord(plan, RecordOrder(plan, context, test_mode));
  }
  Answer answer = Success(std::move(records));
  answer.separator = ' ';
  return answer;
}

}  // namespace orvulink::sim
