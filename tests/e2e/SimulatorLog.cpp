#include "SimulatorLog.h"

#include <chrono>
#include <regex>
#include <thread>
#include <vector>

#include "support/CountOf.h"
#include "support/WaitUntil.h"

namespace {

// The last match of `pattern` in the log, its groups as numbers.
std::vector<int> LastLogged(const std::string& log, const std::regex& pattern) {
  std::vector<int> values;
  for (std::sregex_iterator it(log.begin(), log.end(), pattern), end; it != end; ++it) {
    values.clear();
    for (size_t i = 1; i < it->size(); ++i) values.push_back(std::stoi((*it)[i].str()));
  }
  return values;
}

}  // namespace

TLoggedReadings LastLoggedReadings(const std::string& log) {
  const auto att = LastLogged(log, std::regex(R"(attitude: roll (-?\d+) pitch (-?\d+) mode (\d+))"));
  const auto head = LastLogged(log, std::regex(R"(heading: (\d+) mode (\d+))"));
  TLoggedReadings r;
  if (att.size() != 3 || head.size() != 2) return r;
  r = {true, att[0], att[1], att[2], head[0], head[1]};
  return r;
}

TLoggedReadings FinalReadings(const TLogReader& log) {
  if (!WaitUntil([&] { return CountOf(log(), "sensor stopped") == 2; }, 5000)) return {};
  std::this_thread::sleep_for(std::chrono::milliseconds(700));  // both LEDs gone by now
  return LastLoggedReadings(log());
}
