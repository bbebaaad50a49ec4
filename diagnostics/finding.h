#ifndef DIAGNOSTICS_FINDING_H_
#define DIAGNOSTICS_FINDING_H_

#include <string>
#include <vector>

// One line of the diagnostics report: what was looked at, and either what
// was found or what is wrong and how to mend it.
struct Finding {
  std::string topic;
  bool ok;
  std::string text;
};

// Plain text, a line per finding, then the number of problems.
std::string FormatReport(const std::vector<Finding>& findings);
int CountProblems(const std::vector<Finding>& findings);

#endif  // DIAGNOSTICS_FINDING_H_
