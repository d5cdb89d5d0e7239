#pragma once

// The series of a chart as the chart tests look for them: by type and by the name the legend
// gives them.

#include <QAbstractSeries>
#include <QChart>
#include <QString>
#include <vector>

namespace mensuro::test {

template <class Series>
std::vector<Series*> SeriesNamed(const QChart& chart, const QString& name) {
  std::vector<Series*> found;
  for (QAbstractSeries* series : chart.series()) {
    if (auto* typed = qobject_cast<Series*>(series); typed != nullptr && series->name() == name) {
      found.push_back(typed);
    }
  }
  return found;
}

}  // namespace mensuro::test
