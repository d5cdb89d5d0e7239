#pragma once

#include <QStringList>
#include <string_view>

#include "ui/common/dialog_services.h"

namespace mensuro {

// Name filters for a Qt file dialog from a "description|pattern|...||" filter. Each keeps its
// description as the user reads it and selects the files its pattern names, without regard to
// case as the filter's authors expect ("*.*" selects every file).
QStringList QtNameFilters(const QString& filter);

// The desktop's own file dialogs, message boxes and document opening, and our PDF viewer.
class QtDialogServices final : public DialogServices {
 public:
  std::optional<QString> ChooseFile(QWidget& owner, const FileDialogRequest& request) override;
  void ShowMessage(QWidget& owner, const QString& text) override;
  bool OpenDocument(const QString& path) override;
  bool ShowDocumentInViewer(QWidget& owner, const QString& path) override;
  void RunModal(QDialog& dialog) override;
  bool AskYesNo(QWidget& owner, const QString& question) override;
  SaveChoice AskSaveChanges(QWidget& owner, const QString& question) override;
  IssueChoice AskIssueOrDraft(QWidget& owner, const QString& question) override;
  std::optional<QString> AskText(QWidget& owner, const QString& title,
                                 const QString& label) override;
};

}  // namespace mensuro
