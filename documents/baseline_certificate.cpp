#include "documents/baseline_certificate.h"

#include <fmt/format.h>

#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QStringList>
#include <QTextDocument>
#include <cmath>
#include <utility>
#include <vector>

#include "core/baseline/baseline_warnings.h"
#include "core/data/sha256.h"
#include "core/data/visible_text.h"
#include "core/units.h"
#include "documents/certificate_html.h"
#include "documents/document_fonts.h"
#include "documents/paged_pdf.h"
#include "documents/report_numbers.h"
#include "resources/version_info.h"

namespace mensuro {
namespace {

using namespace certificate_html;

const QString kTitle = QStringLiteral("Baseline Calibration Certificate");
const QString kNone = QStringLiteral("\u2013");

QString Millimetres(double metres, int decimals) {
  return Number(metres * kMillimetresPerMetre, decimals);
}

// A scale in ppm with its sign, as a correction is written.
QString SignedPpm(double ppm) {
  return Text(fmt::format("{:+}", ppm));
}

bool ScaleGiven(const ReferenceScale& scale) {
  return scale.ppm != 0.0 || scale.expandedPpm != 0.0;
}

// The baseline, its owner, the survey's date and who measured it.
QString BaselineSection(const BaselineCertificateSource& source, const MeasurementHeader& header,
                        const CertificateDetails& details) {
  QString rows = Row({Html("Baseline:"), DetailHtml(source.baselineName)});
  rows += DetailRow("Site:", details.baselineSite);
  rows += DetailRow("Owner:", details.client.name);
  rows += BytesRow("Date of the survey:", IsoDateText(header.date));
  rows += BytesRow("Time of the survey:", header.time);
  rows += BytesRow("Comment:", header.comment);
  rows += DetailRow("Measured by:", details.measuredBy);
  rows += DetailRow("Checked by:", details.checkedBy);
  return QStringLiteral("<h3>Baseline</h3><table cellpadding=\"2\">%1</table>").arg(rows);
}

// The reference instrument, its scale certificate and its specified accuracy.
QString ReferenceSection(const BaselineAdjustment& adjustment, const MeasurementHeader& header,
                         const CertificateDetails& details) {
  QString rows = BytesRow("Instrument (EDM):", header.edmDescription);
  rows += DetailRow("Make:", details.instrument.make);
  rows += DetailRow("Model:", details.instrument.model);
  rows += DetailRow("Serial number:", details.instrument.serialNumber);
  rows += DetailRow("Reflector make:", details.reflector.make);
  rows += DetailRow("Reflector model:", details.reflector.model);
  if (details.reflector.prismConstantMm) {
    rows +=
        DetailRow("Prism constant:", PrismConstantText(*details.reflector.prismConstantMm) + " mm");
  }
  const ReferenceScale& scale = adjustment.referenceScale;
  rows += Row({Html("Scale certificate:"),
               ScaleGiven(scale)
                   ? QStringLiteral("scale correction S = %1 ppm, U = %2 ppm (k = %3)")
                         .arg(SignedPpm(scale.ppm), Text(fmt::format("{}", scale.expandedPpm)),
                              Text(fmt::format("{}", scale.k)))
                   : Html("not given: no scale correction applied, and the "
                          "uncertainties leave the scale out")});
  rows += Row({Html("Specified accuracy:"),
               QStringLiteral("\u00b1 %1")
                   .arg(Text(MmPlusPpmText(adjustment.aprioriMm, adjustment.aprioriPpm)))});
  return QStringLiteral("<h3>Reference instrument</h3><table cellpadding=\"2\">%1</table>")
      .arg(rows);
}

QString MethodSection(const BaselineAdjustment& adjustment, const CertificateDetails& details) {
  QString html = QStringLiteral("<h3>Method</h3>");
  html += QStringLiteral(
      "<p>All-combinations survey: the horizontal distance between every pair of the baseline's "
      "pillars measured with the reference instrument, each observed distance d corrected for "
      "the reference instrument's scale to d' = d (1 + S \u00b7 10<sup>\u22126</sup>).</p>");
  html += QStringLiteral(
      "<p>Weighted least squares: the pillars' positions along the line (the first pillar the "
      "origin) and the reference instrument's constant c adjusted from all observations kept, "
      "each observation |x<sub>j</sub> \u2212 x<sub>i</sub>| = d' + c + v.</p>");
  const bool weighted = adjustment.aprioriMm != 0.0 || adjustment.aprioriPpm != 0.0;
  html += weighted
              ? QStringLiteral(
                    "<p>Weights: p = 1/\u03c3\u00b2 with \u03c3 = %1 mm + %2 ppm \u00d7 d, the "
                    "reference instrument's specified accuracy.</p>")
                    .arg(Text(fmt::format("{}", adjustment.aprioriMm)),
                         Text(fmt::format("{}", adjustment.aprioriPpm)))
              : QStringLiteral(
                    "<p>Weights: every observation weighted alike, as the survey states no "
                    "specified accuracy; no variance test is made.</p>");
  if (!details.procedure.empty()) {
    html += QStringLiteral("<p>Procedure: %1.</p>").arg(DetailHtml(details.procedure));
  }
  return html;
}

QString PillarSection(const BaselineAdjustment& adjustment, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const PillarPosition& pillar : adjustment.pillars) {
    rows.push_back(NumberRow({Html(VisibleText(pillar.name)), Number(pillar.position, 5),
                              Millimetres(pillar.standardUncertainty, 2)},
                             1));
  }
  QString html = GridTable(
      QStringLiteral("Pillars"),
      adjustment.orderInferred
          ? QStringLiteral("<p>The pillars in their order along the line, as the observations "
                           "give it.</p>")
          : QStringLiteral("<p>The pillars in their order along the line, as given.</p>"),
      Row({Html("Pillar"), Html("Position (m)"), Html("u (mm)")}, "th"), rows, breaks);
  return html + QStringLiteral(
                    "<p>Position: the adjusted distance from the origin, the first pillar. u: its "
                    "standard uncertainty from the adjustment (0 for the origin).</p>");
}

QString DistanceSection(const BaselineAdjustment& adjustment, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const CertifiedDistance& d : adjustment.distances) {
    rows.push_back(
        NumberRow({Html(VisibleText(d.from)), Html(VisibleText(d.to)), Number(d.distance, 5),
                   Millimetres(d.uA, 2), Millimetres(d.uB, 2), Millimetres(d.u, 2),
                   d.dofEffective ? Number(*d.dofEffective, 1) : QStringLiteral("\u221e"),
                   Number(d.k, 2), Millimetres(d.expanded, 2)},
                  2));
  }
  QString html =
      GridTable(QStringLiteral("Certified distances"), QString(),
                Row({Html("From"), Html("To"), Html("D (m)"), Html("u_A (mm)"), Html("u_B (mm)"),
                     Html("u (mm)"), Html("\u03bd_eff"), Html("k"), Html("U (mm)")},
                    "th"),
                rows, breaks);
  return html + QStringLiteral(
                    "<p>D: the certified horizontal distance between the pillars. u_A: its "
                    "standard uncertainty from the adjustment; u_B: from the reference "
                    "instrument's scale, (U_S/k_S) \u00b7 10<sup>\u22126</sup> \u00b7 D; u: the "
                    "two combined. \u03bd_eff: its effective degrees of freedom "
                    "(Welch-Satterthwaite; \u221e when u_A is zero). k: the coverage factor, "
                    "Student's t at 97.5 percent for \u03bd_eff. U = k u: the expanded "
                    "uncertainty.</p>");
}

QString AdjustmentSection(const BaselineAdjustment& adjustment) {
  QString html = QStringLiteral("<h3>Adjustment</h3>");
  html +=
      QStringLiteral(
          "<p>Constant of the reference instrument: c = %1 mm, standard uncertainty %2 "
          "mm.</p>")
          .arg(Millimetres(adjustment.constant, 2), Millimetres(adjustment.constantUncertainty, 2));
  const bool weighted = adjustment.varianceTest.has_value();
  html += QStringLiteral(
              "<p>Observations: %1<br>Unknowns: %2<br>Degrees of freedom \u03bd: %3<br>"
              "s0: %4</p>")
              .arg(adjustment.observationCount)
              .arg(adjustment.unknowns)
              .arg(adjustment.dof)
              .arg(weighted ? Number(adjustment.s0, 3)
                            : Millimetres(adjustment.s0, 2) + QStringLiteral(" mm"));
  if (const std::optional<SurveyVarianceTest>& test = adjustment.varianceTest) {
    html += QStringLiteral(
                "<p>Variance test: \u03c7\u00b2 = v\u1d40Pv = %1 against its upper 95 percent "
                "point %2 for %3 degrees of freedom: %4</p>")
                .arg(Number(test->chiSquare, 2), Number(test->critical, 2))
                .arg(adjustment.dof)
                .arg(test->passed
                         ? QStringLiteral("passed; the survey agrees with the reference "
                                          "instrument's specified accuracy.")
                         : QStringLiteral("failed; the survey scattered more than the reference "
                                          "instrument's specified accuracy."));
  } else {
    html += QStringLiteral(
        "<p>Variance test: not made, as the survey states no specified accuracy.</p>");
  }
  return html;
}

QString OutlierSection(const BaselineAdjustment& adjustment) {
  const SurveyOutlierTest& test = adjustment.outlierTest;
  QString html = QStringLiteral("<h3>Outlier test</h3>");
  if (!test.applicable) {
    return html + QStringLiteral("<p>Not applicable: %1.</p>").arg(Html(test.reason));
  }
  html += QStringLiteral(
              "<p>Each observation's standardized residual w = v / (s0 \u221aq) was compared "
              "with Pope's \u03c4 at %1 percent for each of the %2 observations: an observation "
              "is an outlier when |w| is greater than %3.</p>")
              .arg(Number(100.0 * test.alphaEach, 3))
              .arg(adjustment.observationCount)
              .arg(Number(test.critical, 2));
  QStringList outliers;
  for (const SurveyObservation& observation : adjustment.observations) {
    if (observation.outlier) {
      outliers << QStringLiteral("line %1, %2-%3: w = %4")
                      .arg(observation.line)
                      .arg(Html(VisibleText(observation.from)), Html(VisibleText(observation.to)),
                           Number(observation.standardizedResidual.value_or(0.0), 2));
    }
  }
  if (outliers.isEmpty()) {
    return html + QStringLiteral("<p>No observation is an outlier.</p>");
  }
  return html + QStringLiteral("<p>%1:<br>%2</p>")
                    .arg(outliers.size() == 1
                             ? QStringLiteral("One observation is an outlier")
                             : QStringLiteral("%1 observations are outliers").arg(outliers.size()),
                         outliers.join(QStringLiteral("<br>")));
}

QString ExclusionSection(const std::vector<AppliedExclusion>& excluded, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const AppliedExclusion& applied : excluded) {
    QStringList observations;
    for (const ExcludedObservation& observation : applied.observations) {
      observations << QStringLiteral("%1-%2 %3 m (line %4)")
                          .arg(Html(VisibleText(observation.from)),
                               Html(VisibleText(observation.to)), Number(observation.distance, 4))
                          .arg(observation.line);
    }
    rows.push_back(Row(
        {Html(DescribeExclusion(applied.exclusion)), Html(VisibleText(applied.exclusion.reason)),
         observations.isEmpty() ? kNone : observations.join(QStringLiteral("<br>"))}));
  }
  return GridTable(QStringLiteral("Observations left out"),
                   QStringLiteral("<p>These observations were left out of the adjustment at the "
                                  "surveyor's request; lines are those of the survey's text.</p>"),
                   Row({Html("Left out"), Html("Reason"), Html("Observations")}, "th"), rows,
                   breaks);
}

QString WarningSection(const std::vector<std::string>& warnings) {
  QString html = QStringLiteral(
      "<h3>Accepted warnings</h3><p>The certificate was issued with these warnings, accepted by "
      "the laboratory; the results are those of the survey as adjusted:</p><p>");
  QStringList items;
  for (const std::string& warning : warnings) {
    QString text = Html(VisibleText(warning));
    text[0] = text[0].toUpper();
    items << text + QLatin1Char('.');
  }
  return html + items.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

QString ComparisonSection(const std::vector<DistanceComparison>& comparison,
                          const std::string& source, const TableBreaks& breaks) {
  std::vector<QString> rows;
  for (const DistanceComparison& c : comparison) {
    rows.push_back(NumberRow({Html(VisibleText(c.from)), Html(VisibleText(c.to)),
                              Number(c.previous, 5), Millimetres(c.difference, 2), Number(c.En, 2),
                              c.moved ? Html("moved beyond its uncertainty") : QString()},
                             2));
  }
  QString html = GridTable(QStringLiteral("Comparison with the previous certificate"),
                           QStringLiteral("<p>The previous certificate: %1.</p>")
                               .arg(source.empty() ? kNone : Html(VisibleText(source))),
                           Row({Html("From"), Html("To"), Html("Previous D (m)"),
                                Html("Change (mm)"), Html("E_n"), Html("")},
                               "th"),
                           rows, breaks);
  return html + QStringLiteral(
                    "<p>Change: the certified distance less the previous one. E_n = change / "
                    "\u221a(U\u00b2 + U<sub>previous</sub>\u00b2); a pair with |E_n| greater "
                    "than 1 moved beyond its uncertainty.</p>");
}

QString StatementSection(const BaselineAdjustment& adjustment) {
  QString html = QStringLiteral("<h3>Statements</h3>");
  html += QStringLiteral(
      "<p>The results on this certificate relate only to the baseline named above, at the time "
      "of the survey.</p>");
  html += ScaleGiven(adjustment.referenceScale)
              ? QStringLiteral(
                    "<p>Traceability: the certified distances are traceable through the "
                    "calibration of the reference instrument's scale, stated above.</p>")
              : QStringLiteral(
                    "<p>Traceability: no calibration of the reference instrument's scale was "
                    "given; the certified distances rest on its scale as it stands.</p>");
  html += QStringLiteral(
      "<p>The expanded uncertainties U are stated for a coverage probability of about 95 "
      "percent (GUM), with the coverage factor k for each distance's effective degrees of "
      "freedom.</p>");
  return html;
}

// The tables with column headings: the pillars, the distances, the observations left out and
// the comparison.
constexpr std::size_t kTableCount = 4;

void FillCertificate(QTextDocument& document, const BaselineCertificateSource& source,
                     const CertificateDetails& details, const CertificateIdentity& identity,
                     const QImage& logo, const CertificateBreaks& breaks) {
  std::size_t table = 0;  // the breaks of the next table with column headings
  const BaselineCalibration& calibration = source.calibration;
  const BaselineAdjustment& adjustment = calibration.adjustment;
  if (!logo.isNull()) {
    document.addResource(QTextDocument::ImageResource, kLogoName, logo);
  }
  QString html = LaboratoryBlock(details.laboratory, logo);
  html += QStringLiteral("<h1>%1</h1>").arg(kTitle);
  html += IdentityTable(identity, details.client);
  html += BaselineSection(source, calibration.header, details);
  html += ReferenceSection(adjustment, calibration.header, details);
  html += MethodSection(adjustment, details);
  if (const std::vector<std::string> warnings = BaselineCertificateWarnings(calibration);
      !warnings.empty()) {
    html += WarningSection(warnings);
  }
  html += PillarSection(adjustment, breaks.tables[table++]);
  html += DistanceSection(adjustment, breaks.tables[table++]);
  html += AdjustmentSection(adjustment);
  html += OutlierSection(adjustment);
  if (!calibration.excluded.empty()) {
    html += ExclusionSection(calibration.excluded, breaks.tables[table++]);
  }
  if (calibration.comparison) {
    html += ComparisonSection(*calibration.comparison, calibration.previousSource,
                              breaks.tables[table]);
  }
  html += StatementSection(adjustment);
  if (!identity.recordSha256.empty()) {
    html +=
        QStringLiteral("<p>Register record SHA-256: %1</p>").arg(DetailHtml(identity.recordSha256));
  }
  html += details.measuredBy.empty() ? SignatureLine("Calibrated by:", {})
                                     : SignatureLine("Measured by:", details.measuredBy);
  html += SignatureLine("Checked by:", details.checkedBy);
  html += SignatureLine("Date (YYYY-MM-DD):", {});
  document.setHtml(html);
}

bool WriteCertificate(QIODevice& device, const BaselineCertificateSource& source,
                      const CertificateDetails& details, const CertificateIdentity& identity,
                      const QImage& logo) {
  const QString programVersion = QString::fromStdString(ProgramVersion());
  PagedPdf pdf(device, CertificatePageStyle());
  pdf.writer().setTitle(kTitle);
  pdf.writer().setCreator(programVersion);
  QTextDocument document;
  pdf.LayOutOnPages(document);
  document.setDefaultFont(WithoutLigatures(QFont(QStringLiteral("DejaVu Sans"), 9)));
  FillWithBreaks(document, kTableCount, [&](const CertificateBreaks& breaks) {
    FillCertificate(document, source, details, identity, logo, breaks);
  });
  const QString footer =
      QStringLiteral("%1\nSurvey text SHA-256: %2")
          .arg(identity.number.empty()
                   ? programVersion
                   : programVersion + QStringLiteral(", certificate ") + Text(identity.number),
               QString::fromStdString(Sha256Hex(source.measuredText)));
  // A certificate the register did not number is a draft, and says so on every page.
  return pdf.Print(document, footer,
                   identity.number.empty() ? QStringLiteral("DRAFT: not registered") : QString());
}

}  // namespace

std::optional<std::string> DrawBaselineCertificatePdf(const BaselineCertificateSource& source,
                                                      const CertificateDetails& details,
                                                      const CertificateIdentity& identity,
                                                      QString& reason) {
  return DrawPdf(
      details.laboratory, identity,
      [&](QIODevice& device, const CertificateIdentity& issued, const QImage& logo) {
        return WriteCertificate(device, source, details, issued, logo);
      },
      reason);
}

bool SaveBaselineCertificate(const QString& path, const BaselineCertificateSource& source,
                             const CertificateDetails& details, const CertificateIdentity& identity,
                             QString& reason) {
  return SavePdf(path, DrawBaselineCertificatePdf(source, details, identity, reason), reason);
}

}  // namespace mensuro
