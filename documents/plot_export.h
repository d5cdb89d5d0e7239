#pragma once

// The calibration plot as a picture file: SVG, PNG or PDF, told by the file's extension.

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"

class QPainter;
class QRectF;

namespace mensuro {

enum class PlotFileType { kSvg, kPng, kPdf };

// The type that the extension of `path` names (letter case aside), or nothing for another one.
std::optional<PlotFileType> PlotFileTypeOf(const QString& path);

// PNG pictures are at least this wide, enough for a printed page.
inline constexpr int kPlotPictureWidth = 2400;

// Draws a picture into the given rectangle of the painter's device.
using PlotDrawing = std::function<void(QPainter&, const QRectF&)>;

// Writes what `draw` draws to `path` as a file of `type`, `aspect` wide to high, under `title`
// where the file keeps one. Returns false with the reason in `reason`; an existing file is then
// left as it was.
bool SaveDrawing(const QString& path, PlotFileType type, const QString& title,
                 const PlotDrawing& draw, QString& reason, double aspect = kChartsAspect);

// The bytes of a file of `type` holding what `draw` draws, as SaveDrawing writes it; nothing,
// with the reason in `reason`, when the drawing could not be made.
std::optional<std::string> DrawingBytes(PlotFileType type, const QString& title,
                                        const PlotDrawing& draw, QString& reason,
                                        double aspect = kChartsAspect);

// The bytes of a file of `type` holding the plot of `data` as DrawCalibrationPlot draws it (both
// charts, and the cyclic error's chart and panel when `data` has one), as SavePlot writes it;
// nothing, with the reason in `reason`.
std::optional<std::string> DrawPlot(PlotFileType type, const CalibrationPlotData& data,
                                    QString& reason);

// Writes the plot of `data` to `path` as a file of `type`, as DrawPlot makes it. Returns false with
// the reason in `reason`; an existing file is then left as it was.
bool SavePlot(const QString& path, PlotFileType type, const CalibrationPlotData& data,
              QString& reason);

}  // namespace mensuro
