#pragma once

#include <string>

#include "core/analysis/report_text.h"

namespace mensuro {

// The report's lines one after another, exactly as stored: what the tests compare reports by.
inline std::string JoinReportLines(const ReportText& report) {
  std::string text;
  for (const std::string& line : report.lines) {
    text += line;
  }
  return text;
}

}  // namespace mensuro
