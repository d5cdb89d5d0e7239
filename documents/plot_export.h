#pragma once

// The calibration plot as a picture file: SVG, PNG or PDF, told by the file's extension.

#include <QString>
#include <optional>

#include "documents/calibration_plot_data.h"

namespace mensuro {

enum class PlotFileType { kSvg, kPng, kPdf };

// The type that the extension of `path` names (letter case aside), or nothing for another one.
std::optional<PlotFileType> PlotFileTypeOf(const QString& path);

// PNG pictures are at least this wide, enough for a printed page.
inline constexpr int kPlotPictureWidth = 2400;

// Writes both charts of `data` to `path` as a file of `type`. Returns false with the reason in
// `reason`; an existing file is then left as it was.
bool SavePlot(const QString& path, PlotFileType type, const CalibrationPlotData& data,
              QString& reason);

}  // namespace mensuro
