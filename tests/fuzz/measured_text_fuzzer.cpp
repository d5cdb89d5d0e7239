// The measured text, read and saved. Reading must give one observation per line that is neither
// empty nor a header line, and header fields from the last header line of their kind only. A
// file loaded, saved and loaded again must give back its text and header (the accuracy parts
// rounded to the four decimals a save writes), and a second save must change nothing. A text
// read without a warning is never taken for a field file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/data/data_file_text.h"
#include "core/data/measured_text.h"
#include "core/data/number_text.h"
#include "core/data/record_table.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/header_check.h"
#include "tests/fuzz/measured_or_field_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::SameBits;
using fuzz::Shown;

// The caller's values, which every field that no line names keeps.
MeasurementHeader CallersHeader() {
  MeasurementHeader header;
  header.ppmError = 1.25;
  header.constantError = -7.5;
  header.comment = "comment before";
  header.edmDescription = "edm before";
  header.date = "date before";
  header.time = "time before";
  header.publishedSource = "published source";
  header.measuredFileName = "measured file";
  return header;
}

// Sets in `expected` what the header lines of `text` give, and returns the number of its other
// lines, the observations; empty lines count for nothing.
std::size_t ReadExpected(std::string_view text, MeasurementHeader& expected) {
  std::size_t observations = 0;
  for (std::string_view line : fuzz::Pieces(text, '\n')) {
    const std::size_t lastKept = line.find_last_not_of("\t\r\n");
    line = line.substr(0, lastKept == std::string_view::npos ? 0 : lastKept + 1);
    if (line.empty()) {
      continue;
    }
    const std::string_view value = line.substr(1);
    switch (line.front()) {
      case '%':
        expected.ppmError = ReadNumber(value);
        break;
      case '^':
        expected.constantError = ReadNumber(value);
        break;
      case '#':
        expected.comment = value;
        break;
      case '@':
        expected.edmDescription = value;
        break;
      case '$':
        expected.date = value;
        break;
      case '!':
        expected.time = value;
        break;
      default:
        ++observations;
    }
  }
  return observations;
}

void CheckParse(std::string_view text) {
  MeasurementHeader expected = CallersHeader();
  MeasurementHeader header = expected;
  const std::size_t observations = ReadExpected(text, expected);

  RecordTable table;
  table.entries.resize(3);  // left from an earlier read: must go
  MENSURO_FUZZ_CHECK(ParseMeasuredText(text, header, table) == 0, "");
  MENSURO_FUZZ_CHECK(table.entries.size() == observations,
                     Printf("%zu observations, expected %zu", table.entries.size(), observations));
  for (const ProjectRecord& record : table.entries) {
    MENSURO_FUZZ_CHECK(record.kind == kObservationKind, Printf("%d", record.kind));
    MENSURO_FUZZ_CHECK(record.publishedDistance == 0.0, "");
    MENSURO_FUZZ_CHECK(std::isfinite(record.observedDistance), "");
    // Separators never end up in a name: commas split the fields, blanks are dropped or split.
    for (const std::string* name : {&record.fromStation, &record.toStation}) {
      MENSURO_FUZZ_CHECK(name->find_first_of(", \n") == std::string::npos, Shown(*name));
    }
  }
  fuzz::CheckSameHeader(header, expected);
}

// A measured file's text and header as the program loads them from the file's bytes; false
// when the bytes are refused as text.
bool Load(const std::string& bytes, MeasurementHeader& header, std::string& text) {
  std::string reason;
  const auto fileText = TextFileText(bytes, reason);
  if (!fileText) {
    return false;
  }
  text = SplitLoadedFile(SplitFileLines(*fileText), InnerLineBreaks::kDelete, header);
  return true;
}

// What reading back "%.4f" gives: the value rounded to the four decimals a save writes, and a
// negative zero read as 0.0 (ReadNumber).
double RoundedToFourDecimals(double value) {
  const double rounded = std::strtod(Printf("%.4f", value).c_str(), nullptr);
  return rounded == 0.0 ? 0.0 : rounded;
}

// The text less its empty lines. A line of line breaks alone loads as an empty line of the text
// (SplitLoadedFile drops empty lines before it deletes the breaks); saved, it is an empty line
// of the file, which the next load drops.
std::string WithoutEmptyLines(std::string_view text) {
  std::string kept;
  for (const std::string_view line : fuzz::Pieces(text, '\n')) {
    if (!line.empty() && line != "\r") {
      kept += line;
      kept += '\n';
    }
  }
  return kept;
}

void CheckSaveAndLoad(std::string_view input) {
  MeasurementHeader loaded;
  std::string text;
  if (!Load(std::string(input), loaded, text)) {
    return;
  }

  const std::string saved = MeasuredFileBytes(loaded, text);
  MeasurementHeader reloaded;
  std::string reloadedText;
  // A saved file is never refused as wide text: its header lines end in CR LF.
  MENSURO_FUZZ_CHECK(Load(saved, reloaded, reloadedText), "saved file refused: " + Shown(saved));
  MENSURO_FUZZ_CHECK(reloadedText == WithoutEmptyLines(text),
                     "text " + Shown(text) + " reloaded as " + Shown(reloadedText));
  MENSURO_FUZZ_CHECK(reloaded.comment == loaded.comment, Shown(reloaded.comment));
  MENSURO_FUZZ_CHECK(reloaded.edmDescription == loaded.edmDescription,
                     Shown(reloaded.edmDescription));
  MENSURO_FUZZ_CHECK(reloaded.date == loaded.date, Shown(reloaded.date));
  MENSURO_FUZZ_CHECK(reloaded.time == loaded.time, Shown(reloaded.time));
  MENSURO_FUZZ_CHECK(SameBits(reloaded.ppmError, RoundedToFourDecimals(loaded.ppmError)),
                     Printf("%a saved, %a reloaded", loaded.ppmError, reloaded.ppmError));
  MENSURO_FUZZ_CHECK(SameBits(reloaded.constantError, RoundedToFourDecimals(loaded.constantError)),
                     Printf("%a saved, %a reloaded", loaded.constantError, reloaded.constantError));

  // Saved once more, nothing changes any more.
  const std::string savedAgain = MeasuredFileBytes(reloaded, reloadedText);
  MeasurementHeader third;
  std::string thirdText;
  MENSURO_FUZZ_CHECK(Load(savedAgain, third, thirdText), Shown(savedAgain));
  MENSURO_FUZZ_CHECK(thirdText == reloadedText, Shown(thirdText));
  MENSURO_FUZZ_CHECK(SameBits(third.ppmError, reloaded.ppmError), Printf("%a", third.ppmError));
  MENSURO_FUZZ_CHECK(SameBits(third.constantError, reloaded.constantError),
                     Printf("%a", third.constantError));
  MENSURO_FUZZ_CHECK(
      MeasuredFileBytes(third, thirdText) == savedAgain,
      Shown(savedAgain) + " saved again as " + Shown(MeasuredFileBytes(third, thirdText)));
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = mensuro::fuzz::InputText(data, size);
  mensuro::CheckParse(input);
  mensuro::fuzz::CheckMeasuredTextIsNoFieldFile(input);
  mensuro::CheckSaveAndLoad(input);
  return 0;
}
