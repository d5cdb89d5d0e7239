#pragma once

#include <QApplication>

namespace mensuro {

// The desktop program: one application that shows the main window until it closes.
class CVerantApp {
 public:
  CVerantApp(int& argc, char** argv);

  // Shows the main window and returns when it closes (Cancel, Esc or the close box). Returns
  // false: nothing runs after the window.
  bool InitInstance();

 private:
  QApplication application_;
};

}  // namespace mensuro
