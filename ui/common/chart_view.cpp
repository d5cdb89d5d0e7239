#include "ui/common/chart_view.h"

namespace mensuro {

void ReplaceChart(QChartView& view, std::unique_ptr<QChart> chart) {
  QChart* previous = view.chart();
  view.setChart(chart.release());
  previous->deleteLater();
}

}  // namespace mensuro
