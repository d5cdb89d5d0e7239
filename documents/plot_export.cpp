#include "documents/plot_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "documents/calibration_chart.h"
#include "documents/document_file.h"

namespace mensuro {
namespace {

const QString kPlotTitle = QStringLiteral("EDM calibration plot");

bool DrawOn(QPaintDevice& device, const QRectF& target, const PlotDrawing& draw) {
  QPainter painter;
  if (!painter.begin(&device)) {
    return false;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter, target);
  return painter.end();
}

bool WriteSvg(QIODevice& device, const QString& title, const PlotDrawing& draw, double aspect) {
  const QSize size(1200, static_cast<int>(1200 / aspect));
  QSvgGenerator svg;
  svg.setOutputDevice(&device);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(title);
  return DrawOn(svg, QRectF(QPointF(0, 0), size), draw);
}

bool WritePng(QIODevice& device, const PlotDrawing& draw, double aspect) {
  QImage image(kPlotPictureWidth, static_cast<int>(kPlotPictureWidth / aspect),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return DrawOn(image, QRectF(image.rect()), draw) && image.save(&device, "PNG");
}

bool WritePdf(QIODevice& device, const QString& title, const PlotDrawing& draw, double aspect) {
  QPdfWriter pdf(&device);
  pdf.setTitle(title);
  pdf.setCreator(QStringLiteral("Mensuro"));
  // A drawing wider than tall on a landscape page, a taller one upright.
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                aspect >= 1.0 ? QPageLayout::Landscape : QPageLayout::Portrait,
                                QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
  // The charts in their own proportions, centred on the page.
  const QRectF page(0, 0, pdf.width(), pdf.height());
  QSizeF size(page.width(), page.width() / aspect);
  size.scale(page.size(), Qt::KeepAspectRatio);
  const QRectF target(page.center() - QPointF(size.width() / 2, size.height() / 2), size);
  return DrawOn(pdf, target, draw);
}

bool WriteDrawing(QIODevice& device, PlotFileType type, const QString& title,
                  const PlotDrawing& draw, double aspect) {
  switch (type) {
    case PlotFileType::kSvg:
      return WriteSvg(device, title, draw, aspect);
    case PlotFileType::kPng:
      return WritePng(device, draw, aspect);
    case PlotFileType::kPdf:
      return WritePdf(device, title, draw, aspect);
  }
  return false;
}

}  // namespace

std::optional<PlotFileType> PlotFileTypeOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg")) {
    return PlotFileType::kSvg;
  }
  if (suffix == QLatin1String("png")) {
    return PlotFileType::kPng;
  }
  if (suffix == QLatin1String("pdf")) {
    return PlotFileType::kPdf;
  }
  return std::nullopt;
}

bool SaveDrawing(const QString& path, PlotFileType type, const QString& title,
                 const PlotDrawing& draw, QString& reason, double aspect) {
  return WriteDocumentFile(
      path, [&](QIODevice& device) { return WriteDrawing(device, type, title, draw, aspect); },
      reason);
}

std::optional<std::string> DrawingBytes(PlotFileType type, const QString& title,
                                        const PlotDrawing& draw, QString& reason, double aspect) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!WriteDrawing(buffer, type, title, draw, aspect)) {
    reason = QStringLiteral("the drawing could not be made");
    return std::nullopt;
  }
  buffer.close();
  return bytes.toStdString();
}

std::optional<std::string> DrawPlot(PlotFileType type, const CalibrationPlotData& data,
                                    QString& reason) {
  return DrawingBytes(
      type, kPlotTitle,
      [&data](QPainter& painter, const QRectF& target) {
        DrawCalibrationPlot(painter, target, data);
      },
      reason, CalibrationPlotAspect(data));
}

bool SavePlot(const QString& path, PlotFileType type, const CalibrationPlotData& data,
              QString& reason) {
  return SaveDrawing(
      path, type, kPlotTitle,
      [&data](QPainter& painter, const QRectF& target) {
        DrawCalibrationPlot(painter, target, data);
      },
      reason, CalibrationPlotAspect(data));
}

}  // namespace mensuro
