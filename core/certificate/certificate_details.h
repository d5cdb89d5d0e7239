#pragma once

// What a certificate says beyond the calibration itself: who issued it, for whom, for which
// instrument and reflector, who measured and checked, and what the baseline's own certificate
// is. A text left empty is a detail not given: the certificate leaves it out.

#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

struct LaboratoryDetails {
  std::string name;
  std::string address;        // lines separated by line feeds
  std::string accreditation;  // e.g. the accreditation body and number
  std::string logoFile;       // a PNG, SVG or JPEG file; empty: no logo
};

struct ClientDetails {
  std::string name;
  std::string address;  // lines separated by line feeds
};

struct InstrumentDetails {
  std::string make;
  std::string model;
  std::string serialNumber;
};

struct ReflectorDetails {
  std::string make;
  std::string model;
  std::optional<double> prismConstantMm;  // as set in the instrument
};

struct CertificateDetails {
  LaboratoryDetails laboratory;
  ClientDetails client;
  InstrumentDetails instrument;
  ReflectorDetails reflector;
  std::string measuredBy;
  std::string checkedBy;
  // The baseline's own certificate: authority, number and date, as one text.
  std::string baselineCertificate;
  // The calibration procedure the laboratory follows, by name; empty: the least-squares
  // baseline method in plain words (kDefaultProcedure).
  std::string procedure;
  // Where the baseline is, as its library line gives it; empty: the baseline's name alone.
  std::string baselineSite;
  // When the instrument's next calibration falls due (YYYY-MM-DD), stated only where the client
  // agreed to it; empty: not stated.
  std::string dueDate;
};

// The method a certificate names when the laboratory names no procedure of its own.
inline constexpr std::string_view kDefaultProcedure =
    "Comparison with the published distances of a calibration baseline: the instrument's "
    "measured distances between the baseline's pillars are compared with the published "
    "distances, and its constant and scale corrections are found by a least-squares fit of a "
    "straight line to the differences";

// What the register gives a certificate when it issues it. Without a register the number is
// empty ("not registered") and the issue date is the day the certificate was written.
struct CertificateIdentity {
  std::string number;         // PREFIX-YEAR-SEQUENCE, e.g. MEN-2026-0007
  std::string issueDate;      // YYYY-MM-DD
  std::string recordSha256;   // the register record's own hash, 64 hexadecimal digits
  std::string replaces;       // the number of the certificate this one replaces
  std::string replaceReason;  // why it replaces it; empty with `replaces`
};

}  // namespace mensuro

namespace mensuro {

// `base` with every detail that `given` gives in its place: a non-empty text, a prism constant.
CertificateDetails OverrideDetails(CertificateDetails base, const CertificateDetails& given);

// Whether `details` gives anything at all.
bool HasDetails(const CertificateDetails& details);

// A prism constant in millimetres as a certificate and a settings file write it: "-17.5", "0",
// whatever the locale.
std::string PrismConstantText(double millimetres);

// The prism constant written as `text` (blanks around it allowed); nothing, with the reason, when
// it is not one finite number.
std::optional<double> ReadPrismConstant(std::string_view text, std::string& reason);

}  // namespace mensuro
