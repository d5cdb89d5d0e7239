#pragma once

#include <QPdfDocument>
#include <QString>
#include <QWidget>

class QPdfView;

namespace mensuro {

// A non-modal window of the program's own that shows a PDF document page after page: Help puts
// the user guide in it when the desktop has no viewer for PDF files.
class CHelpViewer : public QWidget {
  Q_OBJECT

 public:
  explicit CHelpViewer(QWidget* parent = nullptr);

  // Shows the document at `path`; false, showing nothing, when it can't be read as a PDF.
  bool Load(const QString& path);

  const QString& Path() const { return path_; }
  int PageCount() const { return document_->pageCount(); }

 private:
  QString path_;
  // Children of this window.
  QPdfView* view_ = nullptr;
  QPdfDocument* document_ = nullptr;
};

}  // namespace mensuro
