#include "documents/origin_text.h"

namespace mensuro {

std::string PublishedDistancesText(const CalibrationOrigin& origin) {
  return origin.publishedDistances
             ? std::string(PublishedDistanceKindText(*origin.publishedDistances))
             : std::string("not stated");
}

}  // namespace mensuro
