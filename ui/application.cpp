#include "ui/application.h"

#include "documents/document_fonts.h"
#include "ui/control_text.h"
#include "ui/main_dialog.h"
#include "ui/qt_dialog_services.h"

namespace mensuro {

CVerantApp::CVerantApp(int& argc, char** argv) : application_(argc, argv) {
  // Lets the desktop match the window to the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("mensuro"));
  LoadShippedFonts(PathFromText(QCoreApplication::applicationDirPath()));
}

bool CVerantApp::InitInstance() {
  QtDialogServices services;
  CVerantDlg dialog(services, PathFromText(QCoreApplication::applicationDirPath()));
  dialog.exec();
  return false;
}

}  // namespace mensuro
