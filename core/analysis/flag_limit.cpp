#include "core/analysis/flag_limit.h"

#include "core/units.h"

namespace mensuro {

double SpecifiedAccuracy(double constantErrorMm, double ppmError, double distance) {
  return distance * ppmError * kPpm + constantErrorMm * kMetresPerMillimetre;
}

double FlagLimit(const MeasurementHeader& header, double distance) {
  return kFlagMultiple * SpecifiedAccuracy(header.constantError, header.ppmError, distance);
}

}  // namespace mensuro
