#include "ui/common/scrolling_content.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

namespace mensuro {

QScrollArea* ScrollingContent(QWidget& dialog, QWidget* content) {
  auto* scroll = new QScrollArea(&dialog);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidget(content);
  scroll->setMinimumWidth(content->minimumSizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width());
  return scroll;
}

void FitFirstSize(QWidget& dialog, const QScrollArea& scroll) {
  // What the dialog needs beside the scroll area: its margins and the buttons.
  const QSize around = dialog.sizeHint() - scroll.sizeHint();
  const QSize content = scroll.widget()->sizeHint();
  const int width =
      std::max(dialog.sizeHint().width(),
               content.width() + scroll.verticalScrollBar()->sizeHint().width() + around.width());
  dialog.resize(width, std::min(content.height() + around.height(), kDialogHeightLimit));
}

}  // namespace mensuro
