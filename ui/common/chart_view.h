#pragma once

#include <QChart>
#include <QChartView>
#include <memory>

namespace mensuro {

// Puts `chart` into `view`, which owns it from then on. The view lets go of the chart it showed,
// which goes when control returns to the event loop.
void ReplaceChart(QChartView& view, std::unique_ptr<QChart> chart);

}  // namespace mensuro
