#pragma once

// A baseline's certified distances over time: for every pair of pillars, each certificate's
// distance and how it changed from the one before.

#include <optional>
#include <string>
#include <vector>

#include "core/baseline/baseline_adjustment.h"

namespace mensuro {

// One certificate of the baseline with the distances it certified.
struct BaselineCertificateDistances {
  std::string number;
  std::string measurementDate;  // YYYY-MM-DD; empty: placed by its issue date
  std::string issueDate;
  std::vector<CertifiedDistance> distances;
};

// A pair's distance on one certificate and its change from the certificate before that
// certified the pair.
struct PairHistoryPoint {
  std::string number;
  std::string measurementDate;   // as the certificate gives it; empty: none
  double distance = 0.0;         // D, metres
  double expanded = 0.0;         // U, metres
  std::optional<double> change;  // D - D_before, metres; none for the first
  // change / sqrt(U^2 + U_before^2); none for the first or when both U are zero.
  std::optional<double> En;
};

struct PairHistory {
  std::string from;  // as the first certificate that certified the pair names it
  std::string to;
  std::vector<PairHistoryPoint> points;  // in the order of the dates of measurement
};

// The pairs of `certificates` (in either direction one pair), in the order the earliest
// certificate gives them and then the later ones' new pairs; each pair's points in the order of
// the dates of measurement (the issue date where there is none), the given order on one day.
std::vector<PairHistory> BaselinePairHistory(
    std::vector<BaselineCertificateDistances> certificates);

}  // namespace mensuro
