#pragma once

// The parts both certificates are made of, the instrument's and the baseline's: their HTML
// (rows, tables that may be split over pages, the laboratory's block, the identity), the page
// style and the identity and logo they are issued with.

#include <QIODevice>
#include <QImage>
#include <QString>
#include <QTextDocument>
#include <QUrl>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "documents/paged_pdf.h"

namespace mensuro::certificate_html {

inline constexpr int kResolution = 600;  // dots per inch of the PDF's page coordinates
// The name the laboratory's logo is a resource of the document by.
extern const QUrl kLogoName;

// Bytes, each the character of its code, escaped for HTML.
QString Html(const std::string& bytes);
// The program's own UTF-8 text, escaped for HTML.
QString Html(const char* text);

QString Row(std::initializer_list<QString> cells, const char* tag = "td");

// A table row whose cells from `firstNumber` on are numbers, aligned on the right.
QString NumberRow(std::initializer_list<QString> cells, int firstNumber);

// Where a table of the certificate starts new pages, found by laying the certificate out.
struct TableBreaks {
  bool beforeHeading = false;  // the table with its heading starts a new page
  std::set<int> beforeRows;    // rows (not counting the headings) that start a new page
};

// Where the certificate starts new pages besides its fixed ones: the breaks of each table with
// column headings, in the order the tables stand in, of those the certificate holds.
struct CertificateBreaks {
  std::vector<TableBreaks> tables;
  std::set<std::size_t> headings;  // headings, counted in the document's order, on a new page
};

// Fills `document` by `fill` with the breaks found so far, and again for each break the laid-out
// document needs: a table leaving a few rows alone on a page or its heading at a page's foot, a
// heading with too little of its text under it. `fill` lays out at most `tableCount` tables
// with column headings.
void FillWithBreaks(QTextDocument& document, std::size_t tableCount,
                    const std::function<void(const CertificateBreaks& breaks)>& fill);

QString Heading(const QString& text, bool newPage);

// A bordered table of `rows` under the column headings `head` (a row of <th>), after its
// heading and `intro`. Where `breaks` starts a new page the table is split, and the part on the
// new page repeats the column headings.
QString GridTable(const QString& heading, const QString& intro, const QString& head,
                  const std::vector<QString>& rows, const TableBreaks& breaks);

// The program's own texts, which are UTF-8.
QString Text(const std::string& utf8);

QString Number(double value, int decimals);

// A detail's text (UTF-8), its lines kept.
QString DetailHtml(const std::string& utf8);

// A row of a detail, left out when the detail is not given.
QString DetailRow(const char* label, const std::string& utf8);

// A row of a header text (bytes, each the character of its code), left out when it is empty.
QString BytesRow(const char* label, const std::string& bytes);

// The laboratory that issues the certificate, its logo on the left; nothing when none is given.
QString LaboratoryBlock(const LaboratoryDetails& laboratory, const QImage& logo);

// The measured text's date as ISO 8601 (YYYY-MM-DD) when it is a day-month-year date, as the
// window writes it, or already ISO; any other text as it was written.
std::string IsoDateText(const std::string& date);

// The certificate's number, issue date and the certificate it replaces, and its client.
QString IdentityTable(const CertificateIdentity& identity, const ClientDetails& client);

// A line to sign on, with the name of who signs when it is given.
QString SignatureLine(const char* label, const std::string& name);

// A4 pages with room at the foot for three lines of 7 points: the program and the two hashes.
PdfPageStyle CertificatePageStyle();

// The identity as the certificate states it: issued today, by the laboratory's clock, unless a
// date is given.
CertificateIdentity IssuedIdentity(CertificateIdentity identity);

// The laboratory's logo, a null image when none is given; nothing, with the reason, when the
// file given can't be read as a picture.
std::optional<QImage> ReadLogo(const LaboratoryDetails& laboratory, QString& reason);

// The certificate's PDF bytes as `write` writes them to a device, given the identity as issued
// and the laboratory's logo (null: none); nothing, with the reason, when the logo can't be read
// or the PDF drawn.
std::optional<std::string> DrawPdf(
    const LaboratoryDetails& laboratory, const CertificateIdentity& identity,
    const std::function<bool(QIODevice& device, const CertificateIdentity& issued, QImage logo)>&
        write,
    QString& reason);

// Writes the `pdf` drawn to `path`; false, with the reason, when it was not drawn or can't be
// written, an existing file then left as it was.
bool SavePdf(const QString& path, const std::optional<std::string>& pdf, QString& reason);

}  // namespace mensuro::certificate_html
