#pragma once

// The laboratory's own time: a certificate's issue date and its number's year are the date on
// the laboratory's clock, and a stored moment carries its offset from UTC so that it names one
// instant wherever it is read.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

struct LocalMoment {
  std::string date;    // YYYY-MM-DD, the local date
  std::string moment;  // ISO 8601 to the second with the offset: 2026-12-09T00:30:00+02:00
};

// The local moment of `when`; nothing when the C library can't convert it.
std::optional<LocalMoment> LocalMomentOf(std::time_t when);

// The local moment now.
std::optional<LocalMoment> LocalMomentNow();

// Whether `text` is a day of the calendar written YYYY-MM-DD (2026-02-30 is not).
bool IsIsoDate(std::string_view text);

// A date as a measured text's header writes it, day first ("07-12-2026", "07/12/2026",
// "07.12.2026") or as YYYY-MM-DD, blanks around it allowed, written YYYY-MM-DD; nothing for
// anything else or a day the calendar lacks.
std::optional<std::string> IsoDateOf(std::string_view text);

}  // namespace mensuro
