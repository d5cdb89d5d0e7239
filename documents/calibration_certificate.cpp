#include "documents/calibration_certificate.h"

#include <fmt/format.h>

#include <QAbstractTextDocumentLayout>
#include <QDate>
#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <QMarginsF>
#include <QPainter>
#include <QPen>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/cyclic_error.h"
#include "core/analysis/cyclic_text.h"
#include "core/data/local_time.h"
#include "core/data/visible_text.h"
#include "core/equipment/equipment.h"
#include "core/units.h"
#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"
#include "documents/certificate_html.h"
#include "documents/document_fonts.h"
#include "documents/origin_text.h"
#include "documents/paged_pdf.h"
#include "documents/report_numbers.h"
#include "documents/uncertainty_summary.h"
#include "register/registered_figures.h"
#include "resources/version_info.h"

namespace mensuro {
namespace {

using namespace certificate_html;

constexpr int kPlotObjectType = QTextFormat::UserObject + 1;
constexpr double kPlotAspect = 1.0;         // width to height: the plot has a page of its own
constexpr double kPlotLayoutWidth = 650.0;  // lettering of the plot about as large as the text's
const QString kTitle = QStringLiteral("EDM Calibration Certificate");

// The most tables with column headings a certificate holds: the accepted warnings, the equipment
// used outside its validity, the results, the pairs, the cyclic error's harmonics and its
// constant and scale, the observations left out, the correction and the equipment. Their breaks
// are kept in the order the tables stand in, of those the certificate holds.
constexpr std::size_t kTableCount = 9;

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

// The published baseline by its name: a library baseline's, or a published file's name without
// its folders (the machine's folders say nothing of the baseline): the name of the published
// file read, else the source's own text with the folders of an absolute path dropped, a library
// baseline's name kept whole whatever it holds. Bytes of the name.
std::string BaselineName(const std::string& publishedSource, const CalibrationOrigin& origin) {
  for (const InputFile& file : origin.files) {
    if (file.role == "published") {
      return file.name;
    }
  }
  const bool absolute = publishedSource.starts_with('/') || publishedSource.starts_with('\\') ||
                        (publishedSource.size() > 2 && publishedSource[1] == ':' &&
                         (publishedSource[2] == '\\' || publishedSource[2] == '/'));
  const std::size_t folder = publishedSource.find_last_of("/\\");
  return absolute ? publishedSource.substr(folder + 1) : publishedSource;
}

// A file's role in words.
std::string InputRoleText(const std::string& role) {
  if (role == "field") {
    return "Field file";
  }
  if (role == "heights") {
    return "Heights file";
  }
  if (role == "published") {
    return "Published file";
  }
  return role == "measured" ? "Measured file" : role;
}

// The files the texts were read from, each by its name and the SHA-256 of its bytes as given,
// so that `sha256sum` of the file named gives the same; a sentence instead when the texts were
// typed, edited or loaded from the baseline library.
QString InputFileSection(const CalibrationOrigin& origin) {
  QString html = QStringLiteral("<h3>Input files</h3>");
  if (origin.files.empty()) {
    return html + QStringLiteral(
                      "<p>No input file is named: the texts processed were typed, edited or "
                      "taken from the baseline library, and are identified by the SHA-256 at the "
                      "foot of each page.</p>");
  }
  html += QStringLiteral("<table cellpadding=\"2\">");
  for (const InputFile& file : origin.files) {
    html += Row({Text(InputRoleText(file.role) + ":").toHtmlEscaped(),
                 QStringLiteral("%1<br>SHA-256: %2")
                     .arg(Text(file.name).toHtmlEscaped(), Text(file.sha256).toHtmlEscaped())});
  }
  return html + QStringLiteral(
                    "</table><p>Each file is named without its folder, with the SHA-256 of its "
                    "bytes as given. The SHA-256 at the foot of each page are those of the "
                    "measured and published texts as processed (a field file's observations as "
                    "reduced, header lines included).</p>");
}

// The kind as the certificate names it: "Thermometer", "Reference instrument".
QString KindText(EquipmentKind kind) {
  const std::string_view name = EquipmentKindName(kind);
  QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  text.replace(QLatin1Char('-'), QLatin1Char(' '));
  if (!text.isEmpty()) {
    text[0] = text[0].toUpper();
  }
  return text;
}

// An item by make, model and serial: "ACME T-100, serial 4711"; empty when none is given.
QString MakeModelSerialHtml(const AppliedEquipment& applied) {
  QStringList words;
  for (const std::string* word : {&applied.make, &applied.model}) {
    if (!word->empty()) {
      words << DetailHtml(*word);
    }
  }
  QString html = words.join(QLatin1Char(' '));
  if (!applied.serial.empty()) {
    html += (html.isEmpty() ? QStringLiteral("serial ") : QStringLiteral(", serial ")) +
            DetailHtml(applied.serial);
  }
  return html;
}

// An item by its kind, make, model and serial: "Thermometer ACME T-100, serial 4711".
QString ItemHtml(const AppliedEquipment& applied) {
  const QString named = MakeModelSerialHtml(applied);
  return named.isEmpty() ? KindText(applied.kind).toHtmlEscaped()
                         : KindText(applied.kind).toHtmlEscaped() + QLatin1Char(' ') + named;
}

// An item's certificate in one line: "DKD-K-1234, issued by Calibration Service, calibrated
// 2026-01-10, valid until 2027-01-09", each part left out when not given.
QString EquipmentCertificateHtml(const EquipmentCertificate& certificate) {
  QStringList parts;
  if (!certificate.number.empty()) {
    parts << DetailHtml(certificate.number);
  }
  if (!certificate.issuedBy.empty()) {
    parts << QStringLiteral("issued by ") + DetailHtml(certificate.issuedBy);
  }
  if (!certificate.date.empty()) {
    parts << QStringLiteral("calibrated ") + DetailHtml(certificate.date);
  }
  if (!certificate.validUntil.empty()) {
    parts << QStringLiteral("valid until ") + DetailHtml(certificate.validUntil);
  }
  return parts.join(QStringLiteral(", "));
}

// A baseline's uncertainty as the budget states it, or as its certificate wrote it when that
// does not read as one.
std::string BaselineUncertaintyOf(const std::string& given) {
  std::string reason;
  const std::optional<BaselineUncertainty> read = ParseBaselineUncertainty(given, reason);
  return read ? BaselineUncertaintyText(*read) : given;
}

// The figures of an item's certificate the calibration applied, in the kind's unit.
QString AppliedFiguresHtml(const AppliedEquipment& applied) {
  const EquipmentCertificate& c = applied.certificate;
  const std::string_view unit = CorrectionUnit(applied.kind);
  std::string text;
  if (IsSensor(applied.kind)) {
    text = fmt::format("correction {:+} {}, u = {} {}", c.correction, unit, c.standardUncertainty,
                       unit);
  } else if (applied.kind == EquipmentKind::kReflector) {
    text = fmt::format("prism constant {} mm, u = {} mm", PrismConstantText(c.correction),
                       c.standardUncertainty);
  } else if (applied.kind == EquipmentKind::kReferenceInstrument) {
    text =
        fmt::format("scale correction {:+} ppm, U = {} ppm; constant correction {:+} mm, U = {} mm",
                    c.scalePpm, c.scaleUncertaintyPpm, c.constantMm, c.constantUncertaintyMm);
  } else {
    text = BaselineUncertaintyOf(c.baselineUncertainty);
  }
  return text.empty() ? QStringLiteral("\u2013") : Text(text).toHtmlEscaped();
}

// A cell's text, a dash when it is not given.
QString CellHtml(const std::string& utf8) {
  return utf8.empty() ? QStringLiteral("\u2013") : DetailHtml(utf8);
}

// The baseline's certificate when the register names the baseline: the certificate applied
// (number, issuer, dates), its certificate text, and the text the laboratory gave where it says
// something else.
QString BaselineItemRows(const AppliedEquipment& baseline, const std::string& given) {
  const EquipmentCertificate& c = baseline.certificate;
  QStringList certificate;
  if (const QString applied = EquipmentCertificateHtml(c); !applied.isEmpty()) {
    certificate << applied;
  }
  if (!c.baselineCertificate.empty()) {
    certificate << DetailHtml(c.baselineCertificate);
  }
  if (!given.empty() && given != c.baselineCertificate) {
    certificate << DetailHtml(given);
  }
  QString rows;
  if (!certificate.isEmpty()) {
    rows += Row({Html("Baseline certificate:"), certificate.join(QStringLiteral("<br>"))});
  }
  if (const QString named = MakeModelSerialHtml(baseline); !named.isEmpty()) {
    rows += Row({Html("Baseline item:"), named});
  }
  if (!c.baselineUncertainty.empty()) {
    rows += Row({Html("Baseline uncertainty:"),
                 Text(BaselineUncertaintyOf(c.baselineUncertainty)).toHtmlEscaped()});
  }
  return rows;
}

const AppliedEquipment* BaselineItem(const std::vector<AppliedEquipment>& equipment) {
  const auto found = std::find_if(equipment.begin(), equipment.end(), [](const auto& applied) {
    return applied.kind == EquipmentKind::kBaseline;
  });
  return found == equipment.end() ? nullptr : &*found;
}

bool AnyAccepted(const std::vector<AppliedEquipment>& equipment) {
  return std::any_of(equipment.begin(), equipment.end(),
                     [](const auto& applied) { return !applied.acceptedReason.empty(); });
}

// The items used although their certificates were not valid on the date of measurement, with
// their dates and the reason the laboratory gave, listed as the accepted warnings are.
QString AcceptedEquipmentSection(const std::vector<AppliedEquipment>& equipment,
                                 const std::string& measurementDate, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const AppliedEquipment& applied : equipment) {
    if (!applied.acceptedReason.empty()) {
      const EquipmentCertificate& c = applied.certificate;
      rows.push_back(Row({ItemHtml(applied), CellHtml(c.number), CellHtml(c.date),
                          CellHtml(c.validUntil), DetailHtml(applied.acceptedReason)}));
    }
  }
  QString html = GridTable(
      QStringLiteral("Equipment used outside its certificate's validity"),
      (rows.size() == 1
           ? QStringLiteral("<p>The certificate of this item was not valid on the date of "
                            "measurement%1. The laboratory used it for the reason given; its "
                            "figures were applied as certified.</p>")
           : QStringLiteral("<p>The certificates of these items were not valid on the date of "
                            "measurement%1. The laboratory used them for the reason given; their "
                            "figures were applied as certified.</p>"))
          .arg(measurementDate.empty() ? QString() : QStringLiteral(", ") + Html(measurementDate)),
      Row({Html("Item"), Html("Certificate"), Html("Calibrated"), Html("Valid until"),
           Html("Reason")},
          "th"),
      rows, breaks);
  return html + QStringLiteral(
                    "<p>Item: its kind, make, model and serial. Certificate: the number of the "
                    "certificate applied. Calibrated: its date of calibration. Valid until: its "
                    "last valid day. Reason: why the laboratory used it, as it gave it.</p>");
}

// Every item but the baseline (which the baseline's statement names) with the certificate of its
// own calibration and the figures of it the calibration applied; nothing without one.
QString EquipmentSection(const std::vector<AppliedEquipment>& equipment,
                         const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const AppliedEquipment& applied : equipment) {
    if (applied.kind != EquipmentKind::kBaseline) {
      const EquipmentCertificate& c = applied.certificate;
      rows.push_back(Row({ItemHtml(applied), CellHtml(c.number), CellHtml(c.issuedBy),
                          CellHtml(c.date), CellHtml(c.validUntil), AppliedFiguresHtml(applied)}));
    }
  }
  if (rows.empty()) {
    return {};
  }
  QString html = GridTable(
      QStringLiteral("Equipment"),
      QStringLiteral("<p>The equipment of this calibration with the certificate of its own "
                     "calibration valid on the date of measurement%1.</p>")
          .arg(AnyAccepted(equipment)
                   ? QStringLiteral(", but for those listed as used outside their validity")
                   : QString()),
      Row({Html("Item"), Html("Certificate"), Html("Issued by"), Html("Calibrated"),
           Html("Valid until"), Html("Applied")},
          "th"),
      rows, breaks);
  return html + QStringLiteral(
                    "<p>Item: its kind, make, model and serial. Certificate: the number of the "
                    "certificate of its calibration, issued by the body named. Calibrated: its "
                    "date of calibration. Valid until: its last valid day. Applied: the figures "
                    "of the certificate this calibration used: a sensor's correction, added to "
                    "each of its readings, and its standard uncertainty u, which enters the "
                    "budget; a reflector's prism constant with u; a reference instrument's "
                    "corrections with their expanded uncertainties U.</p>");
}

QString HeaderSections(const MeasurementHeader& header, const CalibrationOrigin& origin,
                       const std::vector<AppliedEquipment>& equipment,
                       const CertificateDetails& details, const CertificateIdentity& identity,
                       const QImage& logo) {
  QString html = LaboratoryBlock(details.laboratory, logo);
  html += QStringLiteral("<h1>%1</h1>").arg(kTitle);
  html += IdentityTable(identity, details.client);
  QString rows = BytesRow("Instrument (EDM):", header.edmDescription);
  rows += DetailRow("Instrument make:", details.instrument.make);
  rows += DetailRow("Instrument model:", details.instrument.model);
  rows += DetailRow("Serial number:", details.instrument.serialNumber);
  rows += DetailRow("Reflector make:", details.reflector.make);
  rows += DetailRow("Reflector model:", details.reflector.model);
  if (details.reflector.prismConstantMm) {
    rows +=
        DetailRow("Prism constant:", PrismConstantText(*details.reflector.prismConstantMm) + " mm");
  }
  rows += BytesRow("Date of measurements:", IsoDateText(header.date));
  rows += BytesRow("Time of measurements:", header.time);
  rows += BytesRow("Comment:", header.comment);
  rows += DetailRow("Measured by:", details.measuredBy);
  rows += DetailRow("Checked by:", details.checkedBy);
  // A section whose details were all left out says so rather than stand empty.
  html += QStringLiteral("<h3>Instrument and measurements</h3>");
  html += rows.isEmpty() ? QStringLiteral(
                               "<p>No details of the instrument or the measurements "
                               "were given.</p>")
                         : QStringLiteral("<table cellpadding=\"2\">%1</table>").arg(rows);
  html += QStringLiteral("<h3>Baseline</h3><table cellpadding=\"2\">");
  const std::string baseline = BaselineName(header.publishedSource, origin);
  html += BytesRow("Published baseline:", baseline);
  if (!baseline.empty()) {
    html += Row({Html("Place of calibration:"),
                 details.baselineSite.empty()
                     ? Html(baseline)
                     : Html(baseline) + QStringLiteral(", ") + DetailHtml(details.baselineSite)});
  }
  // A baseline the register names states its certificate in place of the text given alone.
  const AppliedEquipment* const baselineItem = BaselineItem(equipment);
  html += baselineItem == nullptr ? DetailRow("Baseline certificate:", details.baselineCertificate)
                                  : BaselineItemRows(*baselineItem, details.baselineCertificate);
  html += Row({Html("Published distances:"), Text(PublishedDistancesText(origin)).toHtmlEscaped()});
  html += QStringLiteral("</table>");
  html += InputFileSection(origin);
  html += QStringLiteral("<h3>Specified accuracy of the instrument</h3>");
  html += QStringLiteral("<p>\u00b1 %1</p>")
              .arg(Text(MmPlusPpmText(header.constantError, header.ppmError)));
  return html;
}

// How the measured text was reduced from the field file, one statement a row.
// A heights file is named as the input files are, without its folders.
QString ReductionSection(ReductionSummary summary) {
  constexpr std::string_view kHeightsFile = "heights file ";
  if (std::string& source = summary.heightsSource; source.starts_with(kHeightsFile)) {
    const std::size_t folder = source.find_last_of("/\\");
    if (folder != std::string::npos && folder >= kHeightsFile.size()) {
      source = std::string(kHeightsFile) + source.substr(folder + 1);
    }
  }
  QString html = QStringLiteral("<h3>%1</h3><table cellpadding=\"2\">")
                     .arg(QString::fromUtf8(kReductionHeading).toHtmlEscaped());
  for (const SummaryLine& line : ReductionSummaryLines(summary)) {
    html += Row({Text(line.label + ":").toHtmlEscaped(), Text(line.value).toHtmlEscaped()});
  }
  return html + QStringLiteral("</table>");
}

QString ResultSection(const CalibrationAnalysis& analysis, const TableBreaks& breaks) {
  const CalibrationResult& result = analysis.result;
  const std::vector<QString> rows = {
      NumberRow(
          {Html("Scale correction"), Text(PpmText(result.scale)) + QStringLiteral(" ppm"),
           Text(PpmText(result.scaleStdError)) + QStringLiteral(" ppm"), Number(result.scaleT, 4)},
          1),
      NumberRow({Html("Constant correction"),
                 Text(MillimetresText(result.constant)) + QStringLiteral(" mm"),
                 Text(MillimetresText(result.constantStdError)) + QStringLiteral(" mm"),
                 Number(result.constantT, 4)},
                1)};
  QString html = GridTable(
      QStringLiteral("Results"), QString(),
      Row({QString(), Html("Value"), Html("Standard error"), Html("t-value")}, "th"), rows, breaks);
  html += QStringLiteral(
      "<p>Value: the correction found by the least-squares fit, to be added to a measured "
      "distance. Standard error: its standard uncertainty from the scatter about the fit. "
      "t-value: the value divided by its standard error.</p>");
  // The instrument's own errors are what the corrections put right: the opposite sign.
  html += QStringLiteral(
              "<p>The instrument's error is the correction with the opposite sign: its scale "
              "error is %1 ppm and its constant error %2 mm.</p>")
              .arg(Text(PpmText(-result.scale)), Text(MillimetresText(-result.constant)));
  html += QStringLiteral(
              "<p>Degrees of freedom: %1<br>Critical t-value at the 5 percent "
              "significance level: %2</p>")
              .arg(result.degreesOfFreedom)
              .arg(Number(result.criticalT, 4));
  html += QStringLiteral("<p>%1</p><p>%2</p>")
              .arg(Verdict("scale correction", analysis.scaleTestPassed, result.scaleT,
                           result.criticalT),
                   Verdict("constant correction", analysis.constantTestPassed, result.constantT,
                           result.criticalT));
  return html;
}

QString PairSection(const CalibrationAnalysis& analysis, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const AdjustmentEntry& entry : analysis.entries) {
    // A pair measured once has no spread to show: a dash, not an empty cell.
    const bool repeated = entry.observations > 1;
    const QString none = QStringLiteral("\u2013");
    rows.push_back(NumberRow(
        {Html(entry.from), Html(entry.to), Number(entry.P, 4), Number(entry.C, 4),
         QString::number(entry.observations),
         repeated ? Number(entry.observationStdDev * kMillimetresPerMetre, 1) : none,
         repeated ? Number(entry.observationSpread * kMillimetresPerMetre, 1) : none,
         Text(MillimetresText(entry.d)), Text(MillimetresText(entry.r)),
         Number(entry.standardizedDifference, 1), entry.flagged ? QStringLiteral("*") : QString()},
        2));
  }
  // The column headings are repeated on every page the table runs over.
  QString html = GridTable(QStringLiteral("Station pairs"), QString(),
                           Row({Html("From"), Html("To"), Html("P (m)"), Html("C (m)"), Html("n"),
                                Html("s (mm)"), Html("Spread (mm)"), Html("d (mm)"),
                                Html("Residual (mm)"), Html("Std. diff."), Html("Flag")},
                               "th"),
                           rows, breaks);
  html += QStringLiteral(
      "<p>P is the published distance and C the mean of the n observed distances; s is "
      "the standard deviation of one observation and the spread the largest minus the smallest "
      "observation (\u2013 for a pair observed once). d = P \u2212 C. Residual: d less the "
      "correction the fit gives at the pair's "
      "distance. Std. diff.: |d| in units of the instrument's specified accuracy at the pair's "
      "distance. A flag (*) marks a difference of three times the specified accuracy or more.</p>");
  return html;
}

// "F-A", as the plot names a pair.
QString PairText(const AdjustmentEntry& entry) {
  return Html(entry.from) + QStringLiteral("-") + Html(entry.to);
}

// What the outlier test tested, at which level and against which limit, and its outliers; or
// why it was not made.
QString OutlierSection(const CalibrationAnalysis& analysis, const OutlierTest& test) {
  QString html = QStringLiteral("<h3>Outlier test</h3>");
  if (!test.applicable) {
    return html + QStringLiteral("<p>Not applicable: %1.</p>").arg(Html(test.reason));
  }
  const std::size_t pairs = test.pairs.size();
  html += QStringLiteral(
              "<p>Each station pair's residual was compared with the scatter of the other pairs "
              "about the line fitted without it (its externally studentized residual t). The test "
              "is made at the %1 percent level for all %2 pairs together, which is %3 percent "
              "for each pair; t has %4 degrees of freedom. A pair is an outlier when |t| is "
              "greater than %5.</p>")
              .arg(Number(100.0 * test.alpha, 0))
              .arg(pairs)
              .arg(Number(100.0 * test.alphaEach, 3))
              .arg(test.degreesOfFreedom)
              .arg(Number(test.critical, 2));
  if (test.outliers == 0) {
    return html + QStringLiteral("<p>No pair is an outlier.</p>");
  }
  html += test.outliers == 1 ? QStringLiteral("<p>One pair is an outlier:")
                             : QStringLiteral("<p>%1 pairs are outliers:").arg(test.outliers);
  for (std::size_t j = 0; j < pairs && j < analysis.entries.size(); ++j) {
    if (test.pairs[j].outlier) {
      html += QStringLiteral("<br>%1: t = %2")
                  .arg(PairText(analysis.entries[j]), Number(test.pairs[j].studentizedResidual, 2));
    }
  }
  return html + QStringLiteral("</p>");
}

// A statement of the program's own words as a sentence of its own: its first letter capital.
QString Sentence(const std::string& utf8) {
  QString text = Text(utf8);
  if (!text.isEmpty()) {
    text[0] = text[0].toUpper();
  }
  return text.toHtmlEscaped();
}

// The unit length and the harmonics asked for: "U = 5.000 m, 1 harmonic".
QString UnitLengthText(const CyclicSettings& settings) {
  return QStringLiteral("%1, %2 %3")
      .arg(Text(CyclicUnitLengthText(settings.unitLength)))
      .arg(settings.harmonics)
      .arg(settings.harmonics == 1 ? QStringLiteral("harmonic") : QStringLiteral("harmonics"));
}

// A row of the constant or the scale: its value and standard error in the plain fit and in the
// model with the cyclic terms, each as `text` writes it followed by `unit`.
QString JointRow(const char* name, std::string (*text)(double), const char* unit,
                 std::initializer_list<double> values) {
  QStringList cells;
  for (const double value : values) {
    cells << Text(text(value)) + QLatin1Char(' ') + QLatin1String(unit);
  }
  return NumberRow({Html(name), cells[0], cells[1], cells[2], cells[3]}, 1);
}

// The cyclic error estimated with the constant and scale: each harmonic's amplitude, phase and
// F test, the verdict, a weak design's warning, and the constant and scale of that model beside
// the plain fit's. When the terms are not estimable, why. `harmonicBreaks` and `jointBreaks`
// are the breaks of its two tables.
QString CyclicSection(const CalibrationResult& result, const CyclicAnalysis& cyclic,
                      const TableBreaks& harmonicBreaks, const TableBreaks& jointBreaks) {
  const QString unit =
      QStringLiteral("<p>Unit length %1.</p>").arg(UnitLengthText(cyclic.settings));
  if (!cyclic.estimable) {
    return QStringLiteral("<h3>Cyclic error</h3>") + unit +
           QStringLiteral("<p><b>%1.</b></p>").arg(Sentence(CyclicVerdictText(cyclic)));
  }
  const QString intro =
      unit +
      QStringLiteral(
          "<p>The short-periodic error of the instrument's unit length U was estimated together "
          "with the constant and scale from the %1 station pairs of the fit: d = c + s P + "
          "\u03a3<sub>h</sub> [A<sub>h</sub> sin(2\u03c0h D/U) + B<sub>h</sub> cos(2\u03c0h "
          "D/U)], D the mean observed distance of a pair. Degrees of freedom: %2; standard "
          "deviation of unit weight s<sub>0</sub> = %3 mm.</p>")
          .arg(cyclic.fractions.size())
          .arg(cyclic.degreesOfFreedom)
          .arg(Number(cyclic.s0 * kMillimetresPerMetre, 2));
  std::vector<QString> rows;
  for (const CyclicHarmonic& harmonic : cyclic.harmonics) {
    rows.push_back(NumberRow(
        {QString::number(harmonic.order), Text(CyclicAmplitudeText(harmonic)).toHtmlEscaped(),
         Text(CyclicPhaseText(harmonic)).toHtmlEscaped(),
         Text(CyclicTestText(harmonic)).toHtmlEscaped()},
        1));
  }
  QString html =
      GridTable(QStringLiteral("Cyclic error"), intro,
                Row({Html("Harmonic"), Html("Amplitude"), Html("Phase"), Html("F test")}, "th"),
                rows, harmonicBreaks);
  html += QStringLiteral(
              "<p>Amplitude a<sub>h</sub> = \u221a(A<sub>h</sub>\u00b2 + B<sub>h</sub>\u00b2) and "
              "phase \u03c6<sub>h</sub> = atan2(B<sub>h</sub>, A<sub>h</sub>), with their standard "
              "errors: the harmonic adds a<sub>h</sub> sin(2\u03c0h D/U + \u03c6<sub>h</sub>) to "
              "the correction. F test: how much the harmonic reduces the scatter about the fit, "
              "against F at the %1 percent level for 2 and %2 degrees of freedom.</p>")
              .arg(Number(100.0 * kCyclicTestLevel, 0))
              .arg(cyclic.degreesOfFreedom);
  html += QStringLiteral("<p><b>%1.</b></p>").arg(Sentence(CyclicVerdictText(cyclic)));
  if (!cyclic.warning.empty()) {
    html += QStringLiteral("<p>Design warning: %1.</p>").arg(Text(cyclic.warning).toHtmlEscaped());
  }
  const std::vector<QString> joint = {
      JointRow(
          "Constant correction", MillimetresText, "mm",
          {result.constant, result.constantStdError, cyclic.constant, cyclic.constantStdError}),
      JointRow("Scale correction", PpmText, "ppm",
               {result.scale, result.scaleStdError, cyclic.scale, cyclic.scaleStdError})};
  html += GridTable(QStringLiteral("Constant and scale with the cyclic error"), QString(),
                    Row({QString(), Html("Plain fit"), Html("Standard error"),
                         Html("With cyclic error"), Html("Standard error")},
                        "th"),
                    joint, jointBreaks);
  return html + QStringLiteral(
                    "<p>Plain fit: the results above, which this certificate states. With cyclic "
                    "error: the same corrections estimated together with the cyclic terms.</p>");
}

// Each exclusion with its reason and the observations it left out, each with its line in the
// surveyor's own file, and how many of all were left out together.
QString ExclusionSection(const ProcessedCalibration& calibration, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const AppliedExclusion& applied : ExclusionsInFileLines(calibration)) {
    QStringList observations;
    for (const ExcludedObservation& observation : applied.observations) {
      observations << QStringLiteral("%1-%2 %3 m (line %4)")
                          .arg(Html(VisibleText(observation.from)),
                               Html(VisibleText(observation.to)), Number(observation.distance, 4))
                          .arg(observation.line);
    }
    rows.push_back(NumberRow(
        {Html(DescribeExclusion(applied.exclusion)), Html(VisibleText(applied.exclusion.reason)),
         observations.join(QStringLiteral("<br>")), QString::number(applied.lines.size())},
        3));
  }
  const bool reduced = !calibration.origin.fileLines.empty();
  QString html = GridTable(
      QStringLiteral("Observations left out"),
      QStringLiteral("<p>These observations were left out of the fit at the surveyor's request; "
                     "the results, the station pairs, the outlier test and the uncertainty are "
                     "those of the observations kept. %1</p>")
          .arg(reduced ? QStringLiteral("Lines are those of the field file; distances are as "
                                        "reduced.")
                       : QStringLiteral("Lines are those of the measured text.")),
      Row({Html("Left out"), Html("Reason"), Html("Observations"), Html("Count")}, "th"), rows,
      breaks);
  html += QStringLiteral(
      "<p>Left out: what the surveyor asked to leave out, a station pair or a line. Reason: as "
      "the surveyor gave it. Observations: each observation it left out, its stations, distance "
      "and line. Count: how many observations it left out.</p>");
  const std::size_t left = ExcludedObservationCount(calibration.exclusions);
  const std::size_t kept = CountRecords(calibration.run.records);
  return html + QStringLiteral("<p>%1 of %2 observations %3 left out of the fit.</p>")
                    .arg(left)
                    .arg(left + kept)
                    .arg(left == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

// The warnings of a probably misread line and the outliers that stood when the certificate was
// issued: the certificate is issued with them only when they were accepted.
QString WarningSection(const CertificateObstacles& obstacles, const CalibrationOrigin& origin,
                       const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const InputNotice& warning : obstacles.listed) {
    // The line number alone is a number, aligned on the right; none for the header as given.
    rows.push_back(
        QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td><td>%3</td><td>%4</td></tr>")
            .arg(Text(std::string(InputTextName(warning.where.text))),
                 warning.where.line == 0
                     ? QStringLiteral("\u2013")
                     : QString::number(warning.where.text == InputText::kMeasured
                                           ? FileLineOf(origin, warning.where.line)
                                           : warning.where.line),
                 Html(VisibleText(warning.content)), Html(VisibleText(warning.reason))));
  }
  QString what = QStringLiteral("These lines of the texts were probably read otherwise than meant");
  if (obstacles.outliers > 0 && obstacles.misread()) {
    what += QStringLiteral(
        ", or are the first observation of a station pair that the outlier "
        "test finds an outlier, kept in the fit");
  } else if (obstacles.outliers > 0) {
    what = QStringLiteral(
        "These station pairs, each at its first observation, are outliers of "
        "the outlier test and were kept in the fit");
  }
  QString html = GridTable(
      QStringLiteral("Accepted warnings"),
      QStringLiteral("<p>%1. The warnings were accepted when this certificate was issued; the "
                     "results are those of the texts as read.</p>")
          .arg(what),
      Row({Html("Text"), Html("Line"), Html("As written"), Html("Warning")}, "th"), rows, breaks);
  html += QStringLiteral(
      "<p>Text: the measured or the published text. Line: the line of its file (\u2013 for the "
      "header as given). As written: the line's content. Warning: what was found in it.</p>");
  if (obstacles.unlisted > 0) {
    html += QStringLiteral("<p>%1 more such %2 not listed.</p>")
                .arg(obstacles.unlisted)
                .arg(obstacles.unlisted == 1 ? QStringLiteral("warning is")
                                             : QStringLiteral("warnings are"));
  }
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
QString UncertaintySection(const ProcessedCalibration& calibration, const TableBreaks& breaks) {
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  const UncertaintyInputs& inputs = calibration.conditions;
  const CorrectionUncertainty& budget = calibration.uncertainty;
  QString intro = QStringLiteral(
      "<p>IC(D) is the correction to add to a measured distance D, u its combined standard "
      "uncertainty (GUM) with its effective degrees of freedom (DOF, Welch-Satterthwaite), k the "
      "coverage factor and U = k u its expanded uncertainty for a coverage probability of about "
      "95 percent.%1</p>");
  intro = intro.arg(inputs.acceptance
                        ? QStringLiteral(" Conformity: the statement at that distance under "
                                         "the decision rule below.")
                        : QString());
  intro += QStringLiteral("<p>%1<br>").arg(Html(FitUncertaintyLine(analysis, budget)));
  for (const std::string& line : UncertaintyInputLines(inputs, budget.baselinePairs)) {
    intro += Html(line) + QStringLiteral("<br>");
  }
  intro += QStringLiteral("</p>");
  QString head = QStringLiteral("<tr>");
  for (const std::string& heading : CorrectionTableHeadings(inputs)) {
    head += QStringLiteral("<th>%1</th>").arg(Html(heading));
  }
  head += QStringLiteral("</tr>");
  std::vector<QString> rows;
  for (const std::vector<std::string>& cells : CorrectionTableCells(inputs, budget)) {
    QString row = QStringLiteral("<tr>");
    for (const std::string& cell : cells) {
      row += QStringLiteral("<td align=\"right\">%1</td>").arg(Html(cell));
    }
    rows.push_back(row + QStringLiteral("</tr>"));
  }
  QString html =
      GridTable(QStringLiteral("Uncertainty of the correction"), intro, head, rows, breaks);
  html += Paragraphs(ConformityLines(inputs, budget));
  html += QStringLiteral("<h3>ISO 17123-4 full test</h3>");
  html += Paragraphs(FullTestLines(calibration.fullTest));
  return html;
}

// The corrections stated as corrections, with the expanded uncertainties the register lists, and
// what the uncertainties leave out.
QString CorrectionSection(const ProcessedCalibration& calibration) {
  const CalibrationResult& result = calibration.run.analysis.result;
  const RegisteredResults figures = RegisteredResultsOf(calibration);
  QString html = QStringLiteral("<h3>Correction</h3>");
  html += QStringLiteral(
              "<p>The scale correction is %1 ppm and the constant correction %2 mm: to a distance "
              "measured with this instrument, add %3.</p>")
              .arg(Text(PpmText(result.scale)), Text(MillimetresText(result.constant)),
                   Text(CorrectionText(result.constant, result.scale)));
  html += QStringLiteral(
              "<p>Constant correction: %1 mm (U, 95 %)<br>Scale correction: %2 ppm (U, 95 %)"
              "</p>")
              .arg(Text(ConstantText(figures)).toHtmlEscaped(),
                   Text(ScaleText(figures)).toHtmlEscaped());
  if (!calibration.conditions.baseline) {
    html += QStringLiteral(
        "<p>The uncertainty of the baseline's published distances was not given: the "
        "uncertainties on this certificate leave it out.</p>");
  }
  return html;
}

// What the results relate to, what they are traceable through, the method and the place.
QString StatementSection(const ProcessedCalibration& calibration,
                         const CertificateDetails& details) {
  QString html = QStringLiteral("<h3>Statements</h3>");
  html += QStringLiteral(
      "<p>The results on this certificate relate only to the instrument calibrated, identified "
      "above, with the reflector stated, at the time of the calibration.</p>");
  const std::vector<AppliedEquipment>& equipment = calibration.conditions.equipment;
  const AppliedEquipment* const baselineItem = BaselineItem(equipment);
  const QString baselineCertificate = baselineItem != nullptr
                                          ? EquipmentCertificateHtml(baselineItem->certificate)
                                          : DetailHtml(details.baselineCertificate);
  html += baselineCertificate.isEmpty()
              ? QStringLiteral(
                    "<p>Traceability: the distances are traceable through the calibration of the "
                    "baseline, whose certificate is not stated here.")
              : QStringLiteral(
                    "<p>Traceability: the distances are traceable through the baseline's own "
                    "certificate, %1.")
                    .arg(baselineCertificate);
  const bool sensorItems = std::any_of(equipment.begin(), equipment.end(),
                                       [](const auto& applied) { return IsSensor(applied.kind); });
  const bool otherItems = std::any_of(equipment.begin(), equipment.end(), [](const auto& applied) {
    return !IsSensor(applied.kind) && applied.kind != EquipmentKind::kBaseline;
  });
  if (sensorItems) {
    html += QStringLiteral(
        " The temperature, pressure and humidity are traceable through the certificates of the "
        "sensors that measured them, listed under Equipment below.");
  } else {
    html += calibration.conditions.sensors
                ? QStringLiteral(
                      " The temperature and pressure are traceable through the calibration of "
                      "the sensors that measured them, as the calibration conditions record it.")
                : QStringLiteral(
                      " The calibration conditions record no calibration of the temperature and "
                      "pressure sensors.");
  }
  if (otherItems) {
    html += QStringLiteral(
        " The other equipment used is traceable through its certificates, listed under Equipment "
        "below.");
  }
  html += QStringLiteral("</p><p>Method: %1.</p>")
              .arg(DetailHtml(details.procedure.empty() ? std::string(kDefaultProcedure)
                                                        : details.procedure));
  // The interval is the laboratory's, and the date goes on the certificate only where the client
  // agreed to it.
  if (!details.dueDate.empty()) {
    html += QStringLiteral(
                "<p>Next calibration due: %1<br>The due date is stated at the client's request, "
                "from the laboratory's calibration interval; it is not a result of this "
                "calibration.</p>")
                .arg(DetailHtml(details.dueDate));
  }
  return html;
}

// `breaks` of the correction's table, then of the equipment's.
QString ClosingSections(const ProcessedCalibration& calibration, const CertificateDetails& details,
                        const CertificateIdentity& identity, const TableBreaks& correctionBreaks,
                        const TableBreaks& equipmentBreaks) {
  QString html = CorrectionSection(calibration);
  html += UncertaintySection(calibration, correctionBreaks);
  html += StatementSection(calibration, details);
  html += EquipmentSection(calibration.conditions.equipment, equipmentBreaks);
  if (!identity.recordSha256.empty()) {
    html +=
        QStringLiteral("<p>Register record SHA-256: %1</p>").arg(DetailHtml(identity.recordSha256));
  }
  html += details.measuredBy.empty() ? SignatureLine("Calibrated by:", {})
                                     : SignatureLine("Measured by:", details.measuredBy);
  html += SignatureLine("Checked by:", details.checkedBy);
  html += SignatureLine("Date (YYYY-MM-DD):", {});
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

// The plot as the certificate shows it: its title ends in the date of the measurements, which
// the certificate writes as ISO 8601 like every other date.
CalibrationPlotData CertificatePlotData(const ProcessedCalibration& calibration) {
  CalibrationPlotData data = MakeCalibrationPlotData(calibration);
  const std::string& date = calibration.header.date;
  if (!date.empty() && data.title.ends_with(date)) {
    data.title.replace(data.title.size() - date.size(), date.size(), IsoDateText(date));
  }
  return data;
}

// The certificate's text, its tables split and its headings put on new pages where `breaks`
// says.
// What a certificate shows besides the calibration.
struct CertificateFrame {
  const CertificateDetails& details;
  const CertificateIdentity& identity;  // its issue date given
  QImage logo;                          // null: none
};

void FillCertificate(QTextDocument& document, const ProcessedCalibration& calibration,
                     const CertificateFrame& frame, const CertificateBreaks& breaks) {
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  std::size_t table = 0;  // the breaks of the next table with column headings
  if (!frame.logo.isNull()) {
    document.addResource(QTextDocument::ImageResource, kLogoName, frame.logo);
  }
  const std::vector<AppliedEquipment>& equipment = calibration.conditions.equipment;
  QString html = HeaderSections(calibration.header, calibration.origin, equipment, frame.details,
                                frame.identity, frame.logo);
  if (calibration.origin.reduction) {
    html += ReductionSection(*calibration.origin.reduction);
  }
  if (const CertificateObstacles obstacles = FindCertificateObstacles(calibration);
      !obstacles.empty()) {
    html += WarningSection(obstacles, calibration.origin, breaks.tables[table++]);
  }
  if (AnyAccepted(equipment)) {
    html += AcceptedEquipmentSection(equipment, IsoDateText(calibration.header.date),
                                     breaks.tables[table++]);
  }
  html += ResultSection(analysis, breaks.tables[table++]);
  html += PairSection(analysis, breaks.tables[table++]);
  html += OutlierSection(analysis, calibration.outlierTest);
  if (calibration.cyclic) {
    html += CyclicSection(analysis.result, *calibration.cyclic, breaks.tables[table],
                          breaks.tables[table + 1]);
    if (calibration.cyclic->estimable) {
      table += 2;  // its two tables
    }
  }
  if (!calibration.exclusions.empty()) {
    html += ExclusionSection(calibration, breaks.tables[table++]);
  }
  document.setHtml(html +
                   QStringLiteral("<h3 style=\"page-break-before: always\">Calibration plot</h3>"));
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());  // the plot's own paragraph
  QTextCharFormat plotFormat;
  plotFormat.setObjectType(kPlotObjectType);
  cursor.insertText(QString(QChar::ObjectReplacementCharacter), plotFormat);
  cursor.insertHtml(ClosingSections(calibration, frame.details, frame.identity,
                                    breaks.tables[table], breaks.tables[table + 1]));
}

bool WriteCertificate(QIODevice& device, const ProcessedCalibration& calibration,
                      const CertificateFrame& frame) {
  const QString programVersion = QString::fromStdString(ProgramVersion());
  PagedPdf pdf(device, CertificatePageStyle());
  pdf.writer().setTitle(kTitle);
  pdf.writer().setCreator(programVersion);
  const double width = pdf.bodySize().width();

  QTextDocument document;
  pdf.LayOutOnPages(document);
  document.setDefaultFont(WithoutLigatures(QFont(QStringLiteral("DejaVu Sans"), 9)));
  PlotObject plot(CertificatePlotData(calibration), width);
  document.documentLayout()->registerHandler(kPlotObjectType, &plot);

  FillWithBreaks(document, kTableCount, [&](const CertificateBreaks& breaks) {
    FillCertificate(document, calibration, frame, breaks);
  });

  const QString footer =
      QStringLiteral("%1\nMeasured text SHA-256: %2\nPublished text SHA-256: %3")
          .arg(frame.identity.number.empty() ? programVersion
                                             : programVersion + QStringLiteral(", certificate ") +
                                                   Text(frame.identity.number),
               QString::fromStdString(Sha256Hex(calibration.measuredText)),
               QString::fromStdString(Sha256Hex(calibration.publishedText)));
  // A certificate the register did not number is a draft, and says so on
  // every page.
  return pdf.Print(
      document, footer,
      frame.identity.number.empty() ? QStringLiteral("DRAFT: not registered") : QString());
}

}  // namespace

std::optional<std::string> DrawCertificatePdf(const ProcessedCalibration& calibration,
                                              const CertificateDetails& details,
                                              const CertificateIdentity& identity,
                                              QString& reason) {
  return DrawPdf(
      details.laboratory, identity,
      [&](QIODevice& device, const CertificateIdentity& issued, QImage logo) {
        return WriteCertificate(device, calibration, {details, issued, std::move(logo)});
      },
      reason);
}

bool SaveCertificate(const QString& path, const ProcessedCalibration& calibration,
                     const CertificateDetails& details, const CertificateIdentity& identity,
                     QString& reason) {
  return SavePdf(path, DrawCertificatePdf(calibration, details, identity, reason), reason);
}

}  // namespace mensuro

#include "calibration_certificate.moc"
