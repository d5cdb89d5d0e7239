#pragma once

// Where the window's register is.

#include <QString>

namespace mensuro {

// The register the user chose in the window (the settings' Register/location), else the one the
// environment names, else register.sqlite in the program's folder of the user's data.
QString RegisterLocation();
// Remembers `location` as the user's choice.
void RememberRegisterLocation(const QString& location);

}  // namespace mensuro
