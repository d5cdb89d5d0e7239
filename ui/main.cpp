#include "ui/application.h"

int main(int argc, char** argv) {
  mensuro::CVerantApp application(argc, argv);
  application.InitInstance();
  return 0;
}
