#include "documents/history_chart.h"

#include <QChart>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/units.h"
#include "documents/calibration_chart.h"
#include "documents/document_fonts.h"

namespace mensuro {
namespace {

const QColor kValueColour(0x1f, 0x5f, 0xa8);
const QColor kChangedColour(0xc6, 0x28, 0x28);
const QColor kBarColour(0x60, 0x7d, 0x8b);

constexpr qint64 kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

struct Value {
  double value = 0.0;
  double uncertainty = 0.0;
};

// The value of `point` and its bar's half length; nothing for a calibration without cyclic
// figures on the cyclic chart.
std::optional<Value> ValueOf(const HistoryPoint& point, HistoryQuantity quantity) {
  const RegisteredResults& results = point.entry.results;
  switch (quantity) {
    case HistoryQuantity::kConstant:
      return Value{results.constantM * kMillimetresPerMetre,
                   results.constantUncertaintyM * kMillimetresPerMetre};
    case HistoryQuantity::kScale:
      return Value{results.scalePpm, results.scaleUncertaintyPpm};
    case HistoryQuantity::kCyclicAmplitude:
      break;
  }
  if (!results.cyclic) {
    return std::nullopt;
  }
  return Value{results.cyclic->amplitudeM * kMillimetresPerMetre,
               results.cyclic->amplitudeStdErrorM.value_or(0.0) * kMillimetresPerMetre};
}

// What a quantity's chart is called and its value axis says.
struct QuantityTitles {
  QString chart;
  QString axis;
};

QuantityTitles TitlesOf(HistoryQuantity quantity) {
  switch (quantity) {
    case HistoryQuantity::kConstant:
      return {QStringLiteral("Constant error"), QStringLiteral("Constant (mm)")};
    case HistoryQuantity::kScale:
      return {QStringLiteral("Scale error"), QStringLiteral("Scale (ppm)")};
    case HistoryQuantity::kCyclicAmplitude:
      break;
  }
  return {QStringLiteral("Cyclic error amplitude"), QStringLiteral("Amplitude (mm)")};
}

// The issue date as the axis counts time: milliseconds since the epoch, at noon UTC so that
// the point sits in the middle of its day.
double DateAxisValue(const std::string& isoDate) {
  const QDate date = QDate::fromString(QString::fromStdString(isoDate), Qt::ISODate);
  return static_cast<double>(QDateTime(date, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
}

void HideFromLegend(QChart& chart, QAbstractSeries& series) {
  for (QLegendMarker* marker : chart.legend()->markers(&series)) {
    marker->setVisible(false);
  }
}

QScatterSeries* AddPoints(QChart& chart, const QString& name, const QColor& colour,
                          QScatterSeries::MarkerShape shape) {
  auto* series = new QScatterSeries(&chart);  // the chart owns its series
  series->setName(name);
  series->setMarkerShape(shape);
  series->setMarkerSize(9.0);
  series->setColor(colour);
  series->setBorderColor(colour.darker(130));
  chart.addSeries(series);
  return series;
}

QLineSeries* AddLine(QChart& chart, const QString& name, const QColor& colour, double width) {
  auto* series = new QLineSeries(&chart);
  series->setName(name);
  QPen pen(colour);
  pen.setWidthF(width);
  series->setPen(pen);
  chart.addSeries(series);
  return series;
}

// What the axes of a history chart span: the values with their bars, and the dates.
struct HistorySpan {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  double first = std::numeric_limits<double>::infinity();
  double last = -std::numeric_limits<double>::infinity();
};

// The date axis and the value axis of `quantity`'s chart, around `span`, for `points`
// calibrations; the chart owns them.
void AddHistoryAxes(QChart& chart, HistoryQuantity quantity, HistorySpan span, std::size_t points) {
  if (points == 0) {
    span.low = -1.0;
    span.high = 1.0;
    span.first = span.last =
        DateAxisValue(QDate::currentDate().toString(Qt::ISODate).toStdString());
  }
  // Room around the values, and at least a month either side of a single date.
  const double margin = std::max((span.high - span.low) * 0.1, 0.1);
  const double padding = std::max((span.last - span.first) * 0.05, 30.0 * kMillisecondsPerDay);

  auto* dates = new QDateTimeAxis(&chart);
  dates->setFormat(QStringLiteral("yyyy-MM"));  // short enough for a narrow chart
  dates->setTitleText(QStringLiteral("Issue date"));
  dates->setRange(
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(span.first - padding), Qt::UTC),
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(span.last + padding), Qt::UTC));
  dates->setTickCount(std::clamp(static_cast<int>(points) + 1, 3, 7));
  dates->setTitleFont(WithoutLigatures(dates->titleFont()));
  dates->setLabelsFont(WithoutLigatures(dates->labelsFont()));
  auto* axis = new QValueAxis(&chart);
  axis->setTitleText(TitlesOf(quantity).axis);
  axis->setRange(span.low - margin, span.high + margin);
  axis->setLabelFormat(QStringLiteral("%.2f"));
  axis->setTitleFont(WithoutLigatures(axis->titleFont()));
  axis->setLabelsFont(WithoutLigatures(axis->labelsFont()));
  chart.addAxis(dates, Qt::AlignBottom);
  chart.addAxis(axis, Qt::AlignLeft);
  for (QAbstractSeries* series : chart.series()) {
    series->attachAxis(dates);
    series->attachAxis(axis);
  }
}

}  // namespace

bool ChangedBeyondUncertainty(const HistoryPoint& point, HistoryQuantity quantity) {
  if (quantity == HistoryQuantity::kCyclicAmplitude) {
    return false;  // a harmonic's amplitude has no E_n against the calibration before
  }
  const std::optional<double>& en =
      quantity == HistoryQuantity::kConstant ? point.constantEn : point.scaleEn;
  return en && *en > 1.0;
}

bool HasCyclicAmplitude(const std::vector<HistoryPoint>& history) {
  return std::ranges::any_of(
      history, [](const HistoryPoint& point) { return point.entry.results.cyclic.has_value(); });
}

std::vector<HistoryQuantity> HistoryQuantities(const std::vector<HistoryPoint>& history) {
  std::vector<HistoryQuantity> quantities = {HistoryQuantity::kConstant, HistoryQuantity::kScale};
  if (HasCyclicAmplitude(history)) {
    quantities.push_back(HistoryQuantity::kCyclicAmplitude);
  }
  return quantities;
}

std::unique_ptr<QChart> MakeHistoryChart(const std::vector<HistoryPoint>& history,
                                         HistoryQuantity quantity) {
  std::unique_ptr<QChart> chart = PlainChart(TitlesOf(quantity).chart);
  const QString barName = quantity == HistoryQuantity::kCyclicAmplitude
                              ? QStringLiteral("± standard error")
                              : QStringLiteral("±U (95 %)");

  QLineSeries* trend = AddLine(*chart, QString(), kValueColour.lighter(150), 1.0);
  QScatterSeries* values = AddPoints(*chart, QStringLiteral("Calibration"), kValueColour,
                                     QScatterSeries::MarkerShapeCircle);
  QScatterSeries* changed =
      AddPoints(*chart, QStringLiteral("Changed beyond its uncertainty (E_n > 1)"), kChangedColour,
                QScatterSeries::MarkerShapeRectangle);
  HistorySpan span;
  bool barInLegend = false;
  std::size_t placed = 0;
  for (const HistoryPoint& point : history) {
    const std::optional<Value> v = ValueOf(point, quantity);
    if (!v) {
      continue;
    }
    ++placed;
    // Placed when it was measured: two calibrations issued on one day may be a year apart.
    const double x =
        DateAxisValue(point.entry.measurementDate.empty() ? point.entry.identity.issueDate
                                                          : point.entry.measurementDate);
    trend->append(x, v->value);
    (ChangedBeyondUncertainty(point, quantity) ? changed : values)->append(x, v->value);
    // The bar of ±U: a short vertical line of its own.
    QLineSeries* bar = AddLine(*chart, barName, kBarColour, 1.5);
    bar->append(x, v->value - v->uncertainty);
    bar->append(x, v->value + v->uncertainty);
    if (barInLegend) {
      HideFromLegend(*chart, *bar);
    }
    barInLegend = true;
    span.low = std::min(span.low, v->value - v->uncertainty);
    span.high = std::max(span.high, v->value + v->uncertainty);
    span.first = std::min(span.first, x);
    span.last = std::max(span.last, x);
  }
  HideFromLegend(*chart, *trend);
  if (changed->count() == 0) {
    HideFromLegend(*chart, *changed);
  }
  AddHistoryAxes(*chart, quantity, span, placed);
  return chart;
}

void DrawHistoryCharts(QPainter& painter, const QRectF& target,
                       const std::vector<HistoryPoint>& history, const QString& title,
                       double layoutWidth) {
  const double sceneHeight = layoutWidth * target.height() / target.width();
  QGraphicsScene scene(0.0, 0.0, layoutWidth, sceneHeight);
  auto* heading = new QGraphicsSimpleTextItem(title);  // the scene owns its items
  QFont font = WithoutLigatures(heading->font());
  font.setPointSizeF(font.pointSizeF() * 1.3);
  font.setBold(true);
  heading->setFont(font);
  heading->setPos((layoutWidth - heading->boundingRect().width()) / 2.0, 8.0);
  scene.addItem(heading);
  const double top = heading->boundingRect().height() + 16.0;
  // The charts go before the scene, each taking itself out of it.
  std::vector<std::unique_ptr<QChart>> charts;
  for (const HistoryQuantity quantity : HistoryQuantities(history)) {
    charts.push_back(MakeHistoryChart(history, quantity));
  }
  const double share = (sceneHeight - top) / static_cast<double>(charts.size());
  for (std::size_t i = 0; i < charts.size(); ++i) {
    if (charts.size() > 2) {
      // Three charts share the page: their legends go beside them, leaving the height to the
      // values and their axes' titles.
      charts[i]->legend()->setAlignment(Qt::AlignRight);
    }
    charts[i]->setGeometry(0.0, top + share * static_cast<double>(i), layoutWidth, share);
    scene.addItem(charts[i].get());
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  scene.render(&painter, target, scene.sceneRect());
}

std::optional<std::string> DrawHistoryPlot(PlotFileType type,
                                           const std::vector<HistoryPoint>& history,
                                           const QString& title, QString& reason) {
  return DrawingBytes(
      type, title,
      [&](QPainter& painter, const QRectF& target) {
        DrawHistoryCharts(painter, target, history, title);
      },
      reason);
}

bool SaveHistoryPlot(const QString& path, PlotFileType type,
                     const std::vector<HistoryPoint>& history, const QString& title,
                     QString& reason) {
  return SaveDrawing(
      path, type, title,
      [&](QPainter& painter, const QRectF& target) {
        DrawHistoryCharts(painter, target, history, title);
      },
      reason);
}

}  // namespace mensuro
