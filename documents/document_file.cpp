#include "documents/document_file.h"

#include <QSaveFile>

namespace mensuro {

bool WriteDocumentFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                       QString& reason) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    reason = file.errorString();
    return false;
  }
  if (!write(file)) {
    reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                  : QStringLiteral("the drawing could not be made");
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    reason = file.errorString();
    return false;
  }
  return true;
}

}  // namespace mensuro
