#pragma once

// The register's records as the program holds them: what issuing stores, an issued
// certificate's entry, its instrument's history and what checking the register finds. No
// database here, so the documents and the window can draw and show records without it.

#include <cstdint>
#include <optional>
#include <string>

#include "core/certificate/certificate_details.h"

namespace mensuro {

// The results of a calibration kept for its instrument's history.
struct RegisteredResults {
  double scalePpm = 0.0;
  double scaleUncertaintyPpm = 0.0;  // expanded, 95 percent
  double constantM = 0.0;
  double constantUncertaintyM = 0.0;  // expanded, 95 percent
};

// What issuing stores, besides what the register adds (number, date, hashes, PDF).
struct IssueRequest {
  CertificateDetails details;
  std::string baseline;              // the library baseline's name or the published file's name
  std::string measuredText;          // exactly as processed
  std::string publishedText;         // exactly as processed
  std::string conditionsJson;        // the uncertainty inputs
  std::string exclusionsJson;        // what was left out of the fit, with reasons
  std::string acceptedWarningsJson;  // the misread warnings and outliers the operator accepted
  std::string resultsJson;           // the whole result as the command line's JSON gives it
  RegisteredResults results;
  std::string programVersion;
  std::string replaces;  // the number of the certificate this one corrects; empty: none
};

// One issued calibration as the register holds it.
struct RegisterEntry {
  std::int64_t position = 0;  // in the issue order, from 1
  CertificateIdentity identity;
  std::string issuedAt;  // UTC, ISO 8601
  CertificateDetails details;
  std::string baseline;
  std::string measuredSha256;
  std::string publishedSha256;
  RegisteredResults results;
  std::string programVersion;
  std::string pdfSha256;
  std::string previousSha256;  // the record before it; 64 zeros for the first
  std::string replacedBy;      // the certificate that corrects it; empty: in force
  // Filled by Find only: the stored texts and documents.
  std::string measuredText;
  std::string publishedText;
  std::string conditionsJson;
  std::string exclusionsJson;
  std::string acceptedWarningsJson;
  std::string resultsJson;
};

struct RegisterFilter {
  std::string instrumentSerial;  // empty: any
  std::string clientName;        // empty: any
  std::string since;             // YYYY-MM-DD, issue date on or after; empty: any
};

// One calibration of an instrument's history and the change from the one before it.
struct HistoryPoint {
  RegisterEntry entry;  // without texts
  // Normalised errors against the calibration before (none for the first):
  // E_n = |x2 - x1| / sqrt(U1^2 + U2^2); above 1 the value changed beyond its uncertainty.
  std::optional<double> constantEn;
  std::optional<double> scaleEn;
};

struct VerifyResult {
  std::int64_t records = 0;  // how many were checked
  bool intact = true;
  std::string firstBroken;  // the number of the first record that no longer matches
  std::string reason;       // what does not match
  // What is wrong with the register as a whole (its end, its head log), as a sentence; empty
  // when a record was the fault (firstBroken, reason) or nothing is.
  std::string problem;
  std::string headLog;        // the head log checked against; empty: none named
  bool headLogFound = false;  // it exists and has a line
  std::string end;            // the number of the last record; empty: an empty register
};

// The register's settings: the certificate number's prefix.
struct RegisterSettings {
  std::string prefix = "MEN";
};

// Normalised error of two results with expanded uncertainties u1 and u2; nothing when both
// uncertainties are zero.
std::optional<double> NormalisedError(double x1, double u1, double x2, double u2);

}  // namespace mensuro
