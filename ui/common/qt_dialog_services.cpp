#include "ui/common/qt_dialog_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "core/data/text_file.h"
#ifdef MENSURO_PDF_VIEWER
#include "ui/common/help_viewer.h"
#endif

namespace mensuro {
namespace {

// "*.RPT" as "*.[Rr][Pp][Tt]", so that a file dialog on a case-sensitive file system lists
// report.rpt and REPORT.RPT alike. "*.*" means every file.
QString CaseBlindPattern(const QString& pattern) {
  if (pattern == QLatin1String("*.*")) {
    return QStringLiteral("*");
  }
  QString blind;
  for (const QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      blind += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
    } else {
      blind += c;
    }
  }
  return blind;
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
  QStringList names;
  for (const FileTypeFilter& entry : SplitFileDialogFilter(filter.toStdString())) {
    QStringList patterns;
    for (const QString& pattern : QString::fromStdString(entry.pattern).split(QLatin1Char(';'))) {
      patterns << CaseBlindPattern(pattern.trimmed());
    }
    // Qt reads the patterns from the last parentheses and, with the details hidden, shows the
    // description before them.
    names << QString::fromStdString(entry.description) + QStringLiteral(" (") +
                 patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return names;
}

std::optional<QString> QtDialogServices::ChooseFile(QWidget& owner,
                                                    const FileDialogRequest& request) {
  QFileDialog dialog(&owner);
  dialog.setAcceptMode(request.forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList names = QtNameFilters(request.filter);
  dialog.setNameFilters(names);
  dialog.setDefaultSuffix(request.defaultExtension);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& name) {
    const auto entry = static_cast<std::size_t>(names.indexOf(name));
    const bool given =
        entry < request.filterExtensions.size() && !request.filterExtensions[entry].isEmpty();
    dialog.setDefaultSuffix(given ? request.filterExtensions[entry] : request.defaultExtension);
  });
  // A wildcard initial name ("*.txt") only repeats the filter; a Qt dialog would take it for a
  // file name.
  if (!request.initialName.contains(QLatin1Char('*')) &&
      !request.initialName.contains(QLatin1Char('?'))) {
    dialog.selectFile(request.initialName);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().constFirst();
}

void QtDialogServices::ShowMessage(QWidget& owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                  &owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool QtDialogServices::OpenDocument(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtDialogServices::ShowDocumentInViewer(QWidget& owner, const QString& path) {
#ifndef MENSURO_PDF_VIEWER
  // Without a viewer of our own, only the desktop's can show it.
  (void)owner;
  (void)path;
  return false;
#else
  // Asking again brings the window already showing the document to the front.
  for (CHelpViewer* open : owner.findChildren<CHelpViewer*>(Qt::FindDirectChildrenOnly)) {
    if (open->Path() == path) {
      open->show();
      open->raise();
      open->activateWindow();
      return true;
    }
  }
  // A viewer that can't show the document goes with `tried` at the end of this call; one that can
  // moves to `owner`, which deletes it, unless closing it does first.
  QWidget tried;
  auto* viewer = new CHelpViewer(&tried);
  if (!viewer->Load(path)) {
    return false;
  }
  viewer->setParent(&owner, viewer->windowFlags());
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewer->show();
  return true;
#endif
}

void QtDialogServices::RunModal(QDialog& dialog) {
  dialog.exec();
}

bool QtDialogServices::AskYesNo(QWidget& owner, const QString& question) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                  QMessageBox::Yes | QMessageBox::No, &owner);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

SaveChoice QtDialogServices::AskSaveChanges(QWidget& owner, const QString& question) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &owner);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveChoice::kSave;
    case QMessageBox::Discard:
      return SaveChoice::kDiscard;
    default:
      return SaveChoice::kCancel;
  }
}

IssueChoice QtDialogServices::AskIssueOrDraft(QWidget& owner, const QString& question) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                  QMessageBox::NoButton, &owner);
  box.setTextFormat(Qt::PlainText);
  const QPushButton* issue =
      box.addButton(QStringLiteral("Issue into Register"), QMessageBox::AcceptRole);
  QPushButton* draft = box.addButton(QStringLiteral("Save Draft"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(draft);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == issue) {
    return IssueChoice::kIssue;
  }
  return box.clickedButton() == draft ? IssueChoice::kDraft : IssueChoice::kCancel;
}

std::optional<QString> QtDialogServices::AskText(QWidget& owner, const QString& title,
                                                 const QString& label) {
  bool accepted = false;
  const QString text =
      QInputDialog::getText(&owner, title, label, QLineEdit::Normal, QString(), &accepted);
  return accepted ? std::optional(text) : std::nullopt;
}

}  // namespace mensuro
