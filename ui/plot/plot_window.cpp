#include "ui/plot/plot_window.h"

#include <fmt/format.h>
#include <QChart>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineF>
#include <QMenu>
#include <QScatterSeries>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStringList>
#include <QTabBar>
#include <QTableWidgetItem>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/data/local_time.h"
#include "core/data/visible_text.h"
#include "documents/calibration_chart.h"
#include "documents/origin_text.h"
#include "documents/plot_export.h"
#include "documents/report_numbers.h"
#include "documents/uncertainty_summary.h"
#include "ui/common/calibration_conditions_dialog.h"
#include "ui/common/chart_view.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/leave_out.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/remembered_equipment.h"

namespace mensuro {
namespace {

const QString kPlotFilter = QStringLiteral(
    "SVG picture (*.svg)|*.svg|PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf||");

// The summary's texts, which the program writes itself, as one text of lines.
QString Lines(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) {
    joined << QString::fromStdString(line);
  }
  return joined.join(QLatin1Char('\n'));
}

// The first size: the charts beside the panel on a 1280 x 800 screen, with room left for the
// window's frame and the desktop's own panels.
constexpr QSize kFirstSize(1200, 700);
// Room for the window's frame, which is only known once the window is shown.
constexpr QSize kFrameAllowance(16, 40);

// How near (pixels) a right click must be to a marker to open its menu.
constexpr qreal kMarkerReach = 8.0;

// The lists below the charts are as tall as their rows up to this many, and scroll beyond; the
// splitter above them lets the user give them more room or less, down to one row.
constexpr int kListedRowsShown = 4;

// The charts' least heights: enough for the title, the legend, the axes' labels and the
// vertical axis title written whole, whatever the lists below them take.
constexpr int kCalibrationChartHeight = 270;
constexpr int kResidualChartHeight = 160;

// Makes `view` as tall as `rows` rows of `rowHeight`, up to kListedRowsShown of them, and lets
// it shrink to one.
void FitListHeight(QAbstractItemView& view, int rows, int rowHeight) {
  const int frame = 2 * view.frameWidth();
  view.setMinimumHeight(frame + rowHeight);
  view.setMaximumHeight(frame + std::min(rows, kListedRowsShown) * rowHeight);
}

// A read-only table of figures, which FillFigureTable makes as tall as its rows and as wide as
// its columns need, so that every column shows whole; the panel scrolls instead of the table.
void SetUpFigureTable(QTableWidget& table) {
  table.setEditTriggers(QAbstractItemView::NoEditTriggers);
  table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// Puts `rows` of figures into `table`, right-aligned, and makes it as wide as its columns and as
// tall as its rows.
void FillFigureTable(QTableWidget& table, const std::vector<std::vector<std::string>>& rows) {
  table.setRowCount(static_cast<int>(rows.size()));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t column = 0; column < rows[row].size(); ++column) {
      auto* item = new QTableWidgetItem(QString::fromStdString(rows[row][column]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table.setItem(static_cast<int>(row), static_cast<int>(column), item);
    }
  }
  table.resizeColumnsToContents();
  table.resizeRowsToContents();
  const QHeaderView& columnHeader = *table.horizontalHeader();
  const QHeaderView& rowHeader = *table.verticalHeader();
  const int frame = 2 * table.frameWidth();
  table.setFixedSize(
      frame + columnHeader.length() + (rowHeader.isHidden() ? 0 : rowHeader.sizeHint().width()),
      frame + columnHeader.sizeHint().height() + rowHeader.length());
}

// A text of the panel: plain, wrapped to the panel's width, and selectable for copying.
void SetUpPanelText(QLabel& text) {
  text.setTextFormat(Qt::PlainText);
  text.setWordWrap(true);
  text.setTextInteractionFlags(Qt::TextSelectableByMouse);
}

std::string Verdict(bool passed) {
  return passed ? "passed" : "failed";
}

// The table of the scale and constant errors, their standard errors and t-tests.
QTableWidget* NewResultSummary(QWidget* parent) {
  auto* table = new QTableWidget(2, 3, parent);
  table->setObjectName(QStringLiteral("resultSummary"));
  table->setHorizontalHeaderLabels(
      {QStringLiteral("Value"), QStringLiteral("Std. error"), QStringLiteral("t-test")});
  table->setVerticalHeaderLabels(
      {QStringLiteral("Scale error (ppm)"), QStringLiteral("Constant error (mm)")});
  table->setToolTip(
      QStringLiteral("The t-tests of the scale error and the constant error against zero at the "
                     "two-sided 5 percent level: passed, the error does not differ significantly "
                     "from zero; failed, it does."));
  SetUpFigureTable(*table);
  return table;
}

// The table of the correction and its uncertainty at distances, filled in when shown.
QTableWidget* NewCorrectionTable(QWidget* parent) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(QStringLiteral("correctionTable"));
  SetUpFigureTable(*table);
  table->verticalHeader()->hide();
  table->setToolTip(
      QStringLiteral("IC: the correction to add to a distance D measured with the instrument; "
                     "u: its combined standard uncertainty, with its effective degrees of "
                     "freedom (DOF); U = k u: its expanded uncertainty for about 95 percent."));
  return table;
}

}  // namespace

CPlotWindow::CPlotWindow(DialogServices& services, CalibrationState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
  setWindowTitle(QStringLiteral("Calibration Plot"));
  auto* splitter = new QSplitter(this);
  splitter->addWidget(BuildChartColumn());
  splitter->addWidget(BuildSidePanel());
  splitter->setChildrenCollapsible(false);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(BuildButtonRow());
  // Never larger than the free part of the screen it opens on, which is its main window's.
  const QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
  resize(kFirstSize.boundedTo(screen->availableGeometry().size() - kFrameAllowance));
  ShowMessage(QStringLiteral("Press Process to see the calibration plot."));
  ShowNotices({});
  ShowExclusions({});
  connect(&state_, &CalibrationState::Changed, this, &CPlotWindow::ShowCalibration);
  if (state_.Calibration() != nullptr || !state_.Failure().isEmpty()) {
    ShowCalibration();
  }
}

QWidget* CPlotWindow::BuildChartColumn() {
  auto* column = new QWidget(this);
  message_ = new QLabel(column);
  message_->setObjectName(QStringLiteral("message"));
  message_->setAlignment(Qt::AlignCenter);
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  calibrationView_ = new QChartView(column);
  calibrationView_->setObjectName(QStringLiteral("calibrationView"));
  residualView_ = new QChartView(column);
  residualView_->setObjectName(QStringLiteral("residualView"));
  cyclicView_ = new QChartView(column);
  cyclicView_->setObjectName(QStringLiteral("cyclicView"));
  calibrationView_->setMinimumHeight(kCalibrationChartHeight);
  residualView_->setMinimumHeight(kResidualChartHeight);
  for (QChartView* view : {calibrationView_, residualView_, cyclicView_}) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& position) { OnChartContextMenu(*view, position); });
  }
  noticeTitle_ = new QLabel(QStringLiteral("Warnings and notes on the input:"), column);
  noticeList_ = new QListWidget(column);
  noticeList_->setObjectName(QStringLiteral("noticeList"));
  exclusionTitle_ = new QLabel(QStringLiteral("Left out of the fit:"), column);
  exclusionList_ = NewLeftOutList(column);

  // The two charts of the fit on one page, the cyclic error's chart on another, chosen by the
  // tabs in the button row (BuildButtonRow).
  auto* fitPage = new QWidget(column);
  auto* fitLayout = new QVBoxLayout(fitPage);
  fitLayout->setContentsMargins(0, 0, 0, 0);
  fitLayout->addWidget(calibrationView_, 3);
  fitLayout->addWidget(residualView_, 2);
  chartPages_ = new QStackedWidget(column);
  chartPages_->setObjectName(QStringLiteral("chartPages"));
  chartPages_->addWidget(fitPage);
  chartPages_->addWidget(cyclicView_);
  auto* charts = new QWidget(column);
  auto* chartLayout = new QVBoxLayout(charts);
  chartLayout->setContentsMargins(0, 0, 0, 0);
  chartLayout->addWidget(message_, 1);
  chartLayout->addWidget(chartPages_, 5);
  listPane_ = new QWidget(column);
  auto* listLayout = new QVBoxLayout(listPane_);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addWidget(noticeTitle_);
  listLayout->addWidget(noticeList_);
  listLayout->addWidget(exclusionTitle_);
  listLayout->addWidget(exclusionList_);
  listLayout->addStretch(1);
  // The lists take room from the charts only down to the charts' least heights.
  auto* splitter = new QSplitter(Qt::Vertical, column);
  splitter->addWidget(charts);
  splitter->addWidget(listPane_);
  splitter->setChildrenCollapsible(false);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);
  return column;
}

QWidget* CPlotWindow::BuildReductionSummary(QWidget* parent) {
  auto* summary = new QWidget(parent);
  summary->setObjectName(QStringLiteral("reductionSummary"));
  auto* title =
      new QLabel(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(kReductionHeading)), summary);
  reductionGrid_ = new QGridLayout;
  reductionGrid_->setContentsMargins(0, 0, 0, 0);
  reductionGrid_->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(summary);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(title);
  layout->addLayout(reductionGrid_);
  return summary;
}

QWidget* CPlotWindow::BuildSidePanel() {
  panel_ = new QScrollArea(this);
  panel_->setObjectName(QStringLiteral("uncertaintyPanel"));
  panel_->setFrameShape(QFrame::NoFrame);
  panel_->setWidgetResizable(true);
  panel_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* content = new QWidget(panel_);

  auto* resultTitle = new QLabel(QStringLiteral("<b>Calibration results</b>"), content);
  resultSummary_ = NewResultSummary(content);
  cyclicTitle_ = new QLabel(QStringLiteral("<b>Cyclic error</b>"), content);
  cyclicSummary_ = new QLabel(content);
  cyclicSummary_->setObjectName(QStringLiteral("cyclicSummary"));

  auto* title = new QLabel(QStringLiteral("<b>Uncertainty of the correction</b>"), content);
  inputs_ = new QLabel(content);
  inputs_->setObjectName(QStringLiteral("uncertaintyInputs"));
  correctionTable_ = NewCorrectionTable(content);
  conformity_ = new QLabel(content);
  conformity_->setObjectName(QStringLiteral("conformity"));
  auto* fullTestTitle = new QLabel(QStringLiteral("<b>ISO 17123-4 full test</b>"), content);
  fullTest_ = new QLabel(content);
  fullTest_->setObjectName(QStringLiteral("fullTest"));
  publishedDistances_ = new QLabel(content);
  publishedDistances_->setObjectName(QStringLiteral("publishedDistances"));
  reduction_ = BuildReductionSummary(content);
  for (QLabel* text : {cyclicSummary_, inputs_, conformity_, fullTest_, publishedDistances_}) {
    SetUpPanelText(*text);
  }

  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(resultTitle);
  layout->addWidget(resultSummary_);
  layout->addSpacing(8);
  layout->addWidget(cyclicTitle_);
  layout->addWidget(cyclicSummary_);
  layout->addSpacing(8);
  layout->addWidget(title);
  layout->addWidget(inputs_);
  layout->addWidget(correctionTable_);
  layout->addWidget(conformity_);
  layout->addSpacing(8);
  layout->addWidget(fullTestTitle);
  layout->addWidget(fullTest_);
  layout->addSpacing(8);
  layout->addWidget(publishedDistances_);
  layout->addSpacing(8);
  layout->addWidget(reduction_);
  layout->addStretch(1);
  panel_->setWidget(content);
  return panel_;
}

QLayout* CPlotWindow::BuildButtonRow() {
  conditions_ = new QPushButton(QStringLiteral("Calibration Conditions..."), this);
  conditions_->setObjectName(QStringLiteral("calibrationConditions"));
  connect(conditions_, &QPushButton::clicked, this, &CPlotWindow::OnCalibrationConditions);
  saveAs_ = new QPushButton(QStringLiteral("Save As"), this);
  saveAs_->setObjectName(QStringLiteral("saveAs"));
  connect(saveAs_, &QPushButton::clicked, this, &CPlotWindow::OnSaveAs);
  // The tabs of the chart pages sit in the row of buttons, below the charts, where they take no
  // height of their own; they show only while there is more than one page.
  chartTabs_ = new QTabBar(this);
  chartTabs_->setObjectName(QStringLiteral("chartTabs"));
  chartTabs_->setShape(QTabBar::RoundedSouth);
  chartTabs_->setDrawBase(false);
  chartTabs_->setAutoHide(true);
  chartTabs_->addTab(QStringLiteral("Calibration"));
  chartTabs_->setMaximumHeight(conditions_->sizeHint().height());
  connect(chartTabs_, &QTabBar::currentChanged, chartPages_, &QStackedWidget::setCurrentIndex);
  auto* row = new QHBoxLayout;
  row->addWidget(conditions_);
  row->addWidget(chartTabs_, 0, Qt::AlignTop);
  row->addStretch();
  row->addWidget(saveAs_);
  return row;
}

void CPlotWindow::ShowCalibration() {
  if (const ProcessedCalibration* calibration = state_.Calibration()) {
    ShowCharts(MakeCalibrationPlotData(*calibration));
    ShowResults(calibration->run.analysis);
    ShowUncertainty(*calibration);
    ShowOrigin(calibration->origin);
    FitPanelWidth();
  } else {
    ShowMessage(state_.Failure());
  }
  ShowNotices(state_.Notices());
  ShowExclusions(state_.Exclusions());
}

void CPlotWindow::ShowExclusions(const std::vector<AppliedExclusion>& exclusions) {
  FillLeftOutList(*exclusionList_, exclusions, [this](std::size_t i) {
    state_.BringBack(i);
    if (state_.Calibration() == nullptr) {
      services_.ShowMessage(*this, state_.Failure());
    }
  });
  if (!exclusions.empty()) {
    FitListHeight(*exclusionList_, exclusionList_->rowCount(), exclusionList_->rowHeight(0));
  }
  exclusionTitle_->setVisible(!exclusions.empty());
  exclusionList_->setVisible(!exclusions.empty());
  ShowListPane();
}

void CPlotWindow::OnChartContextMenu(QChartView& view, const QPoint& position) {
  if (!data_) {
    return;
  }
  const QPointF at = view.chart()->mapFromScene(view.mapToScene(position));
  for (QAbstractSeries* series : view.chart()->series()) {
    const auto* markers = qobject_cast<QScatterSeries*>(series);
    if (markers == nullptr || !markers->isVisible()) {
      continue;
    }
    for (const QPointF& point : markers->points()) {
      const QPointF marker = view.chart()->mapToPosition(point, series);
      const bool pair = PairAtMarker(*data_, *markers, point) != nullptr;
      if (QLineF(marker, at).length() > kMarkerReach ||
          (!pair && ObservationAtMarker(*data_, *markers, point) == nullptr)) {
        continue;
      }
      QMenu menu(this);
      const QAction* leaveOut = menu.addAction(QStringLiteral("Leave out of the fit"));
      const QAction* list = pair ? menu.addAction(QStringLiteral("Observations...")) : nullptr;
      const QAction* chosen = menu.exec(view.viewport()->mapToGlobal(position));
      if (chosen == leaveOut) {
        LeaveOut(*markers, point);
      } else if (chosen != nullptr && chosen == list) {
        ShowPairObservations(*markers, point);
      }
      return;
    }
  }
}

namespace {

// How a question and the list name one observation.
std::string ObservationName(const PlotObservation& observation) {
  return fmt::format("the observation {}-{} {} m on line {}", observation.from, observation.to,
                     observation.observed, observation.line);
}

Exclusion ExclusionOf(const PlotObservation& observation) {
  return {observation.from, observation.to, observation.line, {}};
}

}  // namespace

void CPlotWindow::LeaveOut(const QScatterSeries& series, const QPointF& point) {
  if (!data_) {
    return;
  }
  if (const PlotPair* pair = PairAtMarker(*data_, series, point)) {
    Exclusion exclusion{pair->from, pair->to, 0, {}};
    const std::string what = DescribeExclusion(exclusion);
    AskReasonAndExclude(std::move(exclusion), what);
  } else if (const PlotObservation* observation = ObservationAtMarker(*data_, series, point)) {
    AskReasonAndExclude(ExclusionOf(*observation), ObservationName(*observation));
  }
}

void CPlotWindow::AskReasonAndExclude(Exclusion exclusion, const std::string& what) {
  std::optional<std::string> reason = AskLeaveOutReason(services_, *this, what);
  if (!reason) {
    return;
  }
  exclusion.reason = std::move(*reason);
  if (const QString refused = state_.Exclude(std::move(exclusion)); !refused.isEmpty()) {
    services_.ShowMessage(*this, refused);
  }
}

void CPlotWindow::ShowPairObservations(const QScatterSeries& series, const QPointF& point) {
  if (!data_) {
    return;
  }
  const PlotPair* pair = PairAtMarker(*data_, series, point);
  if (pair == nullptr) {
    return;
  }
  const std::vector<PlotObservation> observations =
      ObservationsOfPair(*data_, pair->from, pair->to);
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("pairObservations"));
  dialog.setWindowTitle(
      FieldFromBytes(VisibleText(fmt::format("Observations of {}", PairName(*pair)))));
  auto* table = new QTableWidget(static_cast<int>(observations.size()), 3, &dialog);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setHorizontalHeaderLabels(
      {QStringLiteral("Line"), QStringLiteral("Distance (m)"), QString()});
  table->verticalHeader()->hide();
  // The observation whose button was pressed, left out once the dialog has closed.
  std::optional<std::size_t> chosen;
  for (std::size_t i = 0; i < observations.size(); ++i) {
    const int row = static_cast<int>(i);
    const PlotObservation& observation = observations[i];
    for (const auto& [column, text] : {std::pair{0, fmt::format("{}", observation.line)},
                                       std::pair{1, fmt::format("{}", observation.observed)}}) {
      auto* item = new QTableWidgetItem(QString::fromStdString(text));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(row, column, item);
    }
    auto* leaveOut = new QPushButton(QStringLiteral("Leave out"), table);
    leaveOut->setObjectName(QStringLiteral("leaveOut"));
    connect(leaveOut, &QPushButton::clicked, &dialog, [&dialog, &chosen, i] {
      chosen = i;
      dialog.accept();
    });
    table->setCellWidget(row, 2, leaveOut);
  }
  table->resizeColumnsToContents();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(table);
  layout->addWidget(buttons);
  services_.RunModal(dialog);
  if (chosen) {
    AskReasonAndExclude(ExclusionOf(observations[*chosen]), ObservationName(observations[*chosen]));
  }
}

void CPlotWindow::ShowNotices(const InputNotices& notices) {
  noticeList_->clear();
  for (const InputNotice& notice : notices.listed) {
    noticeList_->addItem(FieldFromBytes(
        VisibleText(fmt::format("{}: {}: {}    {}", DescribeLocation(notice.where),
                                NoticeLevelName(notice.level), notice.reason, notice.content))));
  }
  const std::size_t unlisted = UnlistedNotices(notices);
  if (unlisted > 0) {
    noticeList_->addItem(QStringLiteral("%1 more not listed").arg(unlisted));
  }
  if (noticeList_->count() > 0) {
    FitListHeight(*noticeList_, noticeList_->count(), noticeList_->sizeHintForRow(0));
  }
  noticeTitle_->setVisible(noticeList_->count() > 0);
  noticeList_->setVisible(noticeList_->count() > 0);
  ShowListPane();
}

void CPlotWindow::ShowListPane() {
  listPane_->setVisible(!noticeList_->isHidden() || !exclusionList_->isHidden());
}

void CPlotWindow::ShowResults(const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  FillFigureTable(
      *resultSummary_,
      {{PpmText(result.scale), PpmText(result.scaleStdError), Verdict(analysis.scaleTestPassed)},
       {MillimetresText(result.constant), MillimetresText(result.constantStdError),
        Verdict(analysis.constantTestPassed)}});
}

void CPlotWindow::ShowUncertainty(const ProcessedCalibration& calibration) {
  const UncertaintyInputs& inputs = calibration.conditions;
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  const CorrectionUncertainty& budget = calibration.uncertainty;
  std::vector<std::string> inputLines = {FitUncertaintyLine(analysis, budget)};
  for (std::string& line : UncertaintyInputLines(inputs, budget.baselinePairs)) {
    inputLines.push_back(std::move(line));
  }
  inputs_->setText(Lines(inputLines));

  const std::vector<std::string> headings = CorrectionTableHeadings(inputs);
  correctionTable_->clear();
  correctionTable_->setColumnCount(static_cast<int>(headings.size()));
  QStringList labels;
  for (const std::string& heading : headings) {
    labels << QString::fromStdString(heading);
  }
  correctionTable_->setHorizontalHeaderLabels(labels);
  FillFigureTable(*correctionTable_, CorrectionTableCells(inputs, budget));

  const std::vector<std::string> conformity = ConformityLines(inputs, budget);
  conformity_->setText(Lines(conformity));
  conformity_->setVisible(!conformity.empty());
  fullTest_->setText(Lines(FullTestLines(calibration.fullTest)));
  panel_->show();
}

void CPlotWindow::ShowOrigin(const CalibrationOrigin& origin) {
  publishedDistances_->setText(QStringLiteral("Published distances: ") +
                               QString::fromStdString(PublishedDistancesText(origin)));
  // A label and a value for each statement; the rows a shorter summary doesn't need are hidden.
  const std::vector<SummaryLine> lines =
      origin.reduction ? ReductionSummaryLines(*origin.reduction) : std::vector<SummaryLine>();
  while (reductionRows_.size() < lines.size()) {
    StatementRow added{new QLabel(reduction_), new QLabel(reduction_)};
    added.label->setTextFormat(Qt::PlainText);  // the labels are short: only the values wrap
    SetUpPanelText(*added.value);
    const int row = static_cast<int>(reductionRows_.size());
    reductionGrid_->addWidget(added.label, row, 0, Qt::AlignLeft | Qt::AlignTop);
    reductionGrid_->addWidget(added.value, row, 1);
    reductionRows_.push_back(added);
  }
  for (std::size_t row = 0; row < reductionRows_.size(); ++row) {
    const StatementRow& shown = reductionRows_[row];
    if (row < lines.size()) {
      shown.label->setText(QString::fromStdString(lines[row].label + ":"));
      shown.value->setText(QString::fromStdString(lines[row].value));
    }
    shown.label->setVisible(row < lines.size());
    shown.value->setVisible(row < lines.size());
  }
  reduction_->setVisible(origin.reduction.has_value());
}

void CPlotWindow::FitPanelWidth() {
  panel_->setMinimumWidth(panel_->widget()->minimumSizeHint().width() +
                          panel_->verticalScrollBar()->sizeHint().width());
}

void CPlotWindow::ShowCharts(const CalibrationPlotData& data) {
  data_ = data;
  std::unique_ptr<QChart> calibrationChart = MakeCalibrationChart(*data_);
  std::unique_ptr<QChart> residualChart = MakeResidualChart(*data_);
  ConnectHovering(*calibrationChart);
  ConnectHovering(*residualChart);
  ReplaceChart(*calibrationView_, std::move(calibrationChart));
  ReplaceChart(*residualView_, std::move(residualChart));
  ShowCyclic();
  message_->hide();
  chartPages_->show();
  calibrationView_->show();
  residualView_->show();
  saveAs_->setEnabled(true);
}

void CPlotWindow::ShowCyclic() {
  const CyclicPlot* cyclic = data_ && data_->cyclic ? &*data_->cyclic : nullptr;
  std::unique_ptr<QChart> chart =
      cyclic != nullptr ? MakeCyclicChart(*data_) : std::make_unique<QChart>();
  ConnectHovering(*chart);
  ReplaceChart(*cyclicView_, std::move(chart));
  if (cyclic != nullptr && chartTabs_->count() == 1) {
    chartTabs_->addTab(QStringLiteral("Cyclic error"));
  } else if (cyclic == nullptr && chartTabs_->count() > 1) {
    chartTabs_->removeTab(1);
  }
  if (cyclic != nullptr) {
    cyclicSummary_->setText(Lines(cyclic->panel));
  }
  cyclicTitle_->setVisible(cyclic != nullptr);
  cyclicSummary_->setVisible(cyclic != nullptr);
}

void CPlotWindow::ShowMessage(const QString& text) {
  data_.reset();
  // No stale plot behind the message: the views are emptied, not only hidden.
  ReplaceChart(*calibrationView_, std::make_unique<QChart>());
  ReplaceChart(*residualView_, std::make_unique<QChart>());
  ShowCyclic();
  calibrationView_->hide();
  residualView_->hide();
  chartPages_->hide();
  message_->setText(text);
  message_->show();
  saveAs_->setEnabled(false);
  panel_->hide();
}

void CPlotWindow::ConnectHovering(QChart& chart) {
  for (QAbstractSeries* series : chart.series()) {
    auto* markers = qobject_cast<QScatterSeries*>(series);
    if (markers == nullptr) {
      continue;
    }
    connect(markers, &QScatterSeries::hovered, this,
            [this, markers](const QPointF& point, bool entered) {
              const std::optional<QString> text = MarkerText(*markers, point);
              if (entered && text) {
                QToolTip::showText(QCursor::pos(), *text, this);
              } else {
                QToolTip::hideText();
              }
            });
  }
}

std::optional<QString> CPlotWindow::MarkerText(const QScatterSeries& series,
                                               const QPointF& point) const {
  if (!data_) {
    return std::nullopt;
  }
  const PlotPair* pair = PairAtMarker(*data_, series, point);
  if (pair == nullptr) {
    return std::nullopt;
  }
  return FieldFromBytes(PairDescription(*pair));
}

void CPlotWindow::OnCalibrationConditions() {
  // The instrument's own conditions, as the last Process described it.
  const QString instrument = state_.EdmDescription();
  const ProcessedCalibration* calibration = state_.Calibration();
  // The sensors corrected the readings when the field file was imported: the calibration's stay.
  CalibrationSensors sensors;
  if (calibration != nullptr) {
    for (const AppliedEquipment& applied : calibration->conditions.equipment) {
      if (IsSensor(applied.kind)) {
        sensors.applied.push_back(applied);
      }
    }
    if (meanReadings_) {
      sensors.meanReadings = meanReadings_(*calibration);
    }
  }
  std::optional<EquipmentOffer> offer;
  if (std::optional<std::vector<EquipmentItem>> items = equipment_ ? equipment_() : std::nullopt) {
    offer = EquipmentOffer{
        .items = std::move(*items),
        .chosen = RememberedEquipment(instrument),
        .date = calibration ? IsoDateOf(calibration->header.date).value_or("") : std::string()};
  }
  CCalibrationConditionsDlg dialog(services_, RememberedConditions(instrument), this,
                                   std::move(offer), std::move(sensors));
  services_.RunModal(dialog);
  if (dialog.result() != QDialog::Accepted) {
    return;
  }
  RememberConditions(instrument, dialog.Conditions());
  if (const CEquipmentChoice* chosen = dialog.Equipment()) {
    // Only the reflector is chosen here; the sensors remembered for the next import stay.
    EquipmentSerials remembered = RememberedEquipment(instrument);
    remembered.reflector = chosen->Serials().reflector;
    RememberEquipment(instrument, remembered);
  }
  // The pairs' own uncertainties go with the published distances, which the dialog leaves.
  UncertaintyInputs conditions = dialog.Conditions();
  if (calibration != nullptr) {
    conditions.baselinePairs = calibration->conditions.baselinePairs;
  }
  state_.SetConditions(conditions);
}

void CPlotWindow::OnSaveAs() {
  if (!data_) {
    return;
  }
  const std::optional<QString> chosen = services_.ChooseFile(
      *this,
      {.forSaving = true,
       .filter = kPlotFilter,
       .defaultExtension = QStringLiteral("svg"),
       .initialName = QStringLiteral("*.svg"),
       .filterExtensions = {QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("pdf")}});
  if (!chosen || (openFiles_ && RefuseOpenFile(services_, *this, *chosen, openFiles_()))) {
    return;
  }
  const std::optional<PlotFileType> type = PlotFileTypeOf(*chosen);
  if (!type) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + *chosen +
                                     QStringLiteral(": a plot is saved as .svg, .png or .pdf"));
    return;
  }
  QString reason;
  if (!SavePlot(*chosen, *type, *data_, reason)) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + *chosen +
                                     QStringLiteral(": ") + reason);
  }
}

}  // namespace mensuro
