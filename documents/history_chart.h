#pragma once

// An instrument's history as charts: its constant and its scale at each calibration, with the
// expanded uncertainty as a bar, and the calibrations where a value changed beyond its
// uncertainty against the one before (E_n above 1) marked. For the register window and for
// `mensuro-cli register history --plot`.

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

enum class HistoryQuantity { kConstant, kScale };

// Whether a value of `point` changed beyond its uncertainty against the calibration before.
bool ChangedBeyondUncertainty(const HistoryPoint& point, HistoryQuantity quantity);

// The constant (mm) or the scale (ppm) of every calibration of `history` against its issue date.
std::unique_ptr<QChart> MakeHistoryChart(const std::vector<HistoryPoint>& history,
                                         HistoryQuantity quantity);

// Both charts, the constant's above the scale's, under `title`, drawn into `target`; laid out
// `layoutWidth` pixels wide as the calibration charts are.
void DrawHistoryCharts(QPainter& painter, const QRectF& target,
                       const std::vector<HistoryPoint>& history, const QString& title,
                       double layoutWidth = 900.0);

// The bytes of a file of `type` holding both charts, as SaveHistoryPlot writes it; nothing, with
// the reason in `reason`.
std::optional<std::string> DrawHistoryPlot(PlotFileType type,
                                           const std::vector<HistoryPoint>& history,
                                           const QString& title, QString& reason);

// Writes both charts to `path` as a file of `type`. Returns false with the reason in `reason`.
bool SaveHistoryPlot(const QString& path, PlotFileType type,
                     const std::vector<HistoryPoint>& history, const QString& title,
                     QString& reason);

}  // namespace mensuro
