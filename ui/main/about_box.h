#pragma once

#include <QDialog>
#include <filesystem>
#include <span>

#include "resources/version_info.h"
#include "ui/common/dialog_builder.h"

class QLabel;

namespace mensuro {

class CPictureCtrl;

// The picture the About box shows, looked for where the program's other files are.
inline constexpr std::string_view kAboutPictureFileName = "totalStas_cropped.png";

// The About box: the product line with the program's version, copyright and contact lines, and
// a picture. Built afresh for every showing, so the picture file and the version are read each
// time it opens.
class CDlgAbout : public QDialog {
  Q_OBJECT

 public:
  // `executableDir` is where the picture file is looked for; `versionStrings` is where the
  // version comes from.
  CDlgAbout(const std::filesystem::path& executableDir,
            std::span<const VersionString> versionStrings, QWidget* owner);

  QWidget* Control(int id) const { return controls_.Find(id); }
  const QLabel& ProductLabel() const { return *productLabel_; }
  const CPictureCtrl& Picture() const { return *picture_; }

 private:
  void DoDataExchange();
  void OnInitDialog(const std::filesystem::path& executableDir,
                    std::span<const VersionString> versionStrings);

  DialogControls controls_;
  QLabel* productLabel_ = nullptr;
  CPictureCtrl* picture_ = nullptr;
};

}  // namespace mensuro
