#include "ui/common/h_list_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>

#include "ui/common/fixed_pitch_font.h"

namespace mensuro {
namespace {

class h_list_box : public ::testing::Test {
 protected:
  h_list_box() {
    list.setFont(ReportFont());
    list.resize(200, 120);
    list.show();
  }
  int Width(int characters) const {
    return QFontMetrics(list.font()).horizontalAdvance(QString(characters, QLatin1Char('x'))) +
           3 * list.BorderWidth();
  }

  CHListBox list;
};

TEST_F(h_list_box, extent_is_the_widest_line_until_cleared) {
  EXPECT_EQ(list.AddLine(QString(10, QLatin1Char('a'))), 0);
  EXPECT_EQ(list.AddLine(QString(40, QLatin1Char('b'))), 1);
  EXPECT_EQ(list.AddLine(QString(20, QLatin1Char('c'))), 2);
  EXPECT_EQ(list.HorizontalExtent(), Width(40));
  EXPECT_EQ(list.WidestWidth(), Width(40));
  list.AddLine(QString(40, QLatin1Char('d')));
  EXPECT_EQ(list.HorizontalExtent(), Width(40));

  // Clearing forgets the widest width but not the extent; the next line sets it, even narrower.
  list.ClearLines();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.WidestWidth(), 0);
  EXPECT_EQ(list.HorizontalExtent(), Width(40));
  list.AddLine(QStringLiteral("short"));
  EXPECT_EQ(list.HorizontalExtent(), Width(5));

  list.ClearLines();
  list.AddLine(QString());
  EXPECT_EQ(list.HorizontalExtent(), 3 * list.BorderWidth());
  EXPECT_GT(list.HorizontalExtent(), 0);
}

TEST_F(h_list_box, scroll_bar_reaches_the_end_of_the_widest_line_and_no_further) {
  const QString wide(120, QLatin1Char('w'));
  list.AddLine(QStringLiteral("narrow"));
  list.AddLine(wide);
  // The list lays its items out later, and would then size the scroll bar by them.
  QCoreApplication::processEvents();
  QScrollBar* bar = list.horizontalScrollBar();
  EXPECT_EQ(bar->maximum(), list.HorizontalExtent() - list.viewport()->width());

  // Scrolled to the end, the view ends at the extent: the wide line's text, drawn after the
  // style's item margin, ends inside it with at most three border widths to spare.
  const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
  const int textEnd = margin + QFontMetrics(list.font()).horizontalAdvance(wide);
  EXPECT_LE(textEnd, bar->maximum() + list.viewport()->width());
  EXPECT_GE(textEnd, bar->maximum() + list.viewport()->width() - 3 * list.BorderWidth());

  list.resize(300, 120);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->maximum(), list.HorizontalExtent() - list.viewport()->width());
}

}  // namespace
}  // namespace mensuro
