#pragma once

// The carrier of each instrument the user has imported field observations for, remembered
// between runs of the program in the user's settings under the instrument's EDM description.
// Each is kept as a list entry of the group "Instruments" with the description as typed and the
// carrier in text forms of the command line's kind: the wavelength in µm ("0.658"), and the
// reference as "index N" (the reference refractive index, "index 1.000286") or "conditions
// T,P,RH" (the reference atmosphere, "conditions 12,1013.25,60"). A list rather than keys made of
// the descriptions, so that any description is kept as it is, whatever characters it holds.

#include <QString>
#include <optional>

#include "core/reduction/atmospheric_correction.h"

namespace mensuro {

// The carrier remembered for `edmDescription`; nothing when there is none, or when its entry no
// longer reads (a settings file edited by hand).
std::optional<EdmCarrier> RememberedInstrument(const QString& edmDescription);

// Remembers `carrier` for `edmDescription`, replacing what was remembered for it.
void RememberInstrument(const QString& edmDescription, const EdmCarrier& carrier);

}  // namespace mensuro
