#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/baseline/baseline_calibration.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace mensuro {

class DialogServices;

// A calibration to certify, as the window shows it.
struct BaselineToCertify {
  const BaselineCalibration& calibration;
  // The survey as adjusted, its file, and the pillar order asked for (empty: inferred).
  const BaselineSurveyRequest& request;
  std::string name;  // the baseline's
};

// Writes the certificate of `certified` (asking the details, issuing into the register), its
// dialogs over `owner`; the certificate's number when one was issued, else nothing.
using BaselineCertificateWriter =
    std::function<std::optional<std::string>(QWidget& owner, const BaselineToCertify& certified)>;

// The non-modal "Baseline Calibration" window: a baseline's own calibration from an
// all-combinations survey of its pillars with a calibrated reference instrument. On the left
// what the adjustment takes: the survey file, the baseline's name, the reference instrument's
// scale correction, the pillar order (inferred from the observations, or as the user arranges
// it) and the previous certificate to compare with; on the right what CalibrateBaseline made of
// it: the certified distances, the observations with their residuals (what is left out of the
// fit listed below them, each with a button to bring it back) and the comparison. The parts are
// named, for finding them: surveyFile, openSurvey, baselineName, scalePpm, scaleUncertainty,
// scaleK, pillarOrder, orderState, addPillar, removePillar, moveUp, moveDown, inferOrder,
// previousCertificate, process, message, results, summary, pillarTable, pairTable,
// observationTable, leaveOut, exclusionList (its buttons bringBack), residualView,
// comparisonSummary, comparisonTable, saveLibraryEntry and saveCertificate.
class CBaselineWindow : public QWidget {
  Q_OBJECT

 public:
  // `libraryFile` is the baseline library the previous certificate is chosen from.
  CBaselineWindow(DialogServices& services, std::filesystem::path libraryFile,
                  QWidget* parent = nullptr);

  // The calibration shown; nothing before the first Process and after a failed one.
  const std::optional<BaselineCalibration>& Calibration() const { return calibration_; }

  // How Save Certificate writes a certificate; without one the command is hidden.
  void SetCertificateWriter(BaselineCertificateWriter writer);

  // Reads the survey file `fileName` (chosen by Open); a file that can't be read is told and
  // nothing changes.
  void OpenSurvey(const QString& fileName);
  void OnOpenSurvey();
  // Adjusts the survey as the fields ask; a field that doesn't read, or a survey that can't be
  // adjusted, is told, and what was typed stays.
  void OnProcess();
  // Leaves the observation selected in the observation table out of the fit, for the reason
  // the user gives; an empty reason is refused and asked again, cancelling leaves it in.
  void OnLeaveOut();
  // Brings back what the exclusion at `index` of the calibration's left out.
  void BringBack(std::size_t index);
  // Asks for a library file and adds or replaces the baseline's entry in it.
  void OnSaveLibraryEntry();
  void OnSaveCertificate();

 private:
  QWidget* BuildInputColumn();
  QWidget* BuildOrderGroup(QWidget* parent);
  QWidget* BuildResults();
  QWidget* BuildDistancesPage();
  QWidget* BuildObservationsPage();
  QWidget* BuildComparisonPage();

  // The request the fields make, or nothing with the problem told.
  std::optional<BaselineSurveyRequest> RequestFromFields();
  // The previous certificate chosen, into `request`; false with the problem told.
  bool ReadPrevious(BaselineSurveyRequest& request);
  // Adjusts `request`: shown and kept when it can be adjusted; else its failure. Returns the
  // failure, empty when adjusted.
  QString Run(const BaselineSurveyRequest& request);
  void ShowCalibration();
  void ShowFailure(const QString& text);
  void ShowSummary(const BaselineAdjustment& adjustment);
  void ShowObservations(const BaselineAdjustment& adjustment);
  void ShowExclusions(const std::vector<AppliedExclusion>& excluded);
  void ShowComparison();
  // The pillar order into the list, marked as inferred or given.
  void ShowOrder(const std::vector<PillarPosition>& pillars);
  void MarkOrder(bool given);
  // An empty list, for Process to fill with the order it infers.
  void InferOrder();
  void MoveSelectedPillar(int step);
  void OnPreviousChosen();

  DialogServices& services_;
  std::filesystem::path libraryFile_;
  BaselineCertificateWriter certificateWriter_;

  // The survey as its file holds it, and what was left out of its fit.
  std::string surveyText_;
  std::vector<Exclusion> exclusions_;
  // The request of the calibration shown, for leaving out and bringing back.
  std::optional<BaselineSurveyRequest> request_;
  std::optional<BaselineCalibration> calibration_;
  // The certificate number issued for the calibration shown; empty: none.
  std::string certificateNumber_;
  // The order list holds an order the user gave, rather than the one inferred.
  bool orderGiven_ = false;
  // The program is filling the order list: not the user's change.
  bool fillingOrder_ = false;

  // The window's parts, children of the window, which owns them.
  QLineEdit* surveyFile_ = nullptr;
  QLineEdit* baselineName_ = nullptr;
  QLineEdit* scalePpm_ = nullptr;
  QLineEdit* scaleUncertainty_ = nullptr;
  QLineEdit* scaleK_ = nullptr;
  QListWidget* pillarOrder_ = nullptr;
  QLabel* orderState_ = nullptr;
  QComboBox* previous_ = nullptr;
  QLabel* message_ = nullptr;
  QTabWidget* results_ = nullptr;
  QPlainTextEdit* summary_ = nullptr;
  QTableWidget* pillarTable_ = nullptr;
  QTableWidget* pairTable_ = nullptr;
  QTableWidget* observationTable_ = nullptr;
  QPushButton* leaveOut_ = nullptr;
  QLabel* exclusionTitle_ = nullptr;
  QTableWidget* exclusionList_ = nullptr;
  QChartView* residualView_ = nullptr;
  QLabel* comparisonSummary_ = nullptr;
  QTableWidget* comparisonTable_ = nullptr;
  QPushButton* saveLibraryEntry_ = nullptr;
  QPushButton* saveCertificate_ = nullptr;
};

}  // namespace mensuro
