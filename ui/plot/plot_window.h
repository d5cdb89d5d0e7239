#pragma once

#include <QChartView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QString>
#include <QTabBar>
#include <QTableWidget>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/reduction/field_observations.h"
#include "documents/calibration_plot_data.h"
#include "ui/common/calibration_state.h"
#include "ui/common/equipment_choice.h"
#include "ui/common/open_files.h"

class QGridLayout;
class QLayout;
class QScatterSeries;

namespace mensuro {

class DialogServices;

// The mean readings of the field file a calibration's measured text was reduced from, as
// reduced; nothing when it wasn't reduced from one, or the file has no weather readings.
using MeanReadingsOf = std::function<std::optional<FieldWeather>(const ProcessedCalibration&)>;

// The non-modal "Calibration Plot" window: the calibration chart above the residual chart of the
// latest successful Process, or the message of a failed one, and beside them a panel that the
// user can widen: first the scale and constant errors with their standard errors and verdicts,
// then the uncertainty of the correction as the certificate gives it, last what the published
// distances are and, when the measured text was reduced from a field file, how. When the
// conditions give a unit length, the residuals against the fractional part of D/U with the
// fitted cyclic error have a page of their own, chosen by tabs in the row of buttons, and the
// panel gives the cyclic error's figures and verdict below the results. Hovering a pair's marker
// tells its figures; Save As writes the plot as SVG, PNG or PDF; Calibration Conditions sets
// what the uncertainty takes. The parts that change are named, for finding them: message,
// calibrationView, residualView, cyclicView, chartPages, chartTabs, noticeList,
// uncertaintyPanel, resultSummary, cyclicSummary, uncertaintyInputs, correctionTable,
// conformity, fullTest, publishedDistances, reductionSummary, calibrationConditions and saveAs.
// A pair's marker has a context menu to leave the pair out of the fit or to list its
// observations, each of which can be left out on its own, as can an observation from its dot;
// what is left out is listed below the charts (exclusionList), each with a button to bring it
// back (named bringBack).
class CPlotWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows the calibration of `state`, and again whenever it changes.
  CPlotWindow(DialogServices& services, CalibrationState& state, QWidget* parent = nullptr);

  // Shows the calibration, or the failure in place of the charts when there is none, and below
  // them what reading the texts noticed.
  void ShowCalibration();

  // The files that Save As must not write over; none unless set.
  void SetOpenFiles(OpenFiles openFiles) { openFiles_ = std::move(openFiles); }
  // The register's equipment the conditions offer; none unless set.
  void SetEquipment(RegisterEquipment equipment) { equipment_ = std::move(equipment); }
  // Where the conditions find the mean readings behind a psychrometer's uncertainty; none unless
  // set.
  void SetMeanReadings(MeanReadingsOf meanReadings) { meanReadings_ = std::move(meanReadings); }
  void OnSaveAs();
  // Runs the Calibration Conditions dialog on the remembered conditions and reflector, with the
  // calibration's sensors; OK remembers them and processes the calibration again under them.
  void OnCalibrationConditions();
  // The text a pair's marker shows while hovered, or nothing when `point` marks no pair.
  std::optional<QString> MarkerText(const QScatterSeries& series, const QPointF& point) const;
  // Leaves the pair whose marker, or the observation whose dot, `series` shows at `point` out
  // of the fit, for the reason the user gives: an empty reason is refused and asked again,
  // cancelling leaves it in. What can't be left out is told in a message.
  void LeaveOut(const QScatterSeries& series, const QPointF& point);
  // Lists the observations of the pair whose marker `series` shows at `point` (the dialog
  // named pairObservations), each with a button (named leaveOut) that leaves it out as its dot
  // does.
  void ShowPairObservations(const QScatterSeries& series, const QPointF& point);
  // States what the published distances of `origin` are and, in a group of its own that is
  // hidden without one, its reduction: a row of label and value per statement.
  void ShowOrigin(const CalibrationOrigin& origin);

 private:
  // The window's parts: the charts with the notices below them, the side panel, the buttons.
  QWidget* BuildChartColumn();
  QWidget* BuildSidePanel();
  // The summary of a field file's reduction, its rows filled in when shown.
  QWidget* BuildReductionSummary(QWidget* parent);
  QLayout* BuildButtonRow();
  void ShowCharts(const CalibrationPlotData& data);
  // The cyclic error's chart on a tab of its own and its summary in the panel, or neither when
  // the charts have no cyclic error.
  void ShowCyclic();
  void ShowMessage(const QString& text);
  void ConnectHovering(QChart& chart);
  void ShowNotices(const InputNotices& notices);
  void ShowExclusions(const std::vector<AppliedExclusion>& exclusions);
  // The pane of the lists below the charts, hidden while both lists are.
  void ShowListPane();
  // The context menu of the marker under `position` of `view`, if there is one.
  void OnChartContextMenu(QChartView& view, const QPoint& position);
  // Asks why `what` is left out of the fit until a reason is given, and leaves out what
  // `exclusion` names for it; nothing when the user cancels.
  void AskReasonAndExclude(Exclusion exclusion, const std::string& what);
  void ShowResults(const CalibrationAnalysis& analysis);
  void ShowUncertainty(const ProcessedCalibration& calibration);
  // Keeps the panel as wide as its tables' columns need.
  void FitPanelWidth();

  DialogServices& services_;
  CalibrationState& state_;
  // What the charts show, or nothing while a message stands in their place.
  std::optional<CalibrationPlotData> data_;
  // The parts that change, children of the window, which owns them. The notice list shows the
  // warnings and notes of the run, one line each, and is hidden when there are none; the panel
  // (scrolled when taller than the window) shows the results and the uncertainty of the
  // correction, and is hidden while there is no calibration.
  QLabel* message_ = nullptr;
  QChartView* calibrationView_ = nullptr;
  QChartView* residualView_ = nullptr;
  // The two charts above on one page, the cyclic error's chart on another, and the tabs that
  // choose between them while there is a cyclic error.
  QStackedWidget* chartPages_ = nullptr;
  QTabBar* chartTabs_ = nullptr;
  QChartView* cyclicView_ = nullptr;
  QWidget* listPane_ = nullptr;
  QLabel* noticeTitle_ = nullptr;
  QListWidget* noticeList_ = nullptr;
  QLabel* exclusionTitle_ = nullptr;
  QTableWidget* exclusionList_ = nullptr;
  QScrollArea* panel_ = nullptr;
  QTableWidget* resultSummary_ = nullptr;
  QLabel* cyclicTitle_ = nullptr;
  QLabel* cyclicSummary_ = nullptr;
  QLabel* inputs_ = nullptr;
  QTableWidget* correctionTable_ = nullptr;
  QLabel* conformity_ = nullptr;
  QLabel* fullTest_ = nullptr;
  QLabel* publishedDistances_ = nullptr;
  QWidget* reduction_ = nullptr;
  QGridLayout* reductionGrid_ = nullptr;
  // The rows of the reduction's statements, kept for the next calibration's.
  struct StatementRow {
    QLabel* label;
    QLabel* value;
  };
  std::vector<StatementRow> reductionRows_;
  QPushButton* conditions_ = nullptr;
  QPushButton* saveAs_ = nullptr;
  OpenFiles openFiles_;
  RegisterEquipment equipment_;
  MeanReadingsOf meanReadings_;
};

}  // namespace mensuro
