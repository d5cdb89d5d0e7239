#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mensuro {

// A report as a list of lines, each stored exactly as formatted: line ends are part of the text,
// a line may start with a line feed, and a line may be empty or carry no line end at all.
struct ReportText {
  std::vector<std::string> lines;
};

void ClearReport(ReportText& report);

// Empties the report and makes room for a report of usual size.
void StartReport(ReportText& report);

void AppendReportLine(ReportText& report, std::string line);

// The report as a list shows it, one entry per displayed line: tabs, line feeds and carriage
// returns at the end of each report line are dropped, a line left empty adds nothing, and a line
// feed inside a line starts a new entry (so "\nData:" gives an empty entry and then "Data:").
// Lines are kept whole, however long.
std::vector<std::string> ReportDisplayLines(const ReportText& report);

// Writes the lines one after another as the file at `path` (WriteFileBytes), with
// every line feed written as CR LF so that a report file is the same on every platform.
// Returns 0, or 1 when the file can't be opened or written.
int WriteReportFile(const std::filesystem::path& path, const ReportText& report);

// The same, with the reason of a failure in `reason`.
int WriteReportFile(const std::filesystem::path& path, const ReportText& report,
                    std::string& reason);

}  // namespace mensuro
