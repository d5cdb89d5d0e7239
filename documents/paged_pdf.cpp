#include "documents/paged_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace mensuro {

int RowsKeptBeforeBreak(int before, int after, int minimum) {
  if (after <= 0) {
    return before;
  }
  const int kept = before - std::max(0, minimum - after);
  return kept >= minimum ? kept : 0;
}

PagedPdf::PagedPdf(QIODevice& device, const PdfPageStyle& style) : style_(style), writer_(&device) {
  writer_.setResolution(style_.resolution);
  writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, style_.margins,
                                    QPageLayout::Millimeter));
  footerHeight_ = style_.footerHeight * (style_.resolution / 25.4);
  body_ = QSizeF(writer_.width(), writer_.height() - footerHeight_);
}

void PagedPdf::LayOutOnPages(QTextDocument& document) {
  document.documentLayout()->setPaintDevice(&writer_);
  document.setPageSize(body_);
}

bool PagedPdf::Print(const QTextDocument& document, const QString& footerText,
                     const QString& mark) {
  const int pageCount = document.pageCount();
  QPainter painter;
  if (!painter.begin(&writer_)) {
    return false;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  for (int page = 0; page < pageCount; ++page) {
    if (page > 0 && !writer_.newPage()) {
      return false;
    }
    if (!mark.isEmpty()) {
      DrawMark(painter, mark);  // under the text
    }
    // The page's slice of the document, moved to the top of the page.
    const QRectF view(0, page * body_.height(), body_.width(), body_.height());
    painter.save();
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    // Black whatever the desktop's colours, as on paper.
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
    DrawFooter(painter, footerText, page + 1, pageCount, mark);
  }
  return painter.end();
}

void PagedPdf::DrawMark(QPainter& painter, const QString& mark) const {
  // Outlines, not text: the words would otherwise mix with the lines they cross when the text
  // is extracted. The footer carries the mark as text.
  QFont font = style_.footerFont;
  font.setBold(true);
  font.setPointSizeF(40);
  QPainterPath path;
  path.addText(0, 0, font, mark);
  const QRectF bounds = path.boundingRect();
  painter.save();
  painter.translate(body_.width() / 2, body_.height() / 2);
  painter.rotate(-45);
  const double diagonal = std::hypot(body_.width(), body_.height());
  // Across most of the body's diagonal, whatever size the outlines came in.
  const double scale = 0.75 * diagonal / std::max(bounds.width(), 1.0);
  painter.scale(scale, scale);
  painter.translate(-bounds.center());
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 28));
  painter.drawPath(path);
  painter.restore();
}

void PagedPdf::DrawFooter(QPainter& painter, const QString& text, int page, int pageCount,
                          const QString& mark) const {
  const QRectF area(0, body_.height(), body_.width(), footerHeight_);
  painter.save();
  painter.setFont(style_.footerFont);
  painter.setPen(style_.rulePen);
  painter.drawLine(area.topLeft(), area.topRight());
  painter.setPen(style_.footerColor);
  const QRectF textArea = area.adjusted(0, area.height() * style_.footerTextTop, 0, 0);
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop, text);
  painter.drawText(textArea, Qt::AlignRight | Qt::AlignTop,
                   QStringLiteral("Page %1 of %2").arg(page).arg(pageCount) +
                       (mark.isEmpty() ? QString() : QStringLiteral("\n") + mark));
  painter.restore();
}

}  // namespace mensuro
