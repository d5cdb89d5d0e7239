#pragma once

#include <QButtonGroup>
#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <filesystem>

#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "ui/dialog_builder.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mensuro {

class CHListBox;
class DialogServices;

// The main window: the source of the published distances, the published and measured texts, the
// header fields, the result list and the commands. Built from its dialog template; every control
// can be found by its id.
class CVerantDlg : public QDialog {
  Q_OBJECT

 public:
  // `services` answers the window's file dialogs, messages and document opening;
  // `executableDir` is where the files shipped with the program are looked for.
  CVerantDlg(DialogServices& services, std::filesystem::path executableDir,
             QWidget* parent = nullptr);
  ~CVerantDlg() override;
  CVerantDlg(const CVerantDlg&) = delete;
  CVerantDlg& operator=(const CVerantDlg&) = delete;

  QWidget* Control(int id) const { return controls_.Find(id); }
  const DialogControls& Controls() const { return controls_; }
  MeasurementHeader& Header() { return header_; }
  const ReportText& Report() const { return report_; }
  int SourceChoice() const { return sourceChoice_; }
  const QIcon& SmallIcon() const { return smallIcon_; }
  const QIcon& LargeIcon() const { return largeIcon_; }

  // The source of the published distances: 0 a published file, 1 the baseline library.
  void OnSourceChanged();
  // The six header fields, the measured file name and the published source into the header.
  void ReadHeaderFromEdits();
  // The header into the six header fields; the header then holds what they show.
  void ShowHeaderInEdits();
  void OnHeaderChanged();

  void OnProcess();
  void FillResultList();
  void OnSaveReportAs();
  void OnShowHelp();

 private:
  void DoDataExchange();
  void OnInitDialog();
  void ConnectCommands();
  // Sets a header field's text; the change runs OnHeaderChanged even when the text is the same.
  void WriteHeaderField(QLineEdit& field, const QString& text);

  DialogServices& services_;
  std::filesystem::path executableDir_;

  QIcon smallIcon_;
  QIcon largeIcon_;
  int sourceChoice_ = 1;
  DialogControls controls_;
  QButtonGroup sourceGroup_;

  QLabel* publishedFileLabel_ = nullptr;
  QLineEdit* publishedFileName_ = nullptr;
  QPushButton* openPublished_ = nullptr;
  QLabel* baselineLabel_ = nullptr;
  QPushButton* loadBaseline_ = nullptr;
  QPushButton* newPublished_ = nullptr;
  QComboBox* baselineList_ = nullptr;
  QPlainTextEdit* publishedText_ = nullptr;
  QPlainTextEdit* measuredText_ = nullptr;
  QPushButton* savePublished_ = nullptr;
  QPushButton* savePublishedAs_ = nullptr;
  QPushButton* saveMeasured_ = nullptr;
  QPushButton* saveMeasuredAs_ = nullptr;
  QPushButton* newMeasured_ = nullptr;
  CHListBox* resultList_ = nullptr;
  QPushButton* saveReportAs_ = nullptr;
  QLineEdit* measuredFileName_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QLineEdit* edmDescription_ = nullptr;
  QLineEdit* constantError_ = nullptr;
  QLineEdit* ppmError_ = nullptr;
  QLineEdit* date_ = nullptr;
  QLineEdit* time_ = nullptr;

  MeasurementHeader header_;
  ReportText report_;
};

}  // namespace mensuro
