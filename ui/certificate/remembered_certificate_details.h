#pragma once

// The certificate details the user gave, remembered between runs of the program in the user's
// settings: the laboratory once, and per instrument serial number the instrument, the reflector
// and the client of the last certificate of that serial number. The serial numbers are kept as
// a list, the latest certificate's first, so that any serial number is kept as typed.

#include <QString>
#include <optional>
#include <vector>

#include "core/certificate/certificate_details.h"

namespace mensuro {

LaboratoryDetails RememberedLaboratory();

// The remembered serial numbers, that of the latest certificate first.
std::vector<QString> RememberedSerialNumbers();

// The instrument, reflector and client remembered for `serialNumber`; nothing when there are
// none.
std::optional<CertificateDetails> RememberedForSerial(const QString& serialNumber);

// Remembers the laboratory of `details`, and its instrument, reflector and client under its
// serial number when it has one, as the latest.
void RememberCertificateDetails(const CertificateDetails& details);

}  // namespace mensuro
