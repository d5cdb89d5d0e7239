#include "ui/main/application.h"

#include "documents/document_fonts.h"
#include "ui/common/control_text.h"
#include "ui/main/main_dialog.h"
#include "ui/common/qt_dialog_services.h"

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
