#include "core/data/data_files.h"
#include "documents/document_fonts.h"
#include "ui/main/application.h"

int main(int argc, char** argv) {
  mensuro::UseShippedFontFolderUnlessChosen(mensuro::RunningProgramFolder());
  mensuro::CVerantApp application(argc, argv);
  application.InitInstance();
  return 0;
}
