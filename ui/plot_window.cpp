#include "ui/plot_window.h"

#include <fmt/format.h>
#include <QChart>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScatterSeries>
#include <QStringList>
#include <QTableWidgetItem>
#include <QToolTip>
#include <memory>
#include <string>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/data/visible_text.h"
#include "documents/calibration_chart.h"
#include "documents/plot_export.h"
#include "documents/uncertainty_summary.h"
#include "ui/calibration_conditions_dialog.h"
#include "ui/control_text.h"
#include "ui/dialog_services.h"
#include "ui/remembered_conditions.h"

namespace mensuro {
namespace {

const QString kPlotFilter = QStringLiteral(
    "SVG picture (*.svg)|*.svg|PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf||");

// Puts `chart` into `view`, which owns it from then on, and deletes the chart it showed.
void ReplaceChart(QChartView& view, std::unique_ptr<QChart> chart) {
  const std::unique_ptr<QChart> previous(view.chart());
  view.setChart(chart.release());
}

// The summary's texts, which the program writes itself, as one text of lines.
QString Lines(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) {
    joined << QString::fromStdString(line);
  }
  return joined.join(QLatin1Char('\n'));
}

}  // namespace

CPlotWindow::CPlotWindow(DialogServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(services),
      layout_(this),
      chartLayout_(&chartColumn_),
      panelLayout_(&panel_) {
  setWindowTitle(QStringLiteral("Calibration Plot"));
  message_.setAlignment(Qt::AlignCenter);
  message_.setWordWrap(true);
  message_.setTextFormat(Qt::PlainText);
  for (QChartView* view : {&calibrationView_, &residualView_}) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(160);
  }
  noticeTitle_.setText(QStringLiteral("Warnings and notes on the input:"));
  noticeList_.setMaximumHeight(120);
  saveAs_.setText(QStringLiteral("Save As"));
  connect(&saveAs_, &QPushButton::clicked, this, &CPlotWindow::OnSaveAs);
  conditions_.setText(QStringLiteral("Calibration Conditions..."));
  connect(&conditions_, &QPushButton::clicked, this, &CPlotWindow::OnCalibrationConditions);

  chartLayout_.setContentsMargins(0, 0, 0, 0);
  chartLayout_.addWidget(&message_, 1);
  chartLayout_.addWidget(&calibrationView_, 3);
  chartLayout_.addWidget(&residualView_, 2);
  chartLayout_.addWidget(&noticeTitle_);
  chartLayout_.addWidget(&noticeList_);

  panelTitle_.setText(QStringLiteral("<b>Uncertainty of the correction</b>"));
  for (QLabel* text : {&inputs_, &conformity_, &fullTest_}) {
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  correctionTable_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  correctionTable_.verticalHeader()->hide();
  // The whole table shows, so the panel is as wide as its columns need.
  correctionTable_.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  correctionTable_.setToolTip(
      QStringLiteral("IC: the correction to add to a distance D measured with the instrument; "
                     "u: its combined standard uncertainty, with its effective degrees of "
                     "freedom (DOF); U = k u: its expanded uncertainty for about 95 percent."));
  fullTestTitle_.setText(QStringLiteral("<b>ISO 17123-4 full test</b>"));
  panelLayout_.setContentsMargins(0, 0, 0, 0);
  panelLayout_.addWidget(&panelTitle_);
  panelLayout_.addWidget(&inputs_);
  panelLayout_.addWidget(&correctionTable_);
  panelLayout_.addWidget(&conformity_);
  panelLayout_.addSpacing(8);
  panelLayout_.addWidget(&fullTestTitle_);
  panelLayout_.addWidget(&fullTest_);
  panelLayout_.addStretch(1);

  splitter_.addWidget(&chartColumn_);
  splitter_.addWidget(&panel_);
  splitter_.setChildrenCollapsible(false);
  splitter_.setStretchFactor(0, 1);
  splitter_.setStretchFactor(1, 0);
  layout_.addWidget(&splitter_, 1);
  auto buttons = std::make_unique<QHBoxLayout>();
  buttons->addWidget(&conditions_);
  buttons->addStretch();
  buttons->addWidget(&saveAs_);
  layout_.addLayout(buttons.release());  // the window's layout owns it
  resize(1300, 760);
  ShowMessage(QStringLiteral("Press Process to see the calibration plot."));
  ShowNotices({});
}

void CPlotWindow::ShowCalibration(const std::optional<ProcessedCalibration>& calibration,
                                  const QString& failure, const InputNotices& notices) {
  if (calibration) {
    ShowCharts(
        MakeCalibrationPlotData(calibration->header, calibration->run, calibration->conditions));
    ShowUncertainty(*calibration);
  } else {
    ShowMessage(failure);
  }
  ShowNotices(notices);
}

void CPlotWindow::ShowNotices(const InputNotices& notices) {
  noticeList_.clear();
  for (const InputNotice& notice : notices.listed) {
    noticeList_.addItem(FieldFromBytes(VisibleText(
        fmt::format("{} line {}: {}: {}    {}", InputTextName(notice.where.text), notice.where.line,
                    NoticeLevelName(notice.level), notice.reason, notice.content))));
  }
  const std::size_t unlisted = UnlistedNotices(notices);
  if (unlisted > 0) {
    noticeList_.addItem(QStringLiteral("%1 more not listed").arg(unlisted));
  }
  noticeTitle_.setVisible(noticeList_.count() > 0);
  noticeList_.setVisible(noticeList_.count() > 0);
}

void CPlotWindow::ShowUncertainty(const ProcessedCalibration& calibration) {
  const UncertaintyInputs& inputs = calibration.conditions;
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  const CorrectionUncertainty budget = AnalyseUncertainty(analysis, inputs);
  std::vector<std::string> inputLines = {FitUncertaintyLine(analysis, budget)};
  for (std::string& line : UncertaintyInputLines(inputs)) {
    inputLines.push_back(std::move(line));
  }
  inputs_.setText(Lines(inputLines));

  const std::vector<std::string> headings = CorrectionTableHeadings(inputs);
  const std::vector<std::vector<std::string>> rows = CorrectionTableCells(inputs, budget);
  correctionTable_.clear();
  correctionTable_.setColumnCount(static_cast<int>(headings.size()));
  correctionTable_.setRowCount(static_cast<int>(rows.size()));
  QStringList labels;
  for (const std::string& heading : headings) {
    labels << QString::fromStdString(heading);
  }
  correctionTable_.setHorizontalHeaderLabels(labels);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t column = 0; column < rows[row].size(); ++column) {
      auto item = std::make_unique<QTableWidgetItem>(QString::fromStdString(rows[row][column]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      correctionTable_.setItem(static_cast<int>(row), static_cast<int>(column),
                               item.release());  // the table owns it
    }
  }
  correctionTable_.resizeColumnsToContents();
  correctionTable_.resizeRowsToContents();

  const std::vector<std::string> conformity = ConformityLines(inputs, budget);
  conformity_.setText(Lines(conformity));
  conformity_.setVisible(!conformity.empty());
  fullTest_.setText(Lines(FullTestLines(RunFullTest(
      analysis.entries, calibration.header.constantError, calibration.header.ppmError))));
  panel_.show();
}

void CPlotWindow::ShowCharts(const CalibrationPlotData& data) {
  data_ = data;
  std::unique_ptr<QChart> calibrationChart = MakeCalibrationChart(*data_);
  std::unique_ptr<QChart> residualChart = MakeResidualChart(*data_);
  ConnectHovering(*calibrationChart);
  ConnectHovering(*residualChart);
  ReplaceChart(calibrationView_, std::move(calibrationChart));
  ReplaceChart(residualView_, std::move(residualChart));
  message_.hide();
  calibrationView_.show();
  residualView_.show();
  saveAs_.setEnabled(true);
}

void CPlotWindow::ShowMessage(const QString& text) {
  data_.reset();
  // No stale plot behind the message: the views are emptied, not only hidden.
  ReplaceChart(calibrationView_, std::make_unique<QChart>());
  ReplaceChart(residualView_, std::make_unique<QChart>());
  calibrationView_.hide();
  residualView_.hide();
  message_.setText(text);
  message_.show();
  saveAs_.setEnabled(false);
  panel_.hide();
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
  CCalibrationConditionsDlg dialog(services_, RememberedConditions(), this);
  services_.RunModal(dialog);
  if (dialog.result() != QDialog::Accepted) {
    return;
  }
  RememberConditions(dialog.Conditions());
  emit ConditionsChanged(dialog.Conditions());
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
  if (!chosen) {
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
