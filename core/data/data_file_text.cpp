#include "core/data/data_file_text.h"

#include <fmt/printf.h>

#include "core/data/measured_text.h"

namespace mensuro {

void ResetHeader(MeasurementHeader& header) {
  header.constantError = 2.0;
  header.ppmError = 2.0;
  header.comment.clear();
  header.edmDescription.clear();
  header.date.clear();
  header.time.clear();
}

std::string SplitLoadedFile(std::vector<std::string> lines, InnerLineBreaks breaks,
                            MeasurementHeader& header) {
  ResetHeader(header);
  // Empty lines go before the line breaks are deleted, so a line of breaks alone stays as an
  // empty line of the text.
  std::erase_if(lines, [](const std::string& line) { return line.empty(); });
  std::string text;
  for (std::string& line : lines) {
    if (breaks == InnerLineBreaks::kDelete) {
      std::erase_if(line, [](char c) { return c == '\n' || c == '\r'; });
    }
    if (!ApplyHeaderLine(line, header)) {
      text += line;
      text += "\r\n";
    }
  }
  return text;
}

std::string MeasuredHeaderLines(const MeasurementHeader& header) {
  return fmt::sprintf("$%s\r\n!%s\r\n#%s\r\n@%s\r\n^%.4f\r\n%%%.4f\r\n", header.date, header.time,
                      header.comment, header.edmDescription, header.constantError, header.ppmError);
}

std::string MeasuredFileBytes(const MeasurementHeader& header, std::string_view text) {
  return MeasuredHeaderLines(header) + PublishedFileBytes(text);
}

std::string PublishedFileBytes(std::string_view text) {
  std::string bytes(text);
  if (!bytes.empty() && bytes.back() == '\r') {
    bytes += '\n';
  }
  return bytes;
}

void StartMeasuredHeader(MeasurementHeader& header, const std::optional<std::tm>& localTime) {
  header.comment.clear();
  header.edmDescription.clear();
  int day = 0, month = 0, year = 0;
  int hour = -1, minute = -1, second = -1;
  if (localTime) {
    day = localTime->tm_mday;
    month = localTime->tm_mon + 1;
    year = localTime->tm_year + 1900;
    hour = localTime->tm_hour;
    minute = localTime->tm_min;
    second = localTime->tm_sec;
  }
  header.date = fmt::sprintf("%02d-%02d-%04d", day, month, year);
  header.time = fmt::sprintf("%02d:%02d:%02d", hour, minute, second);
}

std::optional<std::tm> LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1)) {
    return std::nullopt;
  }
#ifdef _WIN32
  // The C library of Windows has the reentrant form under its own name and argument order.
  const bool converted = localtime_s(&local, &now) == 0;
#else
  const bool converted = localtime_r(&now, &local) != nullptr;
#endif
  if (!converted) {
    return std::nullopt;
  }
  return local;
}

}  // namespace mensuro
