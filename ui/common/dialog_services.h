#pragma once

#include <QString>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace mensuro {

// What a file dialog is asked for.
struct FileDialogRequest {
  bool forSaving = false;    // saving asks before an existing file is replaced
  QString filter;            // "description|pattern|...||"
  QString defaultExtension;  // without the dot; added when the user types a name without one
  QString initialName;
  // Per entry of the filter, the extension a name typed without one gets while that entry is
  // chosen, so that the chosen file type decides the file's type; empty: defaultExtension.
  std::vector<QString> filterExtensions = {};
};

// The answer to a question about unsaved changes.
enum class SaveChoice { kSave, kDiscard, kCancel };

// The answer to the question what becomes of a certificate while no register is open.
enum class IssueChoice { kIssue, kDraft, kCancel };

// The modal things a window asks of the platform: choosing a file, showing a message, opening a
// document in the program the desktop has for it (or in our own viewer), running a dialog of its
// own. The window receives one; tests answer in advance and check what would have been shown.
class DialogServices {
 public:
  DialogServices() = default;
  virtual ~DialogServices() = default;
  DialogServices(const DialogServices&) = delete;
  DialogServices& operator=(const DialogServices&) = delete;

  // The full path the user chose, or nothing when the dialog was cancelled.
  virtual std::optional<QString> ChooseFile(QWidget& owner, const FileDialogRequest& request) = 0;

  // A message with an OK button, under the application's name.
  virtual void ShowMessage(QWidget& owner, const QString& text) = 0;

  // Asks the desktop to open the existing file at `path`; false when it couldn't.
  virtual bool OpenDocument(const QString& path) = 0;

  // Shows the PDF document at `path` in the program's own viewer, a window that stays open beside
  // `owner`; false when the document can't be read.
  virtual bool ShowDocumentInViewer(QWidget& owner, const QString& path) = 0;

  // Shows `dialog` modally and returns when it has closed.
  virtual void RunModal(QDialog& dialog) = 0;

  // A question with Yes and No buttons, No the default; true for Yes.
  virtual bool AskYesNo(QWidget& owner, const QString& question) = 0;

  // A question about unsaved changes with Save, Discard and Cancel buttons, Save the default.
  virtual SaveChoice AskSaveChanges(QWidget& owner, const QString& question) = 0;

  // A question about a certificate with no register open, with Issue into Register, Save Draft
  // and Cancel buttons; Save Draft the default, since an issue can't be taken back.
  virtual IssueChoice AskIssueOrDraft(QWidget& owner, const QString& question) = 0;

  // Asks for a line of text under `label`; nothing when the user cancelled.
  virtual std::optional<QString> AskText(QWidget& owner, const QString& title,
                                         const QString& label) = 0;
};

}  // namespace mensuro
