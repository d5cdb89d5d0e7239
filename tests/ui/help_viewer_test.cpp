#include "ui/common/help_viewer.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "ui/common/control_text.h"
#include "ui/common/qt_dialog_services.h"

namespace mensuro::test {
namespace {

TEST(help_viewer, shows_the_shipped_guide) {
  CHelpViewer viewer;
  ASSERT_TRUE(viewer.Load(QStringLiteral(MENSURO_HELP_PDF)));
  EXPECT_GT(viewer.PageCount(), 0);
  EXPECT_TRUE(viewer.windowTitle().contains(QStringLiteral("MensuroHelp.pdf")))
      << viewer.windowTitle().toStdString();
}

TEST(help_viewer, refuses_a_file_that_is_no_pdf) {
  const TempDir folder;
  CHelpViewer viewer;
  EXPECT_FALSE(viewer.Load(TextFromPath(folder.Write("MensuroHelp.pdf", "not really a PDF"))));
  EXPECT_EQ(viewer.PageCount(), 0);
}

TEST(help_viewer, help_asked_twice_brings_the_same_window_back) {
  QtDialogServices services;
  QWidget owner;
  const QString guide = QStringLiteral(MENSURO_HELP_PDF);
  ASSERT_TRUE(services.ShowDocumentInViewer(owner, guide));
  ASSERT_TRUE(services.ShowDocumentInViewer(owner, guide));
  const TempDir folder;
  EXPECT_FALSE(
      services.ShowDocumentInViewer(owner, TextFromPath(folder.Write("other.pdf", "not a PDF"))));
  EXPECT_EQ(owner.findChildren<CHelpViewer*>().size(), 1);
}

}  // namespace
}  // namespace mensuro::test
