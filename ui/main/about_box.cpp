#include "ui/main/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "core/data/data_files.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"
#include "ui/common/control_text.h"
#include "ui/common/picture_ctrl.h"

namespace mensuro {

CDlgAbout::CDlgAbout(const std::filesystem::path& executableDir,
                     std::span<const VersionString> versionStrings, QWidget* owner)
    : QDialog(owner) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  controls_ = BuildDialog(AboutDialogTemplate(), *this);
  DoDataExchange();
  connect(controls_.Get<QPushButton>(kIdOk), &QPushButton::clicked, this, &QDialog::accept);
  OnInitDialog(executableDir, versionStrings);
}

void CDlgAbout::DoDataExchange() {
  productLabel_ = controls_.Get<QLabel>(kIdProductLabel);
  picture_ = controls_.Get<CPictureCtrl>(kIdPicture);
}

void CDlgAbout::OnInitDialog(const std::filesystem::path& executableDir,
                             std::span<const VersionString> versionStrings) {
  // A missing or unreadable picture leaves its area empty; the box opens all the same.
  picture_->LoadFromFile(LocateDataFile(executableDir, kAboutPictureFileName));

  const std::optional<VersionInfo> version = ReadVersionInfo(versionStrings);
  productLabel_->setText(productLabel_->text() + QStringLiteral(": Ver. ") +
                         FieldFromBytes(version ? version->productVersion : std::string()));
  // The keyboard focus starts on the first control, OK.
  controls_.Find(kIdOk)->setFocus();
}

}  // namespace mensuro
