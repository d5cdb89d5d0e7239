#pragma once

namespace mensuro {

// Chooses Qt's offscreen platform when no display is present and the user named no platform,
// so that a program run from a script or over SSH can still draw plots and certificates. Call
// before the application object is made.
void ChooseOffscreenPlatformWithoutDisplay();

}  // namespace mensuro
