#pragma once

// A figure typed into a dialog's field, read as the command line reads it: with a decimal point,
// whatever the language of the desktop. Every dialog says the same of a figure that doesn't read.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

// A reader of one kind of figure, as the core has them: the value, or nothing with the reason.
template <typename Value>
using FigureReader = std::optional<Value> (*)(std::string_view text, std::string& reason);

// "name: reason." for the field that messages call `name`, with a hint to write decimals with a
// point, as in `example`, when the typed `text` has a comma.
QString TypedFigureProblem(const QString& name, const QString& text, std::string_view reason,
                           std::string_view example);

// "name: enter what." for a field left empty.
QString EmptyFieldProblem(const QString& name, const QString& what);

// `text`, typed into the field that messages call `name`, read by `read`; nothing, with
// TypedFigureProblem in `problem`, when it doesn't read.
template <typename Value>
std::optional<Value> ReadTypedFigure(const QString& name, const QString& text,
                                     FigureReader<Value> read, std::string_view example,
                                     QString& problem) {
  std::string reason;
  std::optional<Value> value = read(text.toStdString(), reason);
  if (!value) {
    problem = TypedFigureProblem(name, text, reason, example);
  }
  return value;
}

}  // namespace mensuro
