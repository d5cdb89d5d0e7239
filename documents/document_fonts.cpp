#include "documents/document_fonts.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QtGlobal>

#include "core/data/data_files.h"

namespace mensuro {

QFont WithoutLigatures(QFont font) {
  // Qt shapes text without ligatures whenever a letter spacing is set; this one is too small to
  // see.
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
  return font;
}

std::filesystem::path ShippedFontFolder(const std::filesystem::path& executableDir) {
  return LocateDataFile(executableDir, kShippedFontFolderName);
}

void UseShippedFontFolderUnlessChosen(const std::filesystem::path& executableDir) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
    qputenv("QT_QPA_FONTDIR", QFile::encodeName(QDir(ShippedFontFolder(executableDir)).path()));
  }
}

QStringList LoadShippedFonts(const std::filesystem::path& executableDir) {
  const QDir folder(ShippedFontFolder(executableDir));
  QStringList families;
  for (const QFileInfo& file :
       folder.entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name)) {
    const int id = QFontDatabase::addApplicationFont(file.filePath());
    for (const QString& family : QFontDatabase::applicationFontFamilies(id)) {
      if (!families.contains(family)) {
        families.append(family);
      }
    }
  }
  return families;
}

}  // namespace mensuro
