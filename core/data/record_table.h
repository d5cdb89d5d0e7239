#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mensuro {

// Entry kinds follow the kind code table "INDTRFWECOATCNOB", two letters per kind from kind 0:
// kind 7 is OB, an observation. The readers create observations only; every user of the table
// skips any other kind.
inline constexpr int kObservationKind = 7;

// Initial pair mean of every observation, before the analysis groups it into a station pair.
inline constexpr double kUngroupedPairMean = -9999999999.0;

// One observation: a distance measured from one station to another, the published distance of
// that station pair, and the pair marks that the analysis writes.
struct ProjectRecord {
  int kind = kObservationKind;
  std::string fromStation;
  std::string toStation;
  double observedDistance = 0.0;   // metres
  double publishedDistance = 0.0;  // metres; 0.0 until a published distance is attached
  double pairMean = 0.0;           // mean of the pair's observations, on the closing record
  int pairLast = 0;                // 1 on the last observation of its pair in table order
  int pairCount = 0;               // observations of the pair, on the closing record
  int pairGrouped = 0;             // 1 once assigned to a station pair
  std::size_t line = 0;            // line of the measured text it was read from, from 1
  std::size_t publishedLine = 0;   // line of the published text its published distance is from
};

// The observations of one processing run, in the order of the lines of the measured text.
// It grows as needed: every observation of the text is kept.
struct RecordTable {
  std::vector<ProjectRecord> entries;
};

void ClearRecords(RecordTable& table);
void AddRecord(RecordTable& table, ProjectRecord record);
std::size_t CountRecords(const RecordTable& table);

}  // namespace mensuro
