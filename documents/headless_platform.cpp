#include "documents/headless_platform.h"

#include <QByteArray>
#include <QtGlobal>

namespace mensuro {

void ChooseOffscreenPlatformWithoutDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  // Windows and macOS always have their own platform; elsewhere X11 or Wayland may be missing.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  }
#endif
}

}  // namespace mensuro
