#include "ui/main/main_dialog.h"

#include <algorithm>

#include <fmt/printf.h>

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <initializer_list>
#include <utility>
#include <vector>

#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/number_text.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"
#include "ui/baseline/baseline_window.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/fixed_pitch_font.h"
#include "ui/common/h_list_box.h"
#include "ui/import/field_import_dialog.h"
#include "ui/plot/plot_window.h"
#include "ui/register/register_window.h"

// The icons are compiled into this library; a static library's resources are registered by
// hand.
static void RegisterResources() {
  Q_INIT_RESOURCE(mensuro);
}

namespace mensuro {
namespace {

// An accuracy as its field shows it: two decimals, so 2.0 reads 2.00.
QString ErrorFieldText(double value) {
  return FieldFromBytes(fmt::sprintf("%-.2f", value));
}

}  // namespace

CVerantDlg::CVerantDlg(DialogServices& services, std::filesystem::path executableDir,
                       QWidget* parent)
    : QDialog(parent), services_(services), executableDir_(std::move(executableDir)) {
  RegisterResources();
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  controls_ = BuildDialog(MainDialogTemplate(), *this);
  // The window may grow from its laid-out size: the result list takes the room. Where the
  // dialog font makes it taller than a 1280 x 800 desktop has room for under a title bar and a
  // panel, the list starts shorter.
  const QSize laidOut = size();
  std::vector<QWidget*> bottomRow;
  for (const int id : {kIdProcess, kIdCancel, kIdPlot, kIdNoticeSummary, kIdSaveReportAs,
                       kIdRegister, kIdBaseline, kIdAbout, kIdHelp}) {
    bottomRow.push_back(Control(id));
  }
  growingLayout_.emplace(laidOut, *controls_.Find(kIdResultList), bottomRow);
  setMinimumSize(growingLayout_->MinimumSize());
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  constexpr int kTallestFirstHeight = 700;
  resize(laidOut.width(), std::max(growingLayout_->MinimumSize().height(),
                                   std::min(laidOut.height(), kTallestFirstHeight)));
  DoDataExchange();
  ConnectCommands();
  OnInitDialog();
}

void CVerantDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  growingLayout_->Apply(size());
}

void CVerantDlg::DoDataExchange() {
  auto* fromFile = controls_.Get<QRadioButton>(kIdFromFile);
  auto* predefined = controls_.Get<QRadioButton>(kIdPredefined);
  sourceGroup_.addButton(fromFile, 0);
  sourceGroup_.addButton(predefined, 1);
  sourceGroup_.button(sourceChoice_)->setChecked(true);

  publishedFileLabel_ = controls_.Get<QLabel>(kIdPublishedFileLabel);
  publishedFileName_ = controls_.Get<QLineEdit>(kIdPublishedFileName);
  openPublished_ = controls_.Get<QPushButton>(kIdOpenPublished);
  baselineLabel_ = controls_.Get<QLabel>(kIdBaselineLabel);
  loadBaseline_ = controls_.Get<QPushButton>(kIdLoadBaseline);
  newPublished_ = controls_.Get<QPushButton>(kIdNewPublished);
  baselineList_ = controls_.Get<QComboBox>(kIdBaselineList);
  publishedText_ = controls_.Get<QPlainTextEdit>(kIdPublishedText);
  measuredText_ = controls_.Get<QPlainTextEdit>(kIdMeasuredText);
  savePublished_ = controls_.Get<QPushButton>(kIdSavePublished);
  savePublishedAs_ = controls_.Get<QPushButton>(kIdSavePublishedAs);
  saveMeasured_ = controls_.Get<QPushButton>(kIdSaveMeasured);
  saveMeasuredAs_ = controls_.Get<QPushButton>(kIdSaveMeasuredAs);
  newMeasured_ = controls_.Get<QPushButton>(kIdNewMeasured);
  resultList_ = controls_.Get<CHListBox>(kIdResultList);
  saveReportAs_ = controls_.Get<QPushButton>(kIdSaveReportAs);
  measuredFileName_ = controls_.Get<QLineEdit>(kIdMeasuredFileName);
  comment_ = controls_.Get<QLineEdit>(kIdComment);
  edmDescription_ = controls_.Get<QLineEdit>(kIdEdmDescription);
  constantError_ = controls_.Get<QLineEdit>(kIdConstantError);
  ppmError_ = controls_.Get<QLineEdit>(kIdPpmError);
  date_ = controls_.Get<QLineEdit>(kIdDate);
  time_ = controls_.Get<QLineEdit>(kIdTime);
  noticeSummary_ = controls_.Get<QLabel>(kIdNoticeSummary);
  noticeSummary_->setWordWrap(true);
  noticeSummary_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CVerantDlg::ConnectCommands() {
  const auto onClick = [this](int id, void (CVerantDlg::*command)()) {
    connect(controls_.Get<QPushButton>(id), &QPushButton::clicked, this, command);
  };
  onClick(kIdProcess, &CVerantDlg::OnProcess);
  onClick(kIdCancel, &CVerantDlg::reject);
  onClick(kIdSaveReportAs, &CVerantDlg::OnSaveReportAs);
  onClick(kIdPlot, &CVerantDlg::OnPlot);
  onClick(kIdRegister, &CVerantDlg::OnRegister);
  onClick(kIdBaseline, &CVerantDlg::OnBaseline);
  onClick(kIdHelp, &CVerantDlg::OnShowHelp);
  onClick(kIdAbout, &CVerantDlg::OnAbout);
  onClick(kIdOpenPublished, &CVerantDlg::OnOpenPublished);
  onClick(kIdNewPublished, &CVerantDlg::OnNewPublished);
  onClick(kIdLoadBaseline, &CVerantDlg::OnLoadBaseline);
  onClick(kIdSavePublished, &CVerantDlg::OnSavePublished);
  onClick(kIdSavePublishedAs, &CVerantDlg::OnSavePublishedAs);
  onClick(kIdOpenMeasured, &CVerantDlg::OnOpenMeasured);
  onClick(kIdNewMeasured, &CVerantDlg::OnNewMeasured);
  onClick(kIdSaveMeasured, &CVerantDlg::OnSaveMeasured);
  onClick(kIdSaveMeasuredAs, &CVerantDlg::OnSaveMeasuredAs);
  connect(publishedText_, &QPlainTextEdit::textChanged, this, &CVerantDlg::OnPublishedChanged);
  connect(measuredText_, &QPlainTextEdit::textChanged, this, &CVerantDlg::OnMeasuredChanged);
  connect(&sourceGroup_, &QButtonGroup::idClicked, this, &CVerantDlg::OnSourceChanged);
  connect(&calibration_, &CalibrationState::Changed, this, &CVerantDlg::OnCalibrationChanged);
  for (QLineEdit* field : {date_, time_, edmDescription_, comment_, constantError_, ppmError_}) {
    connect(field, &QLineEdit::textChanged, this, &CVerantDlg::OnHeaderChanged);
  }
}

void CVerantDlg::OnInitDialog() {
  resultList_->setFont(ReportFont());
  resultList_->repaint();

  // One window icon in both sizes: the desktop picks the one it needs.
  QIcon windowIcon(QStringLiteral(":/icons/130.png"));
  const QIcon smallIcon(QStringLiteral(":/icons/128.png"));
  for (const QSize& size : smallIcon.availableSizes()) {
    windowIcon.addPixmap(smallIcon.pixmap(size));
  }
  setWindowIcon(windowIcon);

  OnSourceChanged();
  for (const std::string& name : ListBaselines(BaselineLibraryPath(executableDir_))) {
    baselineList_->addItem(FieldFromBytes(name));
  }
  baselineList_->setCurrentIndex(baselineList_->count() > 0 ? 0 : -1);
  ShowHeaderInEdits();
  // Showing the header counted as a change of the measured data; nothing has changed yet.
  EnableMeasuredSaves(false);
  Control(kIdProcess)->setFocus();
}

void CVerantDlg::OnSourceChanged() {
  sourceChoice_ = sourceGroup_.checkedId() == 0 ? 0 : 1;
  const bool fromFile = sourceChoice_ == 0;
  for (QWidget* control : std::initializer_list<QWidget*>{publishedFileLabel_, publishedFileName_,
                                                          openPublished_, newPublished_}) {
    control->setEnabled(fromFile);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{baselineLabel_, baselineList_, loadBaseline_}) {
    control->setEnabled(!fromFile);
  }
}

void CVerantDlg::ReadHeaderFromEdits() {
  header_.date = BytesFromField(date_->text());
  header_.time = BytesFromField(time_->text());
  header_.edmDescription = BytesFromField(edmDescription_->text());
  header_.comment = BytesFromField(comment_->text());
  header_.constantError = ReadNumber(BytesFromField(constantError_->text()));
  header_.ppmError = ReadNumber(BytesFromField(ppmError_->text()));
  header_.measuredFileName = BytesFromField(measuredFileName_->text());
  if (sourceChoice_ != 0) {
    header_.publishedSource = baselineList_->currentIndex() >= 0
                                  ? BytesFromField(baselineList_->currentText())
                                  : std::string();
  } else {
    header_.publishedSource = BytesFromField(publishedFileName_->text());
  }
}

void CVerantDlg::ShowHeaderInEdits() {
  // Every write reads the header back from all six fields, so the fields are written from a copy
  // that those reads can't touch.
  const MeasurementHeader shown = header_;
  ShowHeaderTexts(shown);
  WriteHeaderField(*constantError_, ErrorFieldText(shown.constantError));
  WriteHeaderField(*ppmError_, ErrorFieldText(shown.ppmError));
}

void CVerantDlg::ShowHeaderTexts(const MeasurementHeader& shown) {
  WriteHeaderField(*date_, FieldFromBytes(shown.date));
  WriteHeaderField(*time_, FieldFromBytes(shown.time));
  WriteHeaderField(*edmDescription_, FieldFromBytes(shown.edmDescription));
  WriteHeaderField(*comment_, FieldFromBytes(shown.comment));
}

void CVerantDlg::ShowImportedHeader(const ImportHeader& header) {
  WriteHeaderField(*date_, header.date);
  WriteHeaderField(*time_, header.time);
  WriteHeaderField(*comment_, header.comment);
  WriteHeaderField(*edmDescription_, header.edmDescription);
  WriteHeaderField(*constantError_, header.constantError);
  WriteHeaderField(*ppmError_, header.ppmError);
}

void CVerantDlg::WriteHeaderField(QLineEdit& field, const QString& text) {
  const bool changed = field.text() != text;
  {
    const QSignalBlocker quiet(field);
    field.setText(text);
    // The start of the text in view, as a field just filled shows it.
    field.setCursorPosition(0);
  }
  if (changed) {
    EnableMeasuredSaves(true);
  }
  ReadHeaderFromEdits();
}

void CVerantDlg::OnHeaderChanged() {
  EnableMeasuredSaves(true);
  ReadHeaderFromEdits();
}

void CVerantDlg::OnRegister() {
  if (registerWindow_ == nullptr) {
    if (!register_.IsOpen()) {
      const QString location = RegisterLocation();
      if (const QString failure = register_.Open(location); !failure.isEmpty()) {
        services_.ShowMessage(*this, QStringLiteral("Could not open the register ") + location +
                                         QStringLiteral(": ") + failure);
        return;
      }
    }
    registerWindow_ = new CRegisterWindow(services_, register_, this);
  }
  registerWindow_->show();
  registerWindow_->raise();
  registerWindow_->activateWindow();
}

void CVerantDlg::OnBaseline() {
  if (baselineWindow_ == nullptr) {
    baselineWindow_ = new CBaselineWindow(services_, BaselineLibraryPath(executableDir_), this);
    baselineWindow_->SetCertificateWriter(
        [this](QWidget& owner, const BaselineToCertify& certified) {
          return WriteBaselineCertificate(owner, certified);
        });
  }
  baselineWindow_->show();
  baselineWindow_->raise();
  baselineWindow_->activateWindow();
}

void CVerantDlg::EnablePublishedSaves(bool enabled) {
  // Disabled: the text was opened, started or saved, so a file holds it.
  libraryTextUnsaved_ = libraryTextUnsaved_ && enabled;
  savePublishedAs_->setEnabled(enabled);
  savePublished_->setEnabled(enabled);
}

void CVerantDlg::EnableMeasuredSaves(bool enabled) {
  saveMeasuredAs_->setEnabled(enabled);
  saveMeasured_->setEnabled(enabled);
}

bool CVerantDlg::PublishedUnsaved() const {
  return !publishedText_->document()->isEmpty() &&
         (libraryTextUnsaved_ || savePublishedAs_->isEnabled());
}

bool CVerantDlg::MeasuredUnsaved() const {
  // Header fields alone are not saved: an empty text writes no file.
  return !measuredText_->document()->isEmpty() && saveMeasuredAs_->isEnabled();
}

void CVerantDlg::reject() {
  const bool published = PublishedUnsaved();
  const bool measured = MeasuredUnsaved();
  if (published || measured) {
    const QString which = published && measured
                              ? QStringLiteral("The published and the measured text have")
                          : published ? QStringLiteral("The published text has")
                                      : QStringLiteral("The measured text has");
    switch (services_.AskSaveChanges(
        *this,
        which + QStringLiteral(" changes that are not saved.\n\nSave them before closing?"))) {
      case SaveChoice::kCancel:
        return;
      case SaveChoice::kDiscard:
        break;
      case SaveChoice::kSave:
        if (published) {
          OnSavePublished();
          if (PublishedUnsaved()) {
            return;
          }
        }
        if (measured) {
          OnSaveMeasured();
          if (MeasuredUnsaved()) {
            return;
          }
        }
        break;
    }
  }
  QDialog::reject();
}

}  // namespace mensuro
