#pragma once

// The rule that keeps field files and measured texts apart, shared by the targets of both.

#include <string_view>

#include "core/data/measured_text.h"
#include "core/reduction/field_columns.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro::fuzz {

// A text that the measured reader takes without a warning is never taken for a field file, nor
// for a data collector's export of unknown column names.
inline void CheckMeasuredTextIsNoFieldFile(std::string_view text) {
  MeasurementHeader header;
  RecordTable table;
  InputNotices notices;
  ParseMeasuredText(text, header, table, notices);
  const bool fieldFile = IsFieldFileText(text);
  const bool unnamedColumns = HasUnnamedFieldColumns(text);
  MENSURO_FUZZ_CHECK(!(fieldFile && unnamedColumns), Shown(text));
  if (notices.warnings == 0) {
    MENSURO_FUZZ_CHECK(!fieldFile, "a measured text taken for a field file: " + Shown(text));
    MENSURO_FUZZ_CHECK(!unnamedColumns, "a measured text taken for column names: " + Shown(text));
  }
}

}  // namespace mensuro::fuzz
