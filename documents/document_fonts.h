#pragma once

// The fonts of the documents and the window: DejaVu Sans and DejaVu Sans Mono ship in fonts/
// beside the programs (in the share folder once installed) and are loaded at start, so that a
// certificate has the same layout and page count on every machine.

#include <QFont>
#include <QStringList>
#include <filesystem>
#include <string_view>

namespace mensuro {

inline constexpr std::string_view kShippedFontFolderName = "fonts";

// `font` with ligatures turned off, so that the text of a PDF reads back letter for letter:
// "fi" stays two letters when it is searched, copied or extracted.
QFont WithoutLigatures(QFont font);

// The shipped fonts folder of the executable in `executableDir`.
std::filesystem::path ShippedFontFolder(const std::filesystem::path& executableDir);

// Points QT_QPA_FONTDIR at the shipped fonts unless the user set it: Qt's offscreen platform on
// Windows finds fonts only there. Fontconfig platforms ignore it. Call before the application
// object is made.
void UseShippedFontFolderUnlessChosen(const std::filesystem::path& executableDir);

// Adds every TrueType font of the shipped fonts folder to the application's fonts. Returns the
// families they brought, each once; none when the folder is missing. Call once the application
// object exists.
QStringList LoadShippedFonts(const std::filesystem::path& executableDir);

}  // namespace mensuro
