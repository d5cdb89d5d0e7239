#include "ui/common/growing_layout.h"

#include <QWidget>
#include <algorithm>

namespace mensuro {

GrowingLayout::GrowingLayout(QSize laidOutSize, QWidget& growing,
                             const std::vector<QWidget*>& bottomRow)
    : laidOutSize_(laidOutSize), growing_{&growing, growing.geometry()} {
  for (QWidget* widget : bottomRow) {
    bottomRow_.push_back({widget, widget->geometry()});
  }
}

void GrowingLayout::Apply(QSize size) const {
  const int extraWidth = std::max(0, size.width() - laidOutSize_.width());
  const int extraHeight = std::max(MinimumSize().height(), size.height()) - laidOutSize_.height();
  growing_.widget->setGeometry(growing_.home.adjusted(0, 0, extraWidth, extraHeight));
  for (const Placed& placed : bottomRow_) {
    placed.widget->setGeometry(placed.home.translated(0, extraHeight));
  }
}

QSize GrowingLayout::MinimumSize() const {
  return {laidOutSize_.width(), laidOutSize_.height() - growing_.home.height() / 2};
}

}  // namespace mensuro
