#include "ui/common/help_viewer.h"

#include <QFileInfo>
#include <QPdfView>
#include <QScreen>
#include <QVBoxLayout>

namespace mensuro {

CHelpViewer::CHelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window),
      view_(new QPdfView(this)),
      // Made after the view: children go in the order they came, so the view that draws the
      // document goes before it.
      document_(new QPdfDocument(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->setPageMode(QPdfView::PageMode::MultiPage);
  view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
  // About an A4 page wide, and never taller than the screen leaves room for.
  QSize size(760, 960);
  if (const QScreen* screen = this->screen()) {
    size = size.boundedTo(screen->availableGeometry().size() * 0.9);
  }
  resize(size);
}

bool CHelpViewer::Load(const QString& path) {
  view_->setDocument(nullptr);
  path_ = path;
  const QString fileName = QFileInfo(path).fileName();
  setWindowTitle(fileName);
  if (document_->load(path) != QPdfDocument::Error::None || document_->pageCount() == 0) {
    document_->close();
    return false;
  }
  view_->setDocument(document_);
  const QString title = document_->metaData(QPdfDocument::MetaDataField::Title).toString();
  if (!title.isEmpty()) {
    setWindowTitle(title + QStringLiteral(" (") + fileName + QLatin1Char(')'));
  }
  return true;
}

}  // namespace mensuro
