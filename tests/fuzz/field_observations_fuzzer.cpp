// Field observations reduced to a measured text. The input is a field file (CSV, or tab-separated
// with the names data collectors write, dates and times); every station it names is given a
// height. A file that reads and reduces gives finite, positive distances, and its measured text
// reads back as the same observations: no station name is split, joined or taken for a header
// line. A file that doesn't gives a reason at a line of the file. A measured text read without
// a warning is never taken for a field file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/data/measured_text.h"
#include "core/data/number_text.h"
#include "core/data/record_table.h"
#include "core/reduction/field_columns.h"
#include "core/reduction/field_reduction.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/measured_or_field_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  using fuzz::Printf;
  using fuzz::Shown;
  const std::string_view text = fuzz::InputText(data, size);

  // Telling a field file from a measured text reads any text, and never takes a measured text
  // read without a warning for a field file.
  fuzz::CheckMeasuredTextIsNoFieldFile(text);
  FieldFileError error;
  const std::optional<FieldObservations> observations = ReadFieldObservations(text, error);
  if (!observations) {
    MENSURO_FUZZ_CHECK(error.line >= 1 && !error.reason.empty(), Shown(error.reason));
    return 0;
  }
  // Dates and times read are in the measured text's forms, or empty.
  for (const FieldObservation& observation : observations->observations) {
    MENSURO_FUZZ_CHECK(observation.date.empty() || observation.date.size() == 10,
                       Shown(observation.date));
    MENSURO_FUZZ_CHECK(observation.time.empty() || observation.time.size() == 8,
                       Shown(observation.time));
  }
  StationHeights heights;
  for (const FieldObservation& observation : observations->observations) {
    heights.Set(observation.fromStation, 100.0);
    heights.Set(observation.toStation, 130.0);
  }
  ReductionSettings settings;
  settings.carrier = EdmCarrier{0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
  const std::optional<FieldReduction> reduction =
      ReduceFieldObservations(*observations, heights, settings, error);
  if (!reduction) {
    MENSURO_FUZZ_CHECK(error.line >= 1 && !error.reason.empty(), Shown(error.reason));
    return 0;
  }

  MeasurementHeader header;
  RecordTable table;
  ParseMeasuredText(ReducedObservationLines(*reduction), header, table);
  MENSURO_FUZZ_CHECK(table.entries.size() == reduction->rows.size(),
                     Printf("%zu lines read as %zu", reduction->rows.size(), table.entries.size()));
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const ReducedObservation& row = reduction->rows[i];
    const ProjectRecord& record = table.entries[i];
    MENSURO_FUZZ_CHECK(std::isfinite(row.reduced) && row.reduced > 0.0, Printf("%a", row.reduced));
    std::string from = row.observation.fromStation;
    std::string to = row.observation.toStation;
    // The reader drops blanks in a comma-separated line, and the heights match names that way.
    std::erase(from, ' ');
    std::erase(to, ' ');
    MENSURO_FUZZ_CHECK(record.fromStation == from && record.toStation == to,
                       Shown(record.fromStation) + " - " + Shown(record.toStation));
    // Written to 5 decimals: half a unit of the last, and the rounding of a double beyond it.
    MENSURO_FUZZ_CHECK(std::fabs(record.observedDistance - row.reduced) <= 5e-6 + 1e-9,
                       Printf("%a read as %a", row.reduced, record.observedDistance));
  }
  return 0;
}
