#include "documents/calibration_chart.h"

#include "documents/document_fonts.h"
#include "documents/report_numbers.h"

#include <QAreaSeries>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsItemGroup>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace mensuro {
namespace {

// Which value of a pair a pair series shows, kept in the series' object name.
const QString kDifferenceSeries = QStringLiteral("pair differences");
const QString kResidualSeries = QStringLiteral("pair residuals");
const QString kObservationSeries = QStringLiteral("observations");
const QString kCyclicSeries = QStringLiteral("pair residuals over the unit length");

const QColor kObservationColour(0x9e, 0x9e, 0x9e);
const QColor kPairColour(0x1f, 0x5f, 0xa8);
const QColor kFlaggedColour(0xc6, 0x28, 0x28);
const QColor kOutlierColour(0x7b, 0x1f, 0xa2);
const QColor kFitColour(0x2e, 0x7d, 0x32);
const QColor kLimitColour(0xe0, 0x7b, 0x00);

QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

struct MarkerStyle {
  QString name;  // in the legend
  QScatterSeries::MarkerShape shape;
  double size;
  QColor colour;
  // kDifferenceSeries, kResidualSeries, kCyclicSeries, kObservationSeries or nothing: what the
  // markers stand for
  QString role;
};

QScatterSeries* AddMarkerSeries(QChart& chart, const MarkerStyle& style) {
  auto* series = new QScatterSeries(&chart);  // the chart owns its series
  series->setName(style.name);
  series->setObjectName(style.role);
  series->setMarkerShape(style.shape);
  series->setMarkerSize(style.size);
  series->setColor(style.colour);
  series->setBorderColor(style.colour.darker(130));
  chart.addSeries(series);
  return series;
}

void HideFromLegend(QChart& chart, QAbstractSeries& series) {
  for (QLegendMarker* marker : chart.legend()->markers(&series)) {
    marker->setVisible(false);
  }
}

// Qt Charts takes time in the square of a scatter series' points to draw it, so many markers
// are spread over series of at most this many points each.
constexpr qsizetype kMarkersPerSeries = 200;

// Markers at `points`, named once in the legend (also when there are none).
void AddMarkers(QChart& chart, const MarkerStyle& style, const QList<QPointF>& points) {
  qsizetype first = 0;
  do {
    QScatterSeries* series = AddMarkerSeries(chart, style);
    series->append(points.mid(first, kMarkersPerSeries));
    if (first > 0) {
      HideFromLegend(chart, *series);
    }
    first += kMarkersPerSeries;
  } while (first < points.size());
}

// A line through `points`, named `name` in the legend.
QLineSeries* AddCurve(QChart& chart, const QString& name, const QColor& colour, Qt::PenStyle style,
                      const std::vector<PlotPoint>& points) {
  auto* series = new QLineSeries(&chart);
  series->setName(name);
  QPen pen(colour);
  pen.setWidthF(1.5);
  pen.setStyle(style);
  series->setPen(pen);
  for (const PlotPoint& point : points) {
    series->append(point.x, point.y);
  }
  chart.addSeries(series);
  return series;
}

QLineSeries* AddLine(QChart& chart, const QString& name, const QColor& colour, Qt::PenStyle style,
                     PlotPoint start, PlotPoint end) {
  return AddCurve(chart, name, colour, style, {start, end});
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

// An axis of `chart`, which owns it.
QValueAxis* MakeAxis(QChart& chart, const QString& title, double low, double high,
                     const QString& labelFormat) {
  auto* axis = new QValueAxis(&chart);
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

// The series that hold the points of `series`: itself, or an area's two edges.
std::vector<const QXYSeries*> PointSeries(const QAbstractSeries* series) {
  if (const auto* area = qobject_cast<const QAreaSeries*>(series)) {
    return {area->upperSeries(), area->lowerSeries()};
  }
  return {qobject_cast<const QXYSeries*>(series)};
}

// IC(D) +- U(D) as a shaded band, its edges owned by the band.
void AddBand(QChart& chart, const CalibrationPlotData& data) {
  if (data.bandUpper.empty()) {
    return;
  }
  auto* upper = new QLineSeries(&chart);
  auto* lower = new QLineSeries(&chart);
  for (std::size_t i = 0; i < data.bandUpper.size(); ++i) {
    upper->append(data.bandUpper[i].x, data.bandUpper[i].y);
    lower->append(data.bandLower[i].x, data.bandLower[i].y);
  }
  auto* band = new QAreaSeries(upper, lower);
  band->setName(QStringLiteral("Correction \u00b1 U"));
  QColor fill = kFitColour;
  fill.setAlphaF(0.18);
  band->setBrush(fill);
  band->setPen(Qt::NoPen);
  chart.addSeries(band);  // the chart owns its series
  upper->setParent(band);
  lower->setParent(band);
}

// `xAxis` and a value axis around every y value shown.
void AddAxes(QChart& chart, QValueAxis* xAxis, const QString& yTitle) {
  double low = 0.0;
  double high = 0.0;
  for (const QAbstractSeries* series : chart.series()) {
    for (const QXYSeries* points : PointSeries(series)) {
      for (const QPointF& point : points->points()) {
        if (std::isfinite(point.y())) {
          low = std::min(low, point.y());
          high = std::max(high, point.y());
        }
      }
    }
  }
  const double margin = std::max(0.08 * (high - low), 0.2);
  QValueAxis* yAxis = MakeAxis(chart, yTitle, low - margin, high + margin, QStringLiteral("%.1f"));
  chart.addAxis(xAxis, Qt::AlignBottom);
  chart.addAxis(yAxis, Qt::AlignLeft);
  for (QAbstractSeries* series : chart.series()) {
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  }
}

// Value axes from 0 to a little past the largest distance, and around every y value shown.
void AddDistanceAxes(QChart& chart, double largestDistance, const QString& yTitle) {
  const double end = largestDistance > 0.0 ? 1.04 * largestDistance : 1.0;
  AddAxes(
      chart,
      MakeAxis(chart, QStringLiteral("Published distance (m)"), 0.0, end, QStringLiteral("%.0f")),
      yTitle);
}

// The names of the flagged pairs above their markers and of the outliers beside theirs. A chart
// gives the points of a series one label format for all, so the names are text items of their
// own, placed again whenever the plot area changes.
void AddPairLabels(QChart& chart, const CalibrationPlotData& data) {
  struct Label {
    QGraphicsSimpleTextItem* item;
    QPointF value;
    bool beside;
  };
  std::vector<Label> labels;
  for (const PlotPair& pair : data.pairs) {
    if (pair.flagged || pair.outlier) {
      // The chart owns its labels.
      auto* label = new QGraphicsSimpleTextItem(Latin1(PairName(pair)), &chart);
      label->setBrush(pair.outlier ? kOutlierColour : kFlaggedColour);
      label->setFont(WithoutLigatures(chart.font()));
      labels.push_back({label, QPointF(pair.P, pair.differenceMm), pair.outlier});
    }
  }
  QObject::connect(&chart, &QChart::plotAreaChanged, &chart, [&chart, labels] {
    for (const Label& label : labels) {
      const QPointF marker = chart.mapToPosition(label.value);
      const QRectF box = label.item->boundingRect();
      label.item->setPos(label.beside ? marker + QPointF(12, -box.height() / 2)
                                      : marker - QPointF(box.width() / 2, box.height() + 8));
      label.item->setVisible(chart.plotArea().contains(marker));
    }
  });
}

// The outliers' markers, in both charts alike, named with the test's limit.
MarkerStyle OutlierStyle(const CalibrationPlotData& data, const QString& role) {
  const auto outlier = std::find_if(data.pairs.begin(), data.pairs.end(),
                                    [](const PlotPair& pair) { return pair.outlier; });
  const double limit = outlier != data.pairs.end() ? outlier->outlierLimit : 0.0;
  return {QStringLiteral("Outlier (|t| > %1)").arg(Latin1(FixedText(limit, 2))),
          QScatterSeries::MarkerShapeRotatedRectangle, 14.0, kOutlierColour, role};
}

struct LegendEntry {
  QGraphicsRectItem* swatch;
  QGraphicsSimpleTextItem* label;
};

// An entry of the chart's own legend for each name, as items of a group that the chart owns.
std::vector<LegendEntry> LegendEntries(QChart& chart, const QFont& font) {
  auto* legend = new QGraphicsItemGroup(&chart);  // the chart owns its legend
  std::vector<LegendEntry> entries;
  // A series without a name has no entry, and markers spread over several series have one.
  QStringList named;
  for (const QLegendMarker* marker : chart.legend()->markers()) {
    if (marker->label().isEmpty() || named.contains(marker->label())) {
      continue;
    }
    named << marker->label();
    auto* swatch = new QGraphicsRectItem(legend);  // the legend owns its entries
    swatch->setBrush(marker->brush());
    swatch->setPen(marker->pen());
    auto* label = new QGraphicsSimpleTextItem(marker->label(), legend);
    label->setFont(font);
    label->setBrush(chart.legend()->labelColor());
    entries.push_back({swatch, label});
  }
  return entries;
}

// The sizes of the wrapped legend, from its font's height.
struct LegendLayout {
  QMarginsF margins;  // the chart's own, before the legend's room is added
  double rowHeight;
  double side;     // of a swatch
  double gap;      // from a swatch to its label
  double spacing;  // between entries
};

// Lays `entries` out in centred rows across the chart's width, at its bottom, and keeps their
// room below the axis title.
void PlaceLegend(QChart& chart, const std::vector<LegendEntry>& entries, const LegendLayout& l) {
  // Rows of the entries that fit the width, at least one entry to a row.
  const double width = chart.size().width() - l.margins.left() - l.margins.right();
  std::vector<std::pair<std::size_t, double>> rows;  // first entry, width taken
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const double entryWidth = l.side + l.gap + entries[i].label->boundingRect().width();
    if (rows.empty() || rows.back().second + l.spacing + entryWidth > width) {
      rows.emplace_back(i, entryWidth);
    } else {
      rows.back().second += l.spacing + entryWidth;
    }
  }
  const double legendHeight = static_cast<double>(rows.size()) * l.rowHeight;
  const double top = chart.size().height() - l.margins.bottom() - legendHeight;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const std::size_t end = row + 1 < rows.size() ? rows[row + 1].first : entries.size();
    double x = l.margins.left() + (width - rows[row].second) / 2;
    const double y = top + static_cast<double>(row) * l.rowHeight;
    for (std::size_t i = rows[row].first; i < end; ++i) {
      const QRectF text = entries[i].label->boundingRect();
      entries[i].swatch->setRect(x, y + (l.rowHeight - l.side) / 2, l.side, l.side);
      entries[i].label->setPos(x + l.side + l.gap, y + (l.rowHeight - text.height()) / 2);
      x += l.side + l.gap + text.width() + l.spacing;
    }
  }
  chart.setMargins(QMarginsF(l.margins.left(), l.margins.top(), l.margins.right(),
                             l.margins.bottom() + legendHeight)
                       .toMargins());
}

// Qt's legend keeps its entries on one row and cuts off what does not fit. The entries are
// laid out here instead, in as many centred rows as the chart's width needs, in room that the
// chart's bottom margin keeps below the axis title; again whenever the chart is resized.
void WrapLegend(QChart& chart) {
  const QFont font = chart.legend()->font();
  const std::vector<LegendEntry> entries = LegendEntries(chart, font);
  chart.legend()->setVisible(false);

  const QFontMetricsF metrics(font);
  const LegendLayout layout = {chart.margins(), 1.4 * metrics.height(), 0.7 * metrics.height(),
                               0.4 * metrics.height(), 1.2 * metrics.height()};
  QObject::connect(&chart, &QGraphicsWidget::geometryChanged, &chart,
                   [&chart, entries, layout] { PlaceLegend(chart, entries, layout); });
}

}  // namespace

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

std::unique_ptr<QChart> MakeCalibrationChart(const CalibrationPlotData& data) {
  auto chart = PlainChart(Latin1(data.title));
  AddBand(*chart, data);  // first, so that everything else is drawn over it

  // An outlier that is also flagged is marked as an outlier.
  QList<QPointF> unflagged;
  QList<QPointF> flagged;
  QList<QPointF> outlying;
  for (const PlotPair& pair : data.pairs) {
    (pair.outlier   ? outlying
     : pair.flagged ? flagged
                    : unflagged)
        .append(QPointF(pair.P, pair.differenceMm));
  }
  AddMarkers(*chart,
             {QStringLiteral("Pair means"), QScatterSeries::MarkerShapeCircle, 10.0, kPairColour,
              kDifferenceSeries},
             unflagged);
  if (!flagged.isEmpty()) {
    AddMarkers(*chart,
               {QStringLiteral("Flagged pairs (3 or more)"), QScatterSeries::MarkerShapeTriangle,
                13.0, kFlaggedColour, kDifferenceSeries},
               flagged);
  }
  if (!outlying.isEmpty()) {
    AddMarkers(*chart, OutlierStyle(data, kDifferenceSeries), outlying);
  }
  AddPairLabels(*chart, data);

  QList<QPointF> observations;
  for (const PlotObservation& point : data.observations) {
    observations.append(QPointF(point.x, point.y));
  }
  AddMarkers(*chart,
             {QStringLiteral("Observations"), QScatterSeries::MarkerShapeCircle, 5.0,
              kObservationColour, kObservationSeries},
             observations);
  AddLine(*chart, QStringLiteral("Fitted line"), kFitColour, Qt::SolidLine, data.fitStart,
          data.fitEnd);
  AddLine(*chart, QStringLiteral("Flag limit \u00b13 (a + b\u00b7P)"), kLimitColour, Qt::DashLine,
          data.upperLimitStart, data.upperLimitEnd);
  QLineSeries* lower = AddLine(*chart, QString(), kLimitColour, Qt::DashLine, data.lowerLimitStart,
                               data.lowerLimitEnd);
  HideFromLegend(*chart, *lower);

  AddDistanceAxes(*chart, data.largestDistance, QStringLiteral("Published \u2212 observed (mm)"));
  WrapLegend(*chart);
  return chart;
}

std::unique_ptr<QChart> MakeResidualChart(const CalibrationPlotData& data) {
  auto chart = PlainChart(QStringLiteral("Residuals of the fit"));
  QList<QPointF> residuals;
  QList<QPointF> outlying;
  for (const PlotPair& pair : data.pairs) {
    (pair.outlier ? outlying : residuals).append(QPointF(pair.P, pair.residualMm));
  }
  AddMarkers(*chart,
             {QStringLiteral("Residuals"), QScatterSeries::MarkerShapeCircle, 10.0, kPairColour,
              kResidualSeries},
             residuals);
  if (!outlying.isEmpty()) {
    AddMarkers(*chart, OutlierStyle(data, kResidualSeries), outlying);
  }
  QLineSeries* zero =
      AddLine(*chart, QString(), Qt::black, Qt::SolidLine, {0.0, 0.0}, {data.largestDistance, 0.0});
  HideFromLegend(*chart, *zero);
  AddDistanceAxes(*chart, data.largestDistance, QStringLiteral("Residual (mm)"));
  chart->legend()->setVisible(false);
  return chart;
}

std::unique_ptr<QChart> MakeCyclicChart(const CalibrationPlotData& data) {
  auto chart = PlainChart(QStringLiteral("Residuals of the fit over the unit length"));
  if (!data.cyclic) {
    return chart;
  }
  const CyclicPlot& cyclic = *data.cyclic;
  QList<QPointF> residuals;
  for (const PlotPoint& point : cyclic.residuals) {
    residuals.append(QPointF(point.x, point.y));
  }
  AddMarkers(*chart,
             {QStringLiteral("Residuals of the fit"), QScatterSeries::MarkerShapeCircle, 10.0,
              kPairColour, kCyclicSeries},
             residuals);
  if (!cyclic.curve.empty()) {
    AddCurve(*chart, QStringLiteral("Fitted cyclic error"), kFitColour, Qt::SolidLine,
             cyclic.curve);
  }
  QLineSeries* zero = AddLine(*chart, QString(), Qt::black, Qt::SolidLine, {0.0, 0.0}, {1.0, 0.0});
  HideFromLegend(*chart, *zero);
  AddAxes(
      *chart,
      MakeAxis(*chart, QStringLiteral("Fractional part of D/U"), 0.0, 1.0, QStringLiteral("%.1f")),
      QStringLiteral("Residual (mm)"));
  WrapLegend(*chart);
  return chart;
}

const PlotPair* PairAtMarker(const CalibrationPlotData& data, const QScatterSeries& series,
                             const QPointF& point) {
  if (series.objectName() == kCyclicSeries) {
    // The residuals over the unit length are in the order of the pairs.
    if (!data.cyclic) {
      return nullptr;
    }
    const std::vector<PlotPoint>& residuals = data.cyclic->residuals;
    for (std::size_t j = 0; j < residuals.size() && j < data.pairs.size(); ++j) {
      if (residuals[j].x == point.x() && residuals[j].y == point.y()) {
        return &data.pairs[j];
      }
    }
    return nullptr;
  }
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

const PlotObservation* ObservationAtMarker(const CalibrationPlotData& data,
                                           const QScatterSeries& series, const QPointF& point) {
  if (series.objectName() != kObservationSeries) {
    return nullptr;
  }
  const auto found = std::find_if(data.observations.begin(), data.observations.end(),
                                  [&point](const PlotObservation& observation) {
                                    return observation.x == point.x() && observation.y == point.y();
                                  });
  return found == data.observations.end() ? nullptr : &*found;
}

namespace {

// The cyclic error's panel as a block of text `width` wide at `position`, under its heading.
std::unique_ptr<QGraphicsTextItem> CyclicPanelItem(const CyclicPlot& cyclic, const QFont& font,
                                                   const QPointF& position, double width) {
  QString html = QStringLiteral("<p><b>Cyclic error</b></p>");
  for (const std::string& line : cyclic.panel) {
    html += QStringLiteral("<p>%1</p>").arg(QString::fromStdString(line).toHtmlEscaped());
  }
  auto item = std::make_unique<QGraphicsTextItem>();
  item->setFont(font);
  item->setHtml(html);
  item->setTextWidth(width);
  item->setPos(position);
  return item;
}

}  // namespace

double CalibrationPlotAspect(const CalibrationPlotData& data) {
  return data.cyclic ? kCyclicPlotAspect : kChartsAspect;
}

void DrawCalibrationPlot(QPainter& painter, const QRectF& target, const CalibrationPlotData& data,
                         double layoutWidth) {
  if (!data.cyclic) {
    DrawCalibrationCharts(painter, target, data, layoutWidth);
    return;
  }
  const double sceneHeight = layoutWidth * target.height() / target.width();
  // The two charts take the height they have without the cyclic error; its chart and panel
  // share the rest side by side.
  const double top = sceneHeight * kCyclicPlotAspect / kChartsAspect;
  const double chartWidth = 0.6 * layoutWidth;
  QGraphicsScene scene(0.0, 0.0, layoutWidth, sceneHeight);
  // The charts and the panel go before the scene, each taking itself out of it.
  const std::unique_ptr<QChart> upper = MakeCalibrationChart(data);
  const std::unique_ptr<QChart> lower = MakeResidualChart(data);
  const std::unique_ptr<QChart> cyclic = MakeCyclicChart(data);
  upper->setGeometry(0.0, 0.0, layoutWidth, 0.62 * top);
  lower->setGeometry(0.0, 0.62 * top, layoutWidth, 0.38 * top);
  cyclic->setGeometry(0.0, top, chartWidth, sceneHeight - top);
  const double margin = 0.02 * layoutWidth;
  const std::unique_ptr<QGraphicsTextItem> panel = CyclicPanelItem(
      *data.cyclic, WithoutLigatures(cyclic->legend()->font()),
      QPointF(chartWidth + margin, top + 2 * margin), layoutWidth - chartWidth - 2 * margin);
  scene.addItem(upper.get());
  scene.addItem(lower.get());
  scene.addItem(cyclic.get());
  scene.addItem(panel.get());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  scene.render(&painter, target, scene.sceneRect());
}

void DrawCalibrationCharts(QPainter& painter, const QRectF& target, const CalibrationPlotData& data,
                           double layoutWidth) {
  const double sceneHeight = layoutWidth * target.height() / target.width();
  QGraphicsScene scene(0.0, 0.0, layoutWidth, sceneHeight);
  // The charts go before the scene, each taking itself out of it.
  const std::unique_ptr<QChart> upper = MakeCalibrationChart(data);
  const std::unique_ptr<QChart> lower = MakeResidualChart(data);
  upper->setGeometry(0.0, 0.0, layoutWidth, 0.62 * sceneHeight);
  lower->setGeometry(0.0, 0.62 * sceneHeight, layoutWidth, 0.38 * sceneHeight);
  scene.addItem(upper.get());
  scene.addItem(lower.get());
  // Any layout the charts left pending is done before they are drawn, and nothing else.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  scene.render(&painter, target, scene.sceneRect());
}

}  // namespace mensuro
