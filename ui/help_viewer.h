#pragma once

#include <QPdfDocument>
#include <QPdfView>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

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
  int PageCount() const { return document_.pageCount(); }

 private:
  QString path_;
  QVBoxLayout layout_;
  QPdfDocument document_;
  // After the document it draws, so that it is destroyed first.
  QPdfView view_;
};

}  // namespace mensuro
