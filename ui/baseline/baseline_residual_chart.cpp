#include "ui/baseline/baseline_residual_chart.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

#include "documents/calibration_chart.h"

namespace mensuro {
namespace {

const QColor kResidualColour(0x1f, 0x5f, 0xa8);
const QColor kOutlierColour(0xc6, 0x28, 0x28);

QScatterSeries* AddMarkers(QChart& chart, const QString& role, const QString& name,
                           QScatterSeries::MarkerShape shape, double size, const QColor& colour) {
  auto* series = new QScatterSeries(&chart);  // the chart owns its series
  series->setObjectName(role);
  series->setName(name);
  series->setMarkerShape(shape);
  series->setMarkerSize(size);
  series->setColor(colour);
  series->setBorderColor(colour.darker(130));
  chart.addSeries(series);
  return series;
}

QValueAxis* Axis(const QString& title, double low, double high) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setRange(low, high);
  axis->setLabelFormat(QStringLiteral("%.1f"));
  return axis;
}

}  // namespace

std::unique_ptr<QChart> MakeBaselineResidualChart(const BaselineAdjustment& adjustment) {
  auto chart = PlainChart(QStringLiteral("Residuals of the adjustment"));
  QScatterSeries* residuals =
      AddMarkers(*chart, QStringLiteral("residuals"), QStringLiteral("Residuals"),
                 QScatterSeries::MarkerShapeCircle, 8.0, kResidualColour);
  QScatterSeries* outliers =
      AddMarkers(*chart, QStringLiteral("outliers"), QStringLiteral("Outliers"),
                 QScatterSeries::MarkerShapeRectangle, 11.0, kOutlierColour);
  double longest = 0.0;
  double low = 0.0;
  double high = 0.0;
  for (const SurveyObservation& observation : adjustment.observations) {
    const double mm = observation.residual * 1000.0;
    (observation.outlier ? outliers : residuals)->append(observation.distance, mm);
    longest = std::max(longest, observation.distance);
    low = std::min(low, mm);
    high = std::max(high, mm);
  }
  const double end = longest > 0.0 ? 1.04 * longest : 1.0;
  auto* zero = new QLineSeries(chart.get());
  zero->setPen(QPen(Qt::black, 1.0));
  zero->append(0.0, 0.0);
  zero->append(end, 0.0);
  chart->addSeries(zero);
  for (QLegendMarker* marker : chart->legend()->markers(zero)) {
    marker->setVisible(false);
  }
  // A legend only to tell the outliers from the rest.
  chart->legend()->setVisible(outliers->count() > 0);
  const double margin = std::max(0.08 * (high - low), 0.2);
  QValueAxis* xAxis = Axis(QStringLiteral("Observed distance (m)"), 0.0, end);
  xAxis->setLabelFormat(QStringLiteral("%.0f"));
  QValueAxis* yAxis = Axis(QStringLiteral("Residual (mm)"), low - margin, high + margin);
  xAxis->applyNiceNumbers();
  yAxis->applyNiceNumbers();
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  }
  return chart;
}

}  // namespace mensuro
