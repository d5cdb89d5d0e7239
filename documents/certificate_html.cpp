#include "documents/certificate_html.h"

#include <QDate>
#include <QImageReader>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "core/data/local_time.h"
#include "documents/document_fonts.h"
#include "documents/report_numbers.h"

namespace mensuro::certificate_html {
namespace {

constexpr double kLogoHeightMm = 15.0;
constexpr double kMillimetresPerInch = 25.4;

}  // namespace

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

}  // namespace mensuro::certificate_html
