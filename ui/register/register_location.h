#pragma once

// Where the window's register is, and the register the window has open.

#include <QString>
#include <optional>
#include <string>

#include "register/calibration_register.h"

namespace mensuro {

// The register the user chose in the window (the settings' Register/location), else the one the
// environment names, else register.sqlite in the program's folder of the user's data.
QString RegisterLocation();
// Remembers `location` as the user's choice.
void RememberRegisterLocation(const QString& location);

// The register the main window and its register window share; none until one is opened. The
// main window owns it.
class RegisterSession {
 public:
  // Opens (creating on first use) the register at `location`, in place of the one open. Returns
  // why it can't be opened, the open one then staying; empty when opened.
  QString Open(const QString& location);

  bool IsOpen() const { return register_.has_value(); }
  // The open register; nothing before one is opened.
  CalibrationRegister* Register() { return register_ ? &*register_ : nullptr; }
  // Where the open register is; empty before one is opened.
  const QString& Location() const { return location_; }

 private:
  std::optional<CalibrationRegister> register_;
  QString location_;
};

}  // namespace mensuro
