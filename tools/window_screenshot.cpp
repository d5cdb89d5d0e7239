// Draws the main window after a Process of the bundled example into a PNG, for the README:
//   mensuro-screenshot MEASURED_FILE PUBLISHED_FILE OUTPUT_PNG
// Runs on any Qt platform, the offscreen one included.

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <string>

#include "core/data/file_bytes.h"
#include "core/data/text_file.h"
#include "ui/control_ids.h"
#include "ui/control_text.h"
#include "ui/main_dialog.h"
#include "ui/qt_dialog_services.h"

namespace {

using namespace mensuro;

std::string Read(const char* path) {
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    std::fprintf(stderr, "mensuro-screenshot: %s: %s\n", path, reason.c_str());
    std::exit(1);
  }
  return *bytes;
}

void SetField(const CVerantDlg& dialog, int id, const std::string& text) {
  qobject_cast<QLineEdit*>(dialog.Control(id))->setText(FieldFromBytes(text));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: mensuro-screenshot MEASURED_FILE PUBLISHED_FILE OUTPUT_PNG\n");
    return 2;
  }
  QtDialogServices services;
  CVerantDlg dialog(services, PathFromText(QCoreApplication::applicationDirPath()));
  qobject_cast<QRadioButton*>(dialog.Control(kIdFromFile))->click();
  SetField(dialog, kIdPublishedFileName, argv[2]);
  SetField(dialog, kIdMeasuredFileName, argv[1]);

  // As opening the two files in the window does: header lines to the header fields, the rest to
  // the texts.
  dialog.LoadPublishedFile(SplitFileLines(Read(argv[2])));
  dialog.LoadMeasuredFile(SplitFileLines(Read(argv[1])));
  dialog.show();
  qobject_cast<QPushButton*>(dialog.Control(kIdProcess))->click();
  QApplication::processEvents();
  if (!dialog.grab().save(QString::fromLocal8Bit(argv[3]))) {
    std::fprintf(stderr, "mensuro-screenshot: could not write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
