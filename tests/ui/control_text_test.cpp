#include "ui/common/control_text.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>

#include "ui/common/qt_dialog_services.h"

namespace mensuro {
namespace {

TEST(control_text, texts_reach_the_controls_and_come_back_byte_for_byte) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) {
    if (c != '\r' && c != '\n') {
      bytes += static_cast<char>(c);
    }
  }
  EXPECT_EQ(BytesFromField(FieldFromBytes(bytes)), bytes);

  // Through a real multi-line control: CR LF and a lone CR become line feeds there, and every
  // line feed comes back as CR LF. A non-breaking space stays one.
  QPlainTextEdit text;
  text.setPlainText(TextAreaFromBytes("A,B,1\r\nA,C,2\rA,D,3\n\xe9t\xe9\xa0\r\n\r\nlast"));
  EXPECT_EQ(TextAreaText(text), QStringLiteral("A,B,1\nA,C,2\nA,D,3\n\u00e9t\u00e9\u00a0\n\nlast"));
  EXPECT_EQ(BytesFromTextArea(TextAreaText(text)),
            "A,B,1\r\nA,C,2\r\nA,D,3\r\n\xe9t\xe9\xa0\r\n\r\nlast");
  // A line break typed with Shift+Enter is a line break like any other.
  text.moveCursor(QTextCursor::End);
  QTest::keyClick(&text, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_TRUE(TextAreaText(text).endsWith(QStringLiteral("last\n")));
  EXPECT_EQ(TextAreaFromBytes("\r"), QStringLiteral("\n"));
}

TEST(control_text, file_dialog_filters_keep_their_labels_and_ignore_case) {
  EXPECT_EQ(QtNameFilters(QStringLiteral(
                "Report Files (*.RPT)|*.RPT|Report Files (*.rpt)|*.txt|All Files (*.*)|*.*||")),
            (QStringList{QStringLiteral("Report Files (*.RPT) (*.[Rr][Pp][Tt])"),
                         QStringLiteral("Report Files (*.rpt) (*.[Tt][Xx][Tt])"),
                         QStringLiteral("All Files (*.*) (*)")}));
}

}  // namespace
}  // namespace mensuro
