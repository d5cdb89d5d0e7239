#pragma once

#include <QFont>

namespace mensuro {

// True when narrow and wide characters advance alike in `font`, so that report columns line up.
// Measured rather than taken from the font's own claim, which some platforms get wrong.
bool AdvancesAlike(const QFont& font);

// `preferred` when it advances alike, else the first well-known monospace family at its size
// that does, else `preferred` with a typewriter style hint.
QFont FixedPitchFont(const QFont& preferred);

// The platform's fixed-pitch font, checked as above: the result list's font.
QFont ReportFont();

}  // namespace mensuro
