#pragma once

// The window's controls hold Qt strings with line feeds only; the core and the files deal in
// single-byte texts whose lines end in CR LF. These convert between the two, byte for byte
// (Latin-1), so every byte a file holds reaches the control and comes back unchanged.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace mensuro {

// A single-line field's text as bytes. Characters beyond Latin-1 become '?'.
std::string BytesFromField(const QString& text);
QString FieldFromBytes(std::string_view bytes);

// A multi-line text as bytes, every line feed written as CR LF.
std::string BytesFromTextArea(const QString& text);
// The whole text of a multi-line text control exactly as typed or loaded: every line break as a
// line feed, and non-breaking spaces kept (the control's plain text would make them blanks).
QString TextAreaText(const QPlainTextEdit& control);
// That text as bytes (BytesFromTextArea).
std::string TextAreaBytes(const QPlainTextEdit& control);
// Bytes for a multi-line text control: CR LF and a lone carriage return each become the line
// feed that the control keeps.
QString TextAreaFromBytes(std::string_view bytes);

// A number for a field to show, in the shortest form that reads back to the same value, with a
// decimal point whatever the desktop's language.
QString FigureText(double value);

// File paths as the platform spells them, whatever the characters.
std::filesystem::path PathFromText(const QString& text);
QString TextFromPath(const std::filesystem::path& path);

}  // namespace mensuro
