#include "Scenario.h"

namespace rukmox::sim {

bool ParseScenario(const std::string&, const std::string& origin, Scenario*, std::string* error) {
  if (error) *error = origin + ": scenario files are not read yet";
  return false;
}

bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
  return ParseScenario("", path, scenario, error);
}

}  // namespace rukmox::sim
