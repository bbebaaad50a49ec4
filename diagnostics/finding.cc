#include "diagnostics/finding.h"

#include <algorithm>

std::string FormatReport(const std::vector<Finding>& findings) {
  std::string report = "TabBridge diagnostics\r\n\r\n";
  for (const Finding& finding : findings)
    report +=
        (finding.ok ? "OK       " : "PROBLEM  ") + finding.topic + ": " + finding.text + "\r\n";
  const int problems = CountProblems(findings);
  report += "\r\n" + (problems ? std::to_string(problems) : std::string("No")) +
            (problems == 1 ? " problem" : " problems") + " found.\r\n";
  return report;
}

int CountProblems(const std::vector<Finding>& findings) {
  return static_cast<int>(
      std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return !f.ok; }));
}
