#include "ui/common/h_list_box.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace mensuro {

CHListBox::CHListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Lines are shown whole; the horizontal scroll bar reaches their ends.
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
}

int CHListBox::AddLine(const QString& line) {
  const int index = count();
  addItem(line);
  if (count() != index + 1) {
    return -1;
  }
  UpdateExtent(line);
  return index;
}

void CHListBox::UpdateExtent(const QString& line) {
  const int width = QFontMetrics(font()).horizontalAdvance(line) + 3 * BorderWidth();
  if (width > widestWidth_) {
    widestWidth_ = width;
    horizontalExtent_ = width;
    updateGeometries();
  }
}

void CHListBox::ClearLines() {
  clear();
  widestWidth_ = 0;
}

int CHListBox::BorderWidth() const {
  return std::max(1, style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this));
}

void CHListBox::updateGeometries() {
  QListWidget::updateGeometries();
  // The list's own range follows its items; the extent rule replaces it.
  QScrollBar* bar = horizontalScrollBar();
  const int visible = viewport()->width();
  bar->setRange(0, std::max(0, horizontalExtent_ - visible));
  bar->setPageStep(visible);
  bar->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth()));
}

}  // namespace mensuro
