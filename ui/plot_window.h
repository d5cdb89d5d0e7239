#pragma once

#include <QChartView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <optional>

#include "core/data/project_processing.h"
#include "documents/calibration_plot_data.h"

class QScatterSeries;

namespace mensuro {

class DialogServices;

// The non-modal "Calibration Plot" window: the calibration chart above the residual chart of the
// latest successful Process, or the message of a failed one. Hovering a pair's marker tells its
// figures; Save As writes both charts as SVG, PNG or PDF.
class CPlotWindow : public QWidget {
  Q_OBJECT

 public:
  CPlotWindow(DialogServices& services, QWidget* parent = nullptr);

  // Shows `calibration`, or `failure` in place of the charts when there is no calibration, and
  // below them what reading the texts noticed.
  void ShowCalibration(const std::optional<ProcessedCalibration>& calibration,
                       const QString& failure, const InputNotices& notices);

  // What the charts show, or nothing while a message stands in their place.
  const std::optional<CalibrationPlotData>& Data() const { return data_; }
  const QLabel& Message() const { return message_; }
  QChartView& CalibrationView() { return calibrationView_; }
  QChartView& ResidualView() { return residualView_; }
  QPushButton& SaveAsButton() { return saveAs_; }
  // The warnings and notes of the run shown, one line each; hidden when there are none.
  const QListWidget& NoticeList() const { return noticeList_; }

  void OnSaveAs();
  // The text a pair's marker shows while hovered, or nothing when `point` marks no pair.
  std::optional<QString> MarkerText(const QScatterSeries& series, const QPointF& point) const;

 private:
  void ShowCharts(const CalibrationPlotData& data);
  void ShowMessage(const QString& text);
  void ConnectHovering(QChart& chart);
  void ShowNotices(const InputNotices& notices);

  DialogServices& services_;
  std::optional<CalibrationPlotData> data_;
  QVBoxLayout layout_;
  QLabel message_;
  QChartView calibrationView_;
  QChartView residualView_;
  QLabel noticeTitle_;
  QListWidget noticeList_;
  QPushButton saveAs_;
};

}  // namespace mensuro
