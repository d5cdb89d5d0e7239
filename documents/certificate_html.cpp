#include "documents/certificate_html.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDate>
#include <QImageReader>
#include <QPen>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>

#include "core/data/local_time.h"
#include "documents/document_file.h"
#include "documents/document_fonts.h"
#include "documents/report_numbers.h"

namespace mensuro::certificate_html {
namespace {

constexpr double kLogoHeightMm = 15.0;
constexpr double kMillimetresPerInch = 25.4;

// The headings of `document`, in their order.
std::vector<QTextBlock> Headings(const QTextDocument& document) {
  std::vector<QTextBlock> headings;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0) {
      headings.push_back(block);
    }
  }
  return headings;
}

// One table of the laid-out certificate: the page of its heading and of each of its rows (the
// column headings not counted), over all the parts it was split into.
struct TablePages {
  int heading = 0;
  std::vector<int> rows;
};

std::vector<TablePages> PagesOfTables(const QTextDocument& document) {
  const QAbstractTextDocumentLayout& layout = *document.documentLayout();
  const double pageHeight = document.pageSize().height();
  const auto pageOf = [&](const QTextBlock& block) {
    return static_cast<int>(layout.blockBoundingRect(block).top() / pageHeight);
  };
  std::vector<TablePages> tables;
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    const auto* table = qobject_cast<const QTextTable*>(frame);
    if (table == nullptr || table->format().headerRowCount() == 0) {
      continue;
    }
    // A part that starts a new page continues the table before it.
    if (tables.empty() ||
        !(table->format().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)) {
      QTextBlock heading = table->firstCursorPosition().block();
      while (heading.isValid() && heading.blockFormat().headingLevel() == 0) {
        heading = heading.previous();
      }
      tables.push_back({heading.isValid() ? pageOf(heading) : 0, {}});
    }
    for (int row = table->format().headerRowCount(); row < table->rows(); ++row) {
      tables.back().rows.push_back(pageOf(table->cellAt(row, 0).firstCursorPosition().block()));
    }
  }
  return tables;
}

// Adds to `breaks` the first break that a table of the laid-out `document` needs: a heading
// alone at the foot of a page, or too few rows on one side of a page break. Returns false when
// every table breaks well.
bool AddTableBreak(const QTextDocument& document, CertificateBreaks& breaks) {
  const std::vector<TablePages> tables = PagesOfTables(document);
  for (std::size_t index = 0; index < tables.size() && index < breaks.tables.size(); ++index) {
    const TablePages& table = tables[index];
    const int rowCount = static_cast<int>(table.rows.size());
    int page = table.heading;
    int firstOnPage = 0;
    for (int row = 0; row < rowCount; ++row) {
      if (table.rows[row] == page) {
        continue;
      }
      const int before = row - firstOnPage;
      const int kept = RowsKeptBeforeBreak(before, rowCount - row);
      TableBreaks& split = breaks.tables[index];
      if (kept == 0 && firstOnPage == 0 && !split.beforeHeading) {
        split.beforeHeading = true;
        return true;
      }
      if (kept > 0 && kept != before && split.beforeRows.insert(firstOnPage + kept).second) {
        return true;
      }
      page = table.rows[row];
      firstOnPage = row;
    }
  }
  return false;
}

// The fewest lines of the text under a heading that stay with it on its page.
constexpr int kLinesUnderHeading = 2;

// Adds to `breaks` the first heading of the laid-out `document` that stands at the foot of a
// page with fewer than kLinesUnderHeading lines of its text (all of a shorter text) under it.
// Returns false when there is none.
bool AddHeadingBreak(const QTextDocument& document, CertificateBreaks& breaks) {
  const QAbstractTextDocumentLayout& layout = *document.documentLayout();
  const double pageHeight = document.pageSize().height();
  // A line that would run over the foot of a page is moved to the next, its block not.
  const auto pageOfLine = [&](const QTextBlock& block, int line) {
    const double top = layout.blockBoundingRect(block).top() + block.layout()->lineAt(line).y();
    return static_cast<int>(top / pageHeight);
  };
  const std::vector<QTextBlock> headings = Headings(document);
  for (std::size_t index = 0; index < headings.size(); ++index) {
    const QTextBlock& heading = headings[index];
    const QTextBlock text = heading.next();
    if (heading.layout()->lineCount() == 0 || !text.isValid()) {
      continue;
    }
    const int page = pageOfLine(heading, 0);
    const int lines = std::min(text.layout()->lineCount(), kLinesUnderHeading);
    int kept = 0;
    while (kept < lines && pageOfLine(text, kept) == page) {
      ++kept;
    }
    if (kept < lines && breaks.headings.insert(index).second) {
      return true;
    }
  }
  return false;
}

}  // namespace

void FillWithBreaks(QTextDocument& document, std::size_t tableCount,
                    const std::function<void(const CertificateBreaks& breaks)>& fill) {
  CertificateBreaks breaks;
  breaks.tables.resize(tableCount);
  const auto fillAll = [&] {
    fill(breaks);
    const std::vector<QTextBlock> headings = Headings(document);
    for (const std::size_t heading : breaks.headings) {
      if (heading < headings.size()) {
        QTextBlockFormat newPage;
        newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(headings[heading]).mergeBlockFormat(newPage);
      }
    }
  };
  // Laid out again for every break a table or a heading needs; each adds one, so this ends.
  // The bound only guards against a layout that never settles.
  fillAll();
  const auto addBreak = [&document, &breaks] {
    return AddTableBreak(document, breaks) || AddHeadingBreak(document, breaks);
  };
  for (std::size_t round = 0; round < 8 * std::max<std::size_t>(tableCount, 1) && addBreak();
       ++round) {
    fillAll();
  }
}

const QUrl kLogoName(QStringLiteral("mensuro-certificate-logo"));

QString Html(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toHtmlEscaped();
}

QString Html(const char* text) {
  return QString::fromUtf8(text).toHtmlEscaped();
}

QString Row(std::initializer_list<QString> cells, const char* tag) {
  QString row = QStringLiteral("<tr>");
  for (const QString& cell : cells) {
    row += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), cell);
  }
  return row + QStringLiteral("</tr>");
}

QString NumberRow(std::initializer_list<QString> cells, int firstNumber) {
  QString row = QStringLiteral("<tr>");
  int column = 0;
  for (const QString& cell : cells) {
    row += column++ < firstNumber ? QStringLiteral("<td>%1</td>").arg(cell)
                                  : QStringLiteral("<td align=\"right\">%1</td>").arg(cell);
  }
  return row + QStringLiteral("</tr>");
}

QString Heading(const QString& text, bool newPage) {
  return newPage ? QStringLiteral("<h3 style=\"page-break-before: always\">%1</h3>").arg(text)
                 : QStringLiteral("<h3>%1</h3>").arg(text);
}

QString GridTable(const QString& heading, const QString& intro, const QString& head,
                  const std::vector<QString>& rows, const TableBreaks& breaks) {
  const auto table = [&head](bool newPage) {
    return QStringLiteral(
               "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"%1>"
               "<thead>%2</thead>")
        .arg(newPage ? QStringLiteral(" style=\"page-break-before: always\"") : QString(), head);
  };
  QString html = Heading(heading, breaks.beforeHeading) + intro + table(false);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (breaks.beforeRows.contains(static_cast<int>(row))) {
      html += QStringLiteral("</table>") + table(true);
    }
    html += rows[row];
  }
  return html + QStringLiteral("</table>");
}

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QString Number(double value, int decimals) {
  return QString::fromStdString(FixedText(value, decimals));
}

QString DetailHtml(const std::string& utf8) {
  return Text(utf8).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

QString DetailRow(const char* label, const std::string& utf8) {
  return utf8.empty() ? QString() : Row({Html(label), DetailHtml(utf8)});
}

QString BytesRow(const char* label, const std::string& bytes) {
  return bytes.empty() ? QString() : Row({Html(label), Html(bytes)});
}

QString LaboratoryBlock(const LaboratoryDetails& laboratory, const QImage& logo) {
  QStringList lines;
  if (!laboratory.name.empty()) {
    lines << QStringLiteral("<b>%1</b>").arg(DetailHtml(laboratory.name));
  }
  if (!laboratory.address.empty()) {
    lines << DetailHtml(laboratory.address);
  }
  if (!laboratory.accreditation.empty()) {
    lines << QStringLiteral("Accreditation: ") + DetailHtml(laboratory.accreditation);
  }
  if (lines.isEmpty() && logo.isNull()) {
    return {};
  }
  QString html = QStringLiteral("<table cellpadding=\"2\"><tr>");
  if (!logo.isNull()) {
    const double height = kLogoHeightMm / kMillimetresPerInch * kResolution;
    const double width = height * logo.width() / std::max(logo.height(), 1);
    html += QStringLiteral("<td><img src=\"%1\" width=\"%2\" height=\"%3\"></td>")
                .arg(kLogoName.toString())
                .arg(std::lround(width))
                .arg(std::lround(height));
  }
  return html + QStringLiteral("<td>%1</td></tr></table>").arg(lines.join(QStringLiteral("<br>")));
}

std::string IsoDateText(const std::string& date) {
  const QDate read = [&date] {
    const QString text = QString::fromLatin1(date).trimmed();
    for (const QString& format : {QStringLiteral("dd-MM-yyyy"), QStringLiteral("dd.MM.yyyy"),
                                  QStringLiteral("dd/MM/yyyy"), QStringLiteral("yyyy-MM-dd")}) {
      if (const QDate day = QDate::fromString(text, format); day.isValid()) {
        return day;
      }
    }
    return QDate();
  }();
  return read.isValid() ? read.toString(Qt::ISODate).toStdString() : date;
}

QString IdentityTable(const CertificateIdentity& identity, const ClientDetails& client) {
  QString html = QStringLiteral("<table cellpadding=\"2\">");
  html += Row({Html("Certificate number:"),
               identity.number.empty() ? Html("not registered") : DetailHtml(identity.number)});
  html += DetailRow("Issue date:", identity.issueDate);
  if (!identity.replaces.empty()) {
    html += DetailRow("Replaces:", identity.replaceReason.empty()
                                       ? identity.replaces
                                       : identity.replaces + ": " + identity.replaceReason);
  }
  html += DetailRow("Client:", client.name);
  html += DetailRow("Client address:", client.address);
  return html + QStringLiteral("</table>");
}

QString SignatureLine(const char* label, const std::string& name) {
  return QStringLiteral("<p><br>%1 ______________________________%2</p>")
      .arg(Html(label), name.empty() ? QString() : QStringLiteral(" ") + DetailHtml(name));
}

PdfPageStyle CertificatePageStyle() {
  PdfPageStyle style;
  style.margins = QMarginsF(20, 15, 20, 15);
  style.resolution = kResolution;
  style.footerHeight = 11.43;  // 0.45 inches
  style.footerFont = WithoutLigatures(QFont(QStringLiteral("DejaVu Sans"), 7));
  style.rulePen = QPen(Qt::black);
  style.footerColor = Qt::black;
  style.footerTextTop = 0.1;
  return style;
}

CertificateIdentity IssuedIdentity(CertificateIdentity identity) {
  if (identity.issueDate.empty()) {
    if (const std::optional<LocalMoment> now = LocalMomentNow()) {
      identity.issueDate = now->date;
    }
  }
  return identity;
}

std::optional<QImage> ReadLogo(const LaboratoryDetails& laboratory, QString& reason) {
  if (laboratory.logoFile.empty()) {
    return QImage();
  }
  QImageReader reader(Text(laboratory.logoFile));
  QImage logo = reader.read();
  if (logo.isNull()) {
    reason = QStringLiteral("cannot read the logo '%1': %2")
                 .arg(Text(laboratory.logoFile), reader.errorString());
    return std::nullopt;
  }
  return logo;
}

std::optional<std::string> DrawPdf(
    const LaboratoryDetails& laboratory, const CertificateIdentity& identity,
    const std::function<bool(QIODevice& device, const CertificateIdentity& issued, QImage logo)>&
        write,
    QString& reason) {
  std::optional<QImage> logo = ReadLogo(laboratory, reason);
  if (!logo) {
    return std::nullopt;
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!write(buffer, IssuedIdentity(identity), std::move(*logo))) {
    reason = QStringLiteral("the PDF could not be drawn");
    return std::nullopt;
  }
  buffer.close();
  return bytes.toStdString();
}

bool SavePdf(const QString& path, const std::optional<std::string>& pdf, QString& reason) {
  return pdf && WriteDocumentFile(
                    path,
                    [&pdf](QIODevice& device) {
                      return device.write(pdf->data(), std::ssize(*pdf)) == std::ssize(*pdf);
                    },
                    reason);
}

}  // namespace mensuro::certificate_html
