#include "ui/common/open_files.h"

#include <optional>
#include <utility>

#include "core/data/file_names.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"

namespace mensuro {

NamedFile OpenFile(std::string role, const QString& fileName) {
  return {std::move(role),
          fileName.isEmpty() ? std::string() : Utf8FromPath(PathFromText(fileName))};
}

bool RefuseOpenFile(DialogServices& services, QWidget& owner, const QString& chosen,
                    const std::vector<NamedFile>& open) {
  const std::optional<NamedFile> same =
      SameFileAs({"file", Utf8FromPath(PathFromText(chosen))}, open);
  if (!same) {
    return false;
  }
  services.ShowMessage(owner, QStringLiteral("Could not write the file ") + chosen +
                                  QStringLiteral(": it is the ") +
                                  QString::fromStdString(same->role) + QStringLiteral(" ") +
                                  TextFromPath(PathFromUtf8(same->name)));
  return true;
}

}  // namespace mensuro
