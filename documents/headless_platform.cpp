#include "documents/headless_platform.h"

#include <QByteArray>
#include <QtGlobal>

namespace mensuro {

void UseOffscreenPlatformUnlessChosen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  }
}

}  // namespace mensuro
