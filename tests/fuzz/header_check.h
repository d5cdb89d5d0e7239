#pragma once

// The check that a header is exactly the one expected, shared by the targets that read headers.

#include "core/data/measurement_header.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro::fuzz {

// Every field alike; the accuracy parts down to the sign of a zero.
inline void CheckSameHeader(const MeasurementHeader& header, const MeasurementHeader& expected) {
  MENSURO_FUZZ_CHECK(SameBits(header.ppmError, expected.ppmError), Printf("%a", header.ppmError));
  MENSURO_FUZZ_CHECK(SameBits(header.constantError, expected.constantError),
                     Printf("%a", header.constantError));
  MENSURO_FUZZ_CHECK(header.comment == expected.comment, Shown(header.comment));
  MENSURO_FUZZ_CHECK(header.edmDescription == expected.edmDescription,
                     Shown(header.edmDescription));
  MENSURO_FUZZ_CHECK(header.date == expected.date, Shown(header.date));
  MENSURO_FUZZ_CHECK(header.time == expected.time, Shown(header.time));
  MENSURO_FUZZ_CHECK(header.publishedSource == expected.publishedSource, "");
  MENSURO_FUZZ_CHECK(header.measuredFileName == expected.measuredFileName, "");
}

}  // namespace mensuro::fuzz
