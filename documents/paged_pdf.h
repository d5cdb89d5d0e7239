#pragma once

// A text document printed on A4 pages of a PDF, each page footed with a rule, a text on the left
// and "Page N of M" on the right. The certificate and the user guide are written through it.

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QPdfWriter>
#include <QPen>
#include <QSizeF>
#include <QString>

class QIODevice;
class QPainter;
class QTextDocument;

namespace mensuro {

// How the pages of one kind of document look around its text.
struct PdfPageStyle {
  QMarginsF margins;        // of the A4 portrait page, in millimetres
  int resolution = 1200;    // dots per inch of the page coordinates
  qreal footerHeight = 10;  // in millimetres, at the bottom of the area within the margins
  QFont footerFont;
  QPen rulePen;             // the rule above the footer
  QColor footerColor;       // the footer's text
  qreal footerTextTop = 0;  // the room above the footer's text, as a share of the footer's height
};

// How many of a table's rows stay on a page that ends after `before` of them, with `after` rows
// of the table still to come. At least `minimum` rows go over together (rows move from this
// page to make them up), and a table never starts with fewer than `minimum` rows at the foot
// of a page: then 0, the whole table with its heading goes to the next page. `before` when the
// break is good as it is.
int RowsKeptBeforeBreak(int before, int after, int minimum = 5);

class PagedPdf {
 public:
  // A PDF written to `device`, which must stay open until Print has returned.
  PagedPdf(QIODevice& device, const PdfPageStyle& style);

  // For the document's title and creator.
  QPdfWriter& writer() { return writer_; }
  // The part of a page the text takes, in the writer's dots.
  QSizeF bodySize() const { return body_; }

  // Lays `document` out for the writer's resolution, so that point sizes come out as points on
  // paper, and in pages of the body's size.
  void LayOutOnPages(QTextDocument& document);

  // Draws every page of `document` with its footer, `footerText` on its left; the footer's
  // lines are separated by line feeds. A `mark` ("DRAFT: not registered") stands on every page:
  // large, light and diagonal across the body, drawn as outlines, and once as text in the footer
  // under the page number, where text extraction finds it. Returns false when the PDF could not
  // be written.
  bool Print(const QTextDocument& document, const QString& footerText, const QString& mark = {});

 private:
  void DrawFooter(QPainter& painter, const QString& text, int page, int pageCount,
                  const QString& mark) const;
  void DrawMark(QPainter& painter, const QString& mark) const;

  PdfPageStyle style_;
  QPdfWriter writer_;
  qreal footerHeight_ = 0;  // in dots
  QSizeF body_;
};

}  // namespace mensuro
