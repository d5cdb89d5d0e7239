#pragma once

// The two charts of a calibration, built once here for every place that shows them: the plot
// window, the exported pictures and the certificate.

#include <QRectF>
#include <memory>

#include "documents/calibration_plot_data.h"

class QChart;
class QPainter;
class QScatterSeries;

namespace mensuro {

// A chart under `title` as every chart of ours is drawn: still, square-cornered, without a
// shadow, its legend below, its lettering without ligatures.
std::unique_ptr<QChart> PlainChart(const QString& title);

// Published minus observed against the published distance: every observation as a dot, every
// pair's mean as a marker (flagged pairs and outliers each in a shape and colour of their own,
// named), the fitted line and the dashed flag limits, with legend, axis titles and the title of
// `data`.
std::unique_ptr<QChart> MakeCalibrationChart(const CalibrationPlotData& data);

// The residuals of the unweighted fit against the published distance, with a zero line; the
// outliers marked as in the calibration chart.
std::unique_ptr<QChart> MakeResidualChart(const CalibrationPlotData& data);

// The residuals of the unweighted fit against the fractional part of D/U, with the fitted cyclic
// error drawn over them when it could be estimated; an empty chart when `data` has no cyclic
// error.
std::unique_ptr<QChart> MakeCyclicChart(const CalibrationPlotData& data);

// The pair whose marker `series` shows at `point`, or nullptr when `series` marks no pair there.
// The series of the first two charts mark pairs by their published distance and their value in
// mm, the cyclic chart by their fraction of the unit length and their residual.
const PlotPair* PairAtMarker(const CalibrationPlotData& data, const QScatterSeries& series,
                             const QPointF& point);

// The observation whose dot `series` shows at `point`, or nullptr when `series` marks no
// observation there. Observations of the same value share a dot: the first of them in text
// order is given.
const PlotObservation* ObservationAtMarker(const CalibrationPlotData& data,
                                           const QScatterSeries& series, const QPointF& point);

// The calibration chart above the residual chart, drawn into `target` of `painter`: on a
// widget, an image, an SVG or a PDF page alike. The charts are laid out `layoutWidth` pixels
// wide whatever the target, so that fonts and markers keep their proportions to the charts; a
// smaller width gives larger lettering.
void DrawCalibrationCharts(QPainter& painter, const QRectF& target, const CalibrationPlotData& data,
                           double layoutWidth = 900.0);

// Width to height of the two charts, and of the plot with the cyclic error below them.
inline constexpr double kChartsAspect = 6.0 / 5.0;
inline constexpr double kCyclicPlotAspect = 3.0 / 4.0;

// Width to height of what DrawCalibrationPlot draws of `data`.
double CalibrationPlotAspect(const CalibrationPlotData& data);

// The plot as it is exported: the two charts as DrawCalibrationCharts draws them and, when `data`
// has a cyclic error, below them its chart beside its panel; best drawn into a target of
// CalibrationPlotAspect(data).
void DrawCalibrationPlot(QPainter& painter, const QRectF& target, const CalibrationPlotData& data,
                         double layoutWidth = 900.0);

}  // namespace mensuro
