#include "documents/calibration_certificate.h"

#include <QAbstractTextDocumentLayout>
#include <QCryptographicHash>
#include <QFont>
#include <QIODevice>
#include <QMarginsF>
#include <QPainter>
#include <QPen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/units.h"
#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"
#include "documents/document_file.h"
#include "documents/document_fonts.h"
#include "documents/paged_pdf.h"
#include "documents/report_numbers.h"
#include "documents/uncertainty_summary.h"
#include "resources/version_info.h"

namespace mensuro {
namespace {

constexpr int kResolution = 600;  // dots per inch of the PDF's page coordinates
constexpr int kPlotObjectType = QTextFormat::UserObject + 1;
constexpr double kPlotAspect = 1.0;         // width to height: the plot has a page of its own
constexpr double kPlotLayoutWidth = 650.0;  // lettering of the plot about as large as the text's
const QString kTitle = QStringLiteral("EDM Calibration Certificate");

QString Html(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toHtmlEscaped();
}

QString Html(const char* text) {
  return QString::fromUtf8(text).toHtmlEscaped();
}

QString Row(std::initializer_list<QString> cells, const char* tag = "td") {
  QString row = QStringLiteral("<tr>");
  for (const QString& cell : cells) {
    row += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), cell);
  }
  return row + QStringLiteral("</tr>");
}

// A table row whose cells from `firstNumber` on are numbers, aligned on the right.
QString NumberRow(std::initializer_list<QString> cells, int firstNumber) {
  QString row = QStringLiteral("<tr>");
  int column = 0;
  for (const QString& cell : cells) {
    row += column++ < firstNumber ? QStringLiteral("<td>%1</td>").arg(cell)
                                  : QStringLiteral("<td align=\"right\">%1</td>").arg(cell);
  }
  return row + QStringLiteral("</tr>");
}

const QString kGridTable =
    QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");

// The program's own texts, which are UTF-8.
QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QString Number(double value, int decimals) {
  return QString::fromStdString(FixedText(value, decimals));
}

// The verdict of one t-test in words.
QString Verdict(const char* error, bool passed, double t, double critical) {
  const QString comparison =
      QStringLiteral("|t| = %1 is %2 %3")
          .arg(Number(std::fabs(t), 4),
               passed ? QStringLiteral("less than") : QStringLiteral("greater than"),
               Number(critical, 4));
  return passed ? QStringLiteral(
                      "The %1 passes the t-test: %2, so it does not differ "
                      "significantly from zero.")
                      .arg(QLatin1String(error), comparison)
                : QStringLiteral(
                      "The %1 fails the t-test: %2, so it differs significantly "
                      "from zero.")
                      .arg(QLatin1String(error), comparison);
}

QString HeaderSections(const MeasurementHeader& header) {
  QString html = QStringLiteral("<h1>%1</h1>").arg(kTitle);
  html += QStringLiteral("<h3>Instrument and measurements</h3><table cellpadding=\"2\">");
  html += Row({Html("Instrument (EDM):"), Html(header.edmDescription)});
  html += Row({Html("Date of measurements:"), Html(header.date)});
  html += Row({Html("Time of measurements:"), Html(header.time)});
  html += Row({Html("Comment:"), Html(header.comment)});
  html += QStringLiteral("</table><h3>Baseline</h3><table cellpadding=\"2\">");
  html += Row({Html("Published baseline:"), Html(header.publishedSource)});
  html += Row({Html("Measured calibration file:"), Html(header.measuredFileName)});
  html += QStringLiteral("</table><h3>Specified accuracy of the instrument</h3>");
  html += QStringLiteral("<p>\u00b1 %1</p>")
              .arg(Text(MmPlusPpmText(header.constantError, header.ppmError)));
  return html;
}

QString ResultSection(const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  QString html = QStringLiteral("<h3>Results</h3>") + kGridTable;
  html += QStringLiteral("<thead>") +
          Row({QString(), Html("Value"), Html("Standard error"), Html("t-value")}, "th") +
          QStringLiteral("</thead>");
  html += NumberRow(
      {Html("Scale error"), Text(PpmText(result.scale)) + QStringLiteral(" ppm"),
       Text(PpmText(result.scaleStdError)) + QStringLiteral(" ppm"), Number(result.scaleT, 4)},
      1);
  html += NumberRow(
      {Html("Constant error"), Text(MillimetresText(result.constant)) + QStringLiteral(" mm"),
       Text(MillimetresText(result.constantStdError)) + QStringLiteral(" mm"),
       Number(result.constantT, 4)},
      1);
  html += QStringLiteral("</table>");
  html += QStringLiteral(
              "<p>Degrees of freedom: %1<br>Critical t-value at the 5 percent "
              "significance level: %2</p>")
              .arg(result.degreesOfFreedom)
              .arg(Number(result.criticalT, 4));
  html +=
      QStringLiteral("<p>%1</p><p>%2</p>")
          .arg(Verdict("scale error", analysis.scaleTestPassed, result.scaleT, result.criticalT),
               Verdict("constant error", analysis.constantTestPassed, result.constantT,
                       result.criticalT));
  return html;
}

QString PairSection(const CalibrationAnalysis& analysis) {
  // The header row is repeated on every page the table runs over.
  QString html = QStringLiteral("<h3>Station pairs</h3>") + kGridTable;
  html += QStringLiteral("<thead>") +
          Row({Html("From"), Html("To"), Html("P (m)"), Html("C (m)"), Html("n"), Html("s (mm)"),
               Html("Spread (mm)"), Html("d (mm)"), Html("Residual (mm)"), Html("Std. diff."),
               Html("Flag")},
              "th") +
          QStringLiteral("</thead>");
  for (const AdjustmentEntry& entry : analysis.entries) {
    // A pair measured once has no spread to show.
    const bool repeated = entry.observations > 1;
    html += NumberRow(
        {Html(entry.from), Html(entry.to), Number(entry.P, 4), Number(entry.C, 4),
         QString::number(entry.observations),
         repeated ? Number(entry.observationStdDev * kMillimetresPerMetre, 1) : QString(),
         repeated ? Number(entry.observationSpread * kMillimetresPerMetre, 1) : QString(),
         Text(MillimetresText(entry.d)), Text(MillimetresText(entry.r)),
         Number(entry.standardizedDifference, 1), entry.flagged ? QStringLiteral("*") : QString()},
        2);
  }
  html += QStringLiteral(
      "</table><p>P is the published distance and C the mean of the n observed distances; s is "
      "the standard deviation of one observation and the spread the largest minus the smallest "
      "observation. d = P \u2212 C. A flag (*) marks a difference of three times the specified "
      "accuracy or more.</p>");
  return html;
}

QString Paragraphs(const std::vector<std::string>& lines) {
  QString html;
  for (const std::string& line : lines) {
    html += QStringLiteral("<p>%1</p>").arg(Html(line));
  }
  return html;
}

// The correction at the table's distances with its expanded uncertainty, what the budget took
// into account, and the conformity statement when there is an acceptance limit.
QString UncertaintySection(const ProcessedCalibration& calibration) {
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  const UncertaintyInputs& inputs = calibration.conditions;
  const CorrectionUncertainty& budget = calibration.uncertainty;
  QString html = QStringLiteral("<h3>Uncertainty of the correction</h3>");
  html += QStringLiteral(
      "<p>IC(D) is the correction to add to a measured distance D, u its combined standard "
      "uncertainty (GUM) with its effective degrees of freedom (DOF, Welch-Satterthwaite), and "
      "U = k u its expanded uncertainty for a coverage probability of about 95 percent.</p>");
  html += QStringLiteral("<p>%1<br>").arg(Html(FitUncertaintyLine(analysis, budget)));
  for (const std::string& line : UncertaintyInputLines(inputs)) {
    html += Html(line) + QStringLiteral("<br>");
  }
  html += QStringLiteral("</p>") + kGridTable + QStringLiteral("<thead><tr>");
  for (const std::string& heading : CorrectionTableHeadings(inputs)) {
    html += QStringLiteral("<th>%1</th>").arg(Html(heading));
  }
  html += QStringLiteral("</tr></thead>");
  for (const std::vector<std::string>& cells : CorrectionTableCells(inputs, budget)) {
    html += QStringLiteral("<tr>");
    for (const std::string& cell : cells) {
      html += QStringLiteral("<td align=\"right\">%1</td>").arg(Html(cell));
    }
    html += QStringLiteral("</tr>");
  }
  html += QStringLiteral("</table>");
  html += Paragraphs(ConformityLines(inputs, budget));
  html += QStringLiteral("<h3>ISO 17123-4 full test</h3>");
  html += Paragraphs(FullTestLines(calibration.fullTest));
  return html;
}

QString ClosingSections(const ProcessedCalibration& calibration) {
  const CalibrationResult& result = calibration.run.analysis.result;
  QString html = QStringLiteral("<h3>Correction</h3>");
  html += QStringLiteral("<p>To a distance measured with this instrument, add %1.</p>")
              .arg(Text(CorrectionText(result.constant, result.scale)));
  html += UncertaintySection(calibration);
  html += QStringLiteral("<p><br>Calibrated by: ______________________________</p>");
  html += QStringLiteral("<p><br>Checked by: ______________________________</p>");
  html += QStringLiteral("<p><br>Date: ______________________________</p>");
  return html;
}

// Draws the calibration plot where the certificate's plot object stands.
class PlotObject final : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  PlotObject(CalibrationPlotData data, double width)
      : data_(std::move(data)), size_(width, width / kPlotAspect) {}

  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override { return size_; }
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                  const QTextFormat&) override {
    DrawCalibrationCharts(*painter, rect, data_, kPlotLayoutWidth);
  }

 private:
  CalibrationPlotData data_;
  QSizeF size_;
};

// A4 pages with room at the foot for three lines of 7 points: the program and the two hashes.
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

// "Mensuro 1.0.0.3": the program that wrote a certificate.
QString ProgramVersion() {
  const std::optional<VersionInfo> version = ReadVersionInfo();
  return version ? QString::fromStdString(version->productName + " " + version->productVersion)
                 : QStringLiteral("Mensuro");
}

bool WriteCertificate(QIODevice& device, const ProcessedCalibration& calibration) {
  const QString programVersion = ProgramVersion();
  PagedPdf pdf(device, CertificatePageStyle());
  pdf.writer().setTitle(kTitle);
  pdf.writer().setCreator(programVersion);
  const double width = pdf.bodySize().width();

  QTextDocument document;
  pdf.LayOutOnPages(document);
  document.setDefaultFont(WithoutLigatures(QFont(QStringLiteral("DejaVu Sans"), 9)));
  PlotObject plot(MakeCalibrationPlotData(calibration), width);
  document.documentLayout()->registerHandler(kPlotObjectType, &plot);

  const CalibrationAnalysis& analysis = calibration.run.analysis;
  document.setHtml(HeaderSections(calibration.header) + ResultSection(analysis) +
                   PairSection(analysis) +
                   QStringLiteral("<h3 style=\"page-break-before: always\">Calibration plot</h3>"));
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());  // the plot's own paragraph
  QTextCharFormat plotFormat;
  plotFormat.setObjectType(kPlotObjectType);
  cursor.insertText(QString(QChar::ObjectReplacementCharacter), plotFormat);
  cursor.insertHtml(ClosingSections(calibration));

  const QString footer =
      QStringLiteral("%1\nMeasured text SHA-256: %2\nPublished text SHA-256: %3")
          .arg(programVersion, QString::fromStdString(Sha256Hex(calibration.measuredText)),
               QString::fromStdString(Sha256Hex(calibration.publishedText)));
  return pdf.Print(document, footer);
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
  return QCryptographicHash::hash(QByteArrayView(bytes.data(), std::ssize(bytes)),
                                  QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

bool SaveCertificate(const QString& path, const ProcessedCalibration& calibration,
                     QString& reason) {
  return WriteDocumentFile(
      path, [&](QIODevice& device) { return WriteCertificate(device, calibration); }, reason);
}

}  // namespace mensuro

#include "calibration_certificate.moc"
