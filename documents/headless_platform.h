#pragma once

namespace mensuro {

// Chooses Qt's offscreen platform unless the user named one in QT_QPA_PLATFORM. A program that
// only draws into files needs no display: it then works on a server, over SSH or with a display
// that has gone away, and draws the same pictures whatever the screen. Call before the
// application object is made.
void UseOffscreenPlatformUnlessChosen();

}  // namespace mensuro
