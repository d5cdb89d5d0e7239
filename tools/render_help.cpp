// Renders the user guide's source (Markdown, or HTML for a .html/.htm file) into the PDF that the
// window's Help button opens:
//   mensuro-render-help SOURCE OUTPUT.pdf
// A4 pages with a footer naming the guide and the page. Runs on any Qt platform, the offscreen
// one included, so the build needs no display. The PDF is written to a scratch file beside
// OUTPUT and renamed over it only when complete, so a failed run never leaves a half-written
// document behind.

#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPen>
#include <QPixmap>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/data/data_files.h"
#include "documents/document_fonts.h"
#include "documents/paged_pdf.h"

namespace {

using mensuro::PagedPdf;
using mensuro::PdfPageStyle;

constexpr const char* kProgram = "mensuro-render-help";

// Page geometry in millimetres: the body within the margins, the footer below the body.
constexpr qreal kSideMargin = 20.0;
constexpr qreal kTopMargin = 18.0;
constexpr qreal kBottomMargin = 12.0;
constexpr qreal kFooterHeight = 10.0;

constexpr qreal kBodyPointSize = 10.0;
// Small enough for the report's widest line (85 characters) to fit the body width.
constexpr qreal kCodePointSize = 8.0;

// One line on standard error, as the build log shows it.
int Fail(const QString& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.toLocal8Bit().constData());
  return 1;
}

QString Quoted(const QString& path) {
  return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// Without shaping, so that no ligature stands in for "fi" or "fl": the PDF's text then reads,
// searches and copies as it was written.
QFont BodyFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(kBodyPointSize);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

QFont CodeFont() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(kCodePointSize);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

bool IsHtml(const QString& source) {
  const QString suffix = QFileInfo(source).suffix().toLower();
  return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

// The document's title: an HTML <title>, else the text of the first top-level heading.
QString DocumentTitle(const QTextDocument& document) {
  QString title = document.metaInformation(QTextDocument::DocumentTitle);
  for (QTextBlock block = document.begin(); title.isEmpty() && block.isValid();
       block = block.next()) {
    if (block.blockFormat().headingLevel() == 1) {
      title = block.text().trimmed();
    }
  }
  return title.isEmpty() ? QStringLiteral("Mensuro User Guide") : title;
}

// The document's blocks, collected before any is changed: changing formats while walking them
// may split fragments.
std::vector<QTextBlock> Blocks(const QTextDocument& document) {
  std::vector<QTextBlock> blocks;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    blocks.push_back(block);
  }
  return blocks;
}

bool IsCodeBlock(const QTextBlock& block) {
  const QTextBlockFormat format = block.blockFormat();
  return format.hasProperty(QTextFormat::BlockCodeFence) ||
         format.hasProperty(QTextFormat::BlockCodeLanguage) || format.nonBreakableLines();
}

// Applies `change` to the character format of every fragment of `block`. The changes are
// gathered first and made afterwards, since a change may merge or split the fragments walked.
template <typename Change>
void ChangeFragments(QTextDocument& document, const QTextBlock& block, Change change) {
  struct Edit {
    int position;
    int length;
    QTextCharFormat format;
  };
  std::vector<Edit> edits;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    QTextCharFormat format = fragment.charFormat();
    if (fragment.isValid() && change(format)) {
      edits.push_back({fragment.position(), fragment.length(), format});
    }
  }
  for (const Edit& edit : edits) {
    QTextCursor cursor(&document);
    cursor.setPosition(edit.position);
    cursor.setPosition(edit.position + edit.length, QTextCursor::KeepAnchor);
    cursor.setCharFormat(edit.format);
  }
}

// The importer's layout tuned for print: file examples and reports in a small fixed-pitch font on
// a light background, inline code in the same face, headings with room above them, and every
// top-level heading but the title's starting a new page.
void StyleBlocks(QTextDocument& document) {
  const QFont code = CodeFont();
  const std::vector<QTextBlock> blocks = Blocks(document);
  bool titleSeen = false;
  for (const QTextBlock& block : blocks) {
    QTextCursor cursor(block);
    QTextBlockFormat blockFormat = block.blockFormat();
    if (IsCodeBlock(block)) {
      // A code block is one text block per line: room above its first line and below its last.
      const bool first = !block.previous().isValid() || !IsCodeBlock(block.previous());
      const bool last = !block.next().isValid() || !IsCodeBlock(block.next());
      blockFormat.setBackground(QColor(0xf2, 0xf2, 0xf2));
      blockFormat.setLeftMargin(4.0);
      blockFormat.setTopMargin(first ? 4.0 : 0.0);
      blockFormat.setBottomMargin(last ? 6.0 : 0.0);
      cursor.setBlockFormat(blockFormat);
      ChangeFragments(document, block, [&code](QTextCharFormat& format) {
        format.setFont(code);
        return true;
      });
      continue;
    }
    const int level = blockFormat.headingLevel();
    if (level > 0) {
      const bool isTitle = level == 1 && !titleSeen;
      if (level == 1 && titleSeen) {
        blockFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      }
      titleSeen = titleSeen || level == 1;
      blockFormat.setTopMargin(level == 1 ? 0.0 : 12.0);
      blockFormat.setBottomMargin(level == 1 ? 10.0 : 4.0);
      cursor.setBlockFormat(blockFormat);
      ChangeFragments(document, block, [level, isTitle](QTextCharFormat& format) {
        format.setForeground(QColor(0x1f, 0x3a, 0x5f));
        format.setFontWeight(QFont::Bold);
        // The title a size above the chapters, the chapters a size above their sections.
        const int adjustment = level == 1 ? (isTitle ? 3 : 2) : level == 2 ? 1 : 0;
        format.setProperty(QTextFormat::FontSizeAdjustment, adjustment);
        return true;
      });
      continue;
    }
    ChangeFragments(document, block, [&code](QTextCharFormat& format) {
      if (!format.fontFixedPitch() && !format.fontFamilies().toStringList().contains(
                                          QStringLiteral("monospace"), Qt::CaseInsensitive)) {
        return false;
      }
      QFont inlineCode = code;
      inlineCode.setPointSizeF(kBodyPointSize * 0.9);
      inlineCode.setBold(format.fontWeight() >= QFont::Bold);
      format.setFont(inlineCode);
      return true;
    });
  }
}

// Thin ruled cells with some padding, and the header row shaded, in every table.
void StyleTables(QTextDocument& document) {
  const QBrush rule(QColor(0xa0, 0xa0, 0xa0));
  std::vector<QTextTable*> tables;
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
      tables.push_back(table);
    }
  }
  for (QTextTable* table : tables) {
    QTextTableFormat format = table->format();
    format.setBorder(0.75);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(rule);
    // Collapsed borders: each cell draws its own, so neighbouring cells share one rule.
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(3);
    format.setTopMargin(4);
    format.setBottomMargin(8);
    table->setFormat(format);
    for (int row = 0; row < table->rows(); ++row) {
      for (int column = 0; column < table->columns(); ++column) {
        QTextTableCell cell = table->cellAt(row, column);
        QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        cellFormat.setBorder(0.75);
        cellFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        cellFormat.setBorderBrush(rule);
        if (row == 0) {
          cellFormat.setBackground(QColor(0xe6, 0xec, 0xf2));
        }
        cell.setFormat(cellFormat);
      }
    }
  }
}

// A picture of the document as its layout will load it; null when it can't be loaded.
QImage LoadPicture(QTextDocument& document, const QString& name) {
  const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(name));
  if (resource.userType() == QMetaType::QByteArray) {
    return QImage::fromData(resource.toByteArray());
  }
  if (resource.userType() == QMetaType::QPixmap) {
    return resource.value<QPixmap>().toImage();
  }
  return resource.value<QImage>();
}

// Every picture shown at most `maxWidth` wide, in the layout's units (pixels at 96 per inch,
// which the layout scales to the page). A picture that can't be loaded fails the run: the guide
// would otherwise show an empty box where the text refers to it.
std::optional<QString> FitPictures(QTextDocument& document, qreal maxWidth) {
  const std::vector<QTextBlock> blocks = Blocks(document);
  std::optional<QString> missing;
  for (const QTextBlock& block : blocks) {
    ChangeFragments(document, block, [&](QTextCharFormat& format) {
      if (!format.isImageFormat()) {
        return false;
      }
      QTextImageFormat image = format.toImageFormat();
      const QImage picture = LoadPicture(document, image.name());
      if (picture.isNull()) {
        missing = image.name();
        return false;
      }
      const qreal width = std::min<qreal>(picture.width(), maxWidth);
      image.setWidth(width);
      image.setHeight(width * picture.height() / picture.width());
      format = image;
      return true;
    });
  }
  return missing;
}

// The page that the document coordinate `y` falls on.
int PageOf(qreal y, qreal pageHeight) {
  return static_cast<int>(y / pageHeight);
}

// Where a block's first line ends, in document coordinates.
qreal FirstLineBottom(const QTextDocument& document, const QTextBlock& block) {
  const QRectF rect = document.documentLayout()->blockBoundingRect(block);
  const QTextLayout* layout = block.layout();
  if (layout == nullptr || layout->lineCount() == 0) {
    return rect.bottom();
  }
  const QTextLine line = layout->lineAt(0);
  return rect.top() + line.y() + line.height() - layout->boundingRect().top();
}

bool BreaksBefore(const QTextBlock& block) {
  return (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
}

// What moves to the next page with a code block: the sentence that introduces it (one ending in
// a colon) and a heading above that, so that neither is left behind at the foot of the page.
QTextBlock LeadOf(const QTextBlock& code) {
  QTextBlock lead = code;
  while (!BreaksBefore(lead) && lead.previous().isValid()) {
    const QTextBlock previous = lead.previous();
    const bool introduces = previous.text().trimmed().endsWith(QLatin1Char(':'));
    if (!introduces && previous.blockFormat().headingLevel() == 0) {
      break;
    }
    lead = previous;
  }
  return lead;
}

// The first block that the page layout splits badly: a heading left at the foot of a page without
// the first line of what follows it, or a code block (a file example, a report) that runs over
// into the next page though it would fit on one. An invalid block when there is none.
QTextBlock FirstBadBreak(const QTextDocument& document, qreal pageHeight) {
  const QAbstractTextDocumentLayout& layout = *document.documentLayout();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QRectF rect = layout.blockBoundingRect(block);
    const int page = PageOf(rect.top(), pageHeight);
    if (block.blockFormat().headingLevel() > 0 && !BreaksBefore(block) && block.next().isValid() &&
        PageOf(FirstLineBottom(document, block.next()), pageHeight) != page) {
      return block;
    }
    if (IsCodeBlock(block) && (!block.previous().isValid() || !IsCodeBlock(block.previous()))) {
      QTextBlock last = block;
      while (last.next().isValid() && IsCodeBlock(last.next())) {
        last = last.next();
      }
      const qreal bottom = layout.blockBoundingRect(last).bottom();
      if (PageOf(bottom - 1.0, pageHeight) == page) {
        continue;
      }
      // With its lead if that still fits on one page, else alone if it fits.
      const QTextBlock lead = LeadOf(block);
      if (!BreaksBefore(lead) && bottom - layout.blockBoundingRect(lead).top() < pageHeight) {
        return lead;
      }
      if (!BreaksBefore(block) && bottom - rect.top() < pageHeight) {
        return block;
      }
    }
  }
  return {};
}

// Moves each badly split heading or code block to the top of the next page, from the first to
// the last. After every move the whole document is laid out afresh: the layout's own update of
// the changed part alone can lose the pages after it.
void KeepTogether(QTextDocument& document, qreal pageHeight) {
  for (QTextBlock block = FirstBadBreak(document, pageHeight); block.isValid();
       block = FirstBadBreak(document, pageHeight)) {
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(block).setBlockFormat(format);
    document.markContentsDirty(0, document.characterCount());
  }
}

// A4 pages with a footer of one line of 8 points, in grey.
PdfPageStyle GuidePageStyle() {
  PdfPageStyle style;
  style.margins = QMarginsF(kSideMargin, kTopMargin, kSideMargin, kBottomMargin);
  style.footerHeight = kFooterHeight;
  style.footerFont = BodyFont();
  style.footerFont.setPointSizeF(8.0);
  style.rulePen = QPen(QColor(0x99, 0x99, 0x99), 0);
  style.footerColor = QColor(0x44, 0x44, 0x44);
  style.footerTextTop = 0.25;
  return style;
}

QString CannotWrite(const QString& output, const QString& reason) {
  return QStringLiteral("cannot write ") + Quoted(output) + QStringLiteral(": ") + reason;
}

// The bytes of the file `source`, or why they can't be read.
std::optional<QString> ReadSource(const QString& source, QByteArray& bytes) {
  QFile input(source);
  if (input.open(QIODevice::ReadOnly)) {
    bytes = input.readAll();
    if (input.error() == QFileDevice::NoError) {
      return std::nullopt;
    }
  }
  return QStringLiteral("cannot read ") + Quoted(source) + QStringLiteral(": ") +
         input.errorString();
}

// The guide's text in the document, styled for print.
void LoadGuide(QTextDocument& document, const QString& source, const QByteArray& bytes) {
  document.setDefaultFont(BodyFont());
  // Pictures are named relative to the source.
  document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(source).absolutePath() + QLatin1Char('/')));
  const QString text = QString::fromUtf8(bytes);
  if (IsHtml(source)) {
    document.setHtml(text);
  } else {
    document.setMarkdown(text);
  }
  QTextFrameFormat root = document.rootFrame()->frameFormat();
  root.setMargin(0);
  document.rootFrame()->setFrameFormat(root);
  StyleBlocks(document);
  StyleTables(document);
}

// Renders the guide `source` into the PDF `output`. Returns why it failed, if it did.
std::optional<QString> RenderGuide(const QString& source, const QString& output) {
  QByteArray bytes;
  if (std::optional<QString> failure = ReadSource(source, bytes)) {
    return failure;
  }
  QSaveFile file(output);
  if (!file.open(QIODevice::WriteOnly)) {
    return CannotWrite(output, file.errorString());
  }
  PagedPdf pdf(file, GuidePageStyle());
  QTextDocument document;
  LoadGuide(document, source, bytes);
  if (const std::optional<QString> missing =
          FitPictures(document, pdf.bodySize().width() * 96.0 / pdf.writer().resolution())) {
    return QStringLiteral("cannot load the picture ") + Quoted(*missing) + QStringLiteral(" of ") +
           Quoted(source);
  }
  const QString title = DocumentTitle(document);
  pdf.writer().setTitle(title);
  pdf.writer().setCreator(QString::fromLatin1(kProgram));
  pdf.LayOutOnPages(document);
  KeepTogether(document, pdf.bodySize().height());
  if (!pdf.Print(document, title)) {
    return QStringLiteral("cannot write ") + Quoted(output);
  }
  if (!file.commit()) {
    return CannotWrite(output, file.errorString());
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  // The guide is set in the fonts that ship with the programs, whatever the system has.
  const std::filesystem::path programs = mensuro::RunningProgramFolder();
  mensuro::UseShippedFontFolderUnlessChosen(programs);
  const QGuiApplication application(argc, argv);
  mensuro::LoadShippedFonts(programs);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOURCE OUTPUT.pdf\n", kProgram);
    return 2;
  }
  const std::optional<QString> failure =
      RenderGuide(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  return failure ? Fail(*failure) : 0;
}
