#pragma once

// How a register entry reads, the same on the command line and in the register window.

#include <string>
#include <vector>

#include "register/register_records.h"
#include "register/registered_figures.h"

namespace mensuro {

// Make and model, as one name.
std::string InstrumentName(const InstrumentDetails& instrument);

// What the record certifies, as the lists name it: "instrument", or "baseline" and its name.
std::string RecordKindText(const RegisterEntry& entry);

// "in force", or "replaced by" and the certificate that corrects it.
std::string RegisterStatus(const RegisterEntry& entry);

struct RegisterLine {
  std::string label;
  std::string value;
};

// The record of one certificate as label and value, in the order shown; what it doesn't hold is
// left out.
std::vector<RegisterLine> RegisterEntryLines(const RegisterEntry& entry);

// What a verify that found the register not intact found, one sentence per line: what is wrong
// with its ends (the certificates' and the equipment's), else the first record that no longer
// matches.
std::vector<std::string> VerifyFailureLines(const VerifyResult& result);

}  // namespace mensuro
