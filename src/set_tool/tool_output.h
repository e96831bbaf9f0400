#pragma once
// What the tool prints: the findings of a check, and the plan as a table for people or as
// JSON for programs.
#include "set_tool/set_check.h"
#include "set_tool/set_plan.h"

#include <string>
#include <vector>

namespace orvh::set_tool {

// One line per finding: "error: FILE: text" or "warning: ...", then a summary line.
std::wstring FindingsText(const std::vector<Finding>& findings, const std::wstring& folder);

std::wstring PlanText(const std::vector<Plan>& plans, const LocaleConversions& numbers);

// An array with one object per installed version (README, "Delivering an update set").
std::wstring PlanJson(const std::vector<Plan>& plans);

} // namespace orvh::set_tool
