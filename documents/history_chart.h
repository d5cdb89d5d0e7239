#pragma once

// An instrument's history as charts: its constant and its scale at each calibration, with the
// expanded uncertainty as a bar, and the calibrations where a value changed beyond its
// uncertainty against the one before (E_n above 1) marked; when calibrations estimated the cyclic
// error, a third chart of its first harmonic's amplitude with its standard error as the bar. For
// the register window and for `mensuro-cli register history --plot`.

#include <QRectF>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/plot_export.h"
#include "register/register_records.h"

class QChart;
class QPainter;

namespace mensuro {

enum class HistoryQuantity { kConstant, kScale, kCyclicAmplitude };

// Whether a value of `point` changed beyond its uncertainty against the calibration before.
bool ChangedBeyondUncertainty(const HistoryPoint& point, HistoryQuantity quantity);

// Whether a calibration of `history` has cyclic figures.
bool HasCyclicAmplitude(const std::vector<HistoryPoint>& history);

// The charts `history` is drawn as: the constant's and the scale's, and the cyclic error's
// amplitude's when HasCyclicAmplitude.
std::vector<HistoryQuantity> HistoryQuantities(const std::vector<HistoryPoint>& history);

// The constant (mm), the scale (ppm) or the cyclic error's first amplitude (mm, only the
// calibrations that have it) of the calibrations of `history` against their dates.
std::unique_ptr<QChart> MakeHistoryChart(const std::vector<HistoryPoint>& history,
                                         HistoryQuantity quantity);

// The charts of HistoryQuantities one above the other, under `title`, drawn into `target`; laid
// out `layoutWidth` pixels wide as the calibration charts are.
void DrawHistoryCharts(QPainter& painter, const QRectF& target,
                       const std::vector<HistoryPoint>& history, const QString& title,
                       double layoutWidth = 900.0);

// The bytes of a file of `type` holding the charts, as SaveHistoryPlot writes it; nothing, with
// the reason in `reason`.
std::optional<std::string> DrawHistoryPlot(PlotFileType type,
                                           const std::vector<HistoryPoint>& history,
                                           const QString& title, QString& reason);

// Writes the charts to `path` as a file of `type`. Returns false with the reason in `reason`.
bool SaveHistoryPlot(const QString& path, PlotFileType type,
                     const std::vector<HistoryPoint>& history, const QString& title,
                     QString& reason);

}  // namespace mensuro
