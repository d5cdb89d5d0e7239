#include "ui/common/control_text.h"

#include <fmt/format.h>

#include <QByteArray>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <cstddef>

namespace mensuro {

QString FigureText(double value) {
  return QString::fromStdString(fmt::format("{}", value));
}

std::string BytesFromField(const QString& text) {
  return text.toLatin1().toStdString();
}

QString FieldFromBytes(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string BytesFromTextArea(const QString& text) {
  const QByteArray latin1 = text.toLatin1();
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(latin1.size()) +
                static_cast<std::size_t>(latin1.count('\n')));
  for (const char c : latin1) {
    if (c == '\n') {
      bytes += '\r';
    }
    bytes += c;
  }
  return bytes;
}

QString TextAreaText(const QPlainTextEdit& control) {
  QString text = control.document()->toRawText();
  for (QChar& c : text) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
      c = QLatin1Char('\n');
    }
  }
  return text;
}

std::string TextAreaBytes(const QPlainTextEdit& control) {
  return BytesFromTextArea(TextAreaText(control));
}

QString TextAreaFromBytes(std::string_view bytes) {
  std::string lines;
  lines.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      lines += bytes[i];
    } else if (i + 1 == bytes.size() || bytes[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return FieldFromBytes(lines);
}

std::filesystem::path PathFromText(const QString& text) {
#ifdef _WIN32
  return std::filesystem::path(text.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QString TextFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

}  // namespace mensuro
