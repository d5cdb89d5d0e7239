#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace mensuro {

// Writes the file at `path` through `write`, which draws or writes into the device it is given
// and returns false when that failed. The file is written beside its target and renamed over it
// only when everything was written, so a failure leaves an existing file as it was. Returns
// false with the reason in `reason`.
bool WriteDocumentFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                       QString& reason);

}  // namespace mensuro
