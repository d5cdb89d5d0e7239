#include "ui/plot_window.h"

#include <fmt/format.h>
#include <QChart>
#include <QCursor>
#include <QHBoxLayout>
#include <QScatterSeries>
#include <QToolTip>
#include <memory>

#include "documents/calibration_chart.h"
#include "documents/plot_export.h"
#include "ui/control_text.h"
#include "ui/dialog_services.h"

namespace mensuro {
namespace {

const QString kPlotFilter = QStringLiteral(
    "SVG picture (*.svg)|*.svg|PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf||");

// Puts `chart` into `view`, which owns it from then on, and deletes the chart it showed.
void ReplaceChart(QChartView& view, std::unique_ptr<QChart> chart) {
  const std::unique_ptr<QChart> previous(view.chart());
  view.setChart(chart.release());
}

}  // namespace

CPlotWindow::CPlotWindow(DialogServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), layout_(this) {
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

  layout_.addWidget(&message_, 1);
  layout_.addWidget(&calibrationView_, 3);
  layout_.addWidget(&residualView_, 2);
  layout_.addWidget(&noticeTitle_);
  layout_.addWidget(&noticeList_);
  auto buttons = std::make_unique<QHBoxLayout>();
  buttons->addStretch();
  buttons->addWidget(&saveAs_);
  layout_.addLayout(buttons.release());  // the window's layout owns it
  resize(820, 760);
  ShowMessage(QStringLiteral("Press Process to see the calibration plot."));
  ShowNotices({});
}

void CPlotWindow::ShowCalibration(const std::optional<ProcessedCalibration>& calibration,
                                  const QString& failure, const InputNotices& notices) {
  if (calibration) {
    ShowCharts(MakeCalibrationPlotData(calibration->header, calibration->run));
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
