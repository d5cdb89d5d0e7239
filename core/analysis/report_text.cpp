#include "core/analysis/report_text.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "core/data/file_bytes.h"
#include "core/data/text_lines.h"

namespace mensuro {

void ClearReport(ReportText& report) {
  report.lines.clear();
}

void StartReport(ReportText& report) {
  ClearReport(report);
  report.lines.reserve(256);
}

void AppendReportLine(ReportText& report, std::string line) {
  report.lines.push_back(std::move(line));
}

std::vector<std::string> ReportDisplayLines(const ReportText& report) {
  std::vector<std::string> entries;
  entries.reserve(report.lines.size());
  for (const std::string& line : report.lines) {
    std::string_view rest = TrimLineEnd(line);
    if (rest.empty()) {
      continue;
    }
    for (std::size_t feed = rest.find('\n'); feed != std::string_view::npos;
         feed = rest.find('\n')) {
      entries.emplace_back(rest.substr(0, feed));
      rest.remove_prefix(feed + 1);
    }
    // Never empty: the trimmed line ends in a character other than a line feed.
    entries.emplace_back(rest);
  }
  return entries;
}

int WriteReportFile(const std::filesystem::path& path, const ReportText& report,
                    std::string& reason) {
  // Line by line: a report of a million observations is written without a second copy.
  return WriteFileWith(
      path,
      [&report](const WriteBytes& write) {
        std::string crlf;
        for (const std::string& line : report.lines) {
          crlf.clear();
          for (const char c : line) {
            if (c == '\n') {
              crlf += '\r';
            }
            crlf += c;
          }
          if (!write(crlf)) {
            return false;
          }
        }
        return true;
      },
      reason);
}

int WriteReportFile(const std::filesystem::path& path, const ReportText& report) {
  std::string reason;
  return WriteReportFile(path, report, reason);
}

}  // namespace mensuro
