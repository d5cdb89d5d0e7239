#include "documents/calibration_chart.h"

#include "documents/document_fonts.h"

#include <QChart>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace mensuro {
namespace {

// Which value of a pair a pair series shows, kept in the series' object name.
const QString kDifferenceSeries = QStringLiteral("pair differences");
const QString kResidualSeries = QStringLiteral("pair residuals");

const QColor kObservationColour(0x9e, 0x9e, 0x9e);
const QColor kPairColour(0x1f, 0x5f, 0xa8);
const QColor kFlaggedColour(0xc6, 0x28, 0x28);
const QColor kFitColour(0x2e, 0x7d, 0x32);
const QColor kLimitColour(0xe0, 0x7b, 0x00);

QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::unique_ptr<QChart> PlainChart(const QString& title) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setTitleFont(WithoutLigatures(chart->titleFont()));
  chart->legend()->setFont(WithoutLigatures(chart->legend()->font()));
  return chart;
}

QScatterSeries* AddMarkers(QChart& chart, const QString& name, QScatterSeries::MarkerShape shape,
                           double size, const QColor& colour) {
  auto series = std::make_unique<QScatterSeries>();
  series->setName(name);
  series->setMarkerShape(shape);
  series->setMarkerSize(size);
  series->setColor(colour);
  series->setBorderColor(colour.darker(130));
  chart.addSeries(series.get());
  return series.release();  // the chart owns its series
}

QLineSeries* AddLine(QChart& chart, const QString& name, const QColor& colour, Qt::PenStyle style,
                     PlotPoint start, PlotPoint end) {
  auto series = std::make_unique<QLineSeries>();
  series->setName(name);
  QPen pen(colour);
  pen.setWidthF(1.5);
  pen.setStyle(style);
  series->setPen(pen);
  series->append(start.x, start.y);
  series->append(end.x, end.y);
  chart.addSeries(series.get());
  return series.release();
}

void HideFromLegend(QChart& chart, QAbstractSeries& series) {
  for (QLegendMarker* marker : chart.legend()->markers(&series)) {
    marker->setVisible(false);
  }
}

// A tick interval of 1, 2 or 5 times a power of ten that divides `span` into about six parts.
double NiceTickInterval(double span) {
  const double rough = span / 6.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= rough) {
      return factor * power;
    }
  }
  return 10.0 * power;
}

std::unique_ptr<QValueAxis> MakeAxis(const QString& title, double low, double high,
                                     const QString& labelFormat) {
  auto axis = std::make_unique<QValueAxis>();
  axis->setTitleText(title);
  axis->setRange(low, high);
  // Ticks at round values counted from 0, whatever the ends of the range.
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(NiceTickInterval(high - low));
  axis->setLabelFormat(labelFormat);
  axis->setTitleFont(WithoutLigatures(axis->titleFont()));
  axis->setLabelsFont(WithoutLigatures(axis->labelsFont()));
  return axis;
}

// Value axes from 0 to a little past the largest distance, and around every y value shown.
void AddAxes(QChart& chart, double largestDistance, const QString& yTitle) {
  double low = 0.0;
  double high = 0.0;
  for (QAbstractSeries* series : chart.series()) {
    for (const QPointF& point : qobject_cast<QXYSeries*>(series)->points()) {
      if (std::isfinite(point.y())) {
        low = std::min(low, point.y());
        high = std::max(high, point.y());
      }
    }
  }
  const double margin = std::max(0.08 * (high - low), 0.2);
  const double end = largestDistance > 0.0 ? 1.04 * largestDistance : 1.0;

  std::unique_ptr<QValueAxis> xAxis =
      MakeAxis(QStringLiteral("Published distance (m)"), 0.0, end, QStringLiteral("%.0f"));
  std::unique_ptr<QValueAxis> yAxis =
      MakeAxis(yTitle, low - margin, high + margin, QStringLiteral("%.1f"));
  chart.addAxis(xAxis.get(), Qt::AlignBottom);
  chart.addAxis(yAxis.get(), Qt::AlignLeft);
  for (QAbstractSeries* series : chart.series()) {
    series->attachAxis(xAxis.get());
    series->attachAxis(yAxis.get());
  }
  xAxis.release();  // the chart owns its axes
  yAxis.release();
}

}  // namespace

std::unique_ptr<QChart> MakeCalibrationChart(const CalibrationPlotData& data) {
  auto chart = PlainChart(Latin1(data.title));

  QScatterSeries* pairs = AddMarkers(*chart, QStringLiteral("Pair means"),
                                     QScatterSeries::MarkerShapeCircle, 10.0, kPairColour);
  pairs->setObjectName(kDifferenceSeries);
  bool flaggedInLegend = false;
  for (const PlotPair& pair : data.pairs) {
    if (!pair.flagged) {
      pairs->append(pair.P, pair.differenceMm);
      continue;
    }
    // A series of its own per flagged pair, so that its label can name the pair.
    QScatterSeries* flagged = AddMarkers(*chart, QStringLiteral("Flagged pairs (3 or more)"),
                                         QScatterSeries::MarkerShapeTriangle, 13.0, kFlaggedColour);
    flagged->setObjectName(kDifferenceSeries);
    flagged->append(pair.P, pair.differenceMm);
    QString label = Latin1(PairName(pair));
    label.replace(QLatin1Char('@'), QStringLiteral("@ "));  // no place holders of the chart
    flagged->setPointLabelsFormat(label);
    flagged->setPointLabelsColor(kFlaggedColour);
    flagged->setPointLabelsVisible(true);
    flagged->setPointLabelsClipping(false);
    if (flaggedInLegend) {
      HideFromLegend(*chart, *flagged);
    }
    flaggedInLegend = true;
  }

  QScatterSeries* observations =
      AddMarkers(*chart, QStringLiteral("Observations"), QScatterSeries::MarkerShapeCircle, 5.0,
                 kObservationColour);
  for (const PlotPoint& point : data.observations) {
    observations->append(point.x, point.y);
  }
  AddLine(*chart, QStringLiteral("Fitted line"), kFitColour, Qt::SolidLine, data.fitStart,
          data.fitEnd);
  AddLine(*chart, QStringLiteral("Flag limit \u00b13 (a + b\u00b7P)"), kLimitColour, Qt::DashLine,
          data.upperLimitStart, data.upperLimitEnd);
  QLineSeries* lower = AddLine(*chart, QString(), kLimitColour, Qt::DashLine, data.lowerLimitStart,
                               data.lowerLimitEnd);
  HideFromLegend(*chart, *lower);

  AddAxes(*chart, data.largestDistance, QStringLiteral("Published \u2212 observed (mm)"));
  return chart;
}

std::unique_ptr<QChart> MakeResidualChart(const CalibrationPlotData& data) {
  auto chart = PlainChart(QStringLiteral("Residuals of the fit"));
  QScatterSeries* residuals = AddMarkers(*chart, QStringLiteral("Residuals"),
                                         QScatterSeries::MarkerShapeCircle, 10.0, kPairColour);
  residuals->setObjectName(kResidualSeries);
  for (const PlotPair& pair : data.pairs) {
    residuals->append(pair.P, pair.residualMm);
  }
  QLineSeries* zero =
      AddLine(*chart, QString(), Qt::black, Qt::SolidLine, {0.0, 0.0}, {data.largestDistance, 0.0});
  HideFromLegend(*chart, *zero);
  AddAxes(*chart, data.largestDistance, QStringLiteral("Residual (mm)"));
  chart->legend()->setVisible(false);
  return chart;
}

const PlotPair* PairAtMarker(const CalibrationPlotData& data, const QScatterSeries& series,
                             const QPointF& point) {
  const bool differences = series.objectName() == kDifferenceSeries;
  if (!differences && series.objectName() != kResidualSeries) {
    return nullptr;
  }
  for (const PlotPair& pair : data.pairs) {
    const double value = differences ? pair.differenceMm : pair.residualMm;
    if (pair.P == point.x() && value == point.y()) {
      return &pair;
    }
  }
  return nullptr;
}

void DrawCalibrationCharts(QPainter& painter, const QRectF& target, const CalibrationPlotData& data,
                           double layoutWidth) {
  const double sceneHeight = layoutWidth * target.height() / target.width();
  QGraphicsScene scene(0.0, 0.0, layoutWidth, sceneHeight);
  std::unique_ptr<QChart> upper = MakeCalibrationChart(data);
  std::unique_ptr<QChart> lower = MakeResidualChart(data);
  upper->setGeometry(0.0, 0.0, layoutWidth, 0.62 * sceneHeight);
  lower->setGeometry(0.0, 0.62 * sceneHeight, layoutWidth, 0.38 * sceneHeight);
  scene.addItem(upper.release());  // the scene owns its items
  scene.addItem(lower.release());
  // Any layout the charts left pending is done before they are drawn, and nothing else.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  scene.render(&painter, target, scene.sceneRect());
}

}  // namespace mensuro
