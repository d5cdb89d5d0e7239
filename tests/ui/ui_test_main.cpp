// Window tests drive real widgets on Qt's offscreen platform unless another one is asked for, so
// they need no display. What the window remembers between runs goes to a scratch folder, never
// to the user's settings.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

#include "documents/document_fonts.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // The fonts the programs ship with, as they find them (the offscreen platform on Windows
  // knows no other).
  mensuro::UseShippedFontFolderUnlessChosen(std::filesystem::path(MENSURO_PROGRAM_DIR));
  const QTemporaryDir settingsFolder;
  if (!settingsFolder.isValid()) {
    std::fprintf(stderr, "ui_tests: no scratch folder for the settings: %s\n",
                 qPrintable(settingsFolder.errorString()));
    return 1;
  }
  // Windows keeps native settings in the registry, which no path moves: files it is.
  QSettings::setDefaultFormat(QSettings::IniFormat);
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
      QSettings::setPath(format, scope, settingsFolder.path());
    }
  }
  const QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
