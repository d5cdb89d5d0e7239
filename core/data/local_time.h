#pragma once

// The laboratory's own time: a certificate's issue date and its number's year are the date on
// the laboratory's clock, and a stored moment carries its offset from UTC so that it names one
// instant wherever it is read.

#include <ctime>
#include <optional>
#include <string>

namespace mensuro {

struct LocalMoment {
  std::string date;    // YYYY-MM-DD, the local date
  std::string moment;  // ISO 8601 to the second with the offset: 2026-12-09T00:30:00+02:00
};

// The local moment of `when`; nothing when the C library can't convert it.
std::optional<LocalMoment> LocalMomentOf(std::time_t when);

// The local moment now.
std::optional<LocalMoment> LocalMomentNow();

}  // namespace mensuro
