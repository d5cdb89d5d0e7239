// Every window of the program opens within a 1280 x 800 desktop that has a title bar and a
// panel.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <map>
#include <string>

#include "test_window.h"
#include "ui/baseline/baseline_window.h"
#include "ui/common/control_text.h"
#include "ui/common/settings.h"
#include "ui/register/register_location.h"
#include "ui/register/register_window.h"

namespace mensuro::test {
namespace {

TEST(window_sizes, every_window_and_dialog_opens_at_most_700_pixels_tall) {
  TestWindow window;
  std::map<std::string, int> heights;  // by class
  const auto measure = [&heights](const QWidget& shown) {
    heights[shown.metaObject()->className()] = shown.height();
  };
  window.dialogs.whileShown = [&measure](QDialog& shown) {
    measure(shown);
    shown.reject();
  };
  measure(*window.dialog);
  window.dialog->OnAbout();

  // The plot window with the lists below its charts, and its conditions.
  EnterWorkedExample(window);
  QPlainTextEdit& measured = *window.Text(kIdMeasuredText);
  measured.setPlainText(measured.toPlainText() + QStringLiteral("A,B,99,998\nA,C,299.994\n"));
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();
  ASSERT_TRUE(window.dialog->Calibration().Exclude({"A", "C", 9, "test"}).isEmpty());
  measure(plot);
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);

  window.dialogs.answers = {TextFromPath(window.folder.path() / "certificate.pdf")};
  window.dialogs.replies = {true, true};  // whatever stands in the certificate's way
  window.dialog->OnSaveReportAs();

  // A field file, and one whose columns are chosen first.
  const std::filesystem::path examples(MENSURO_EXAMPLES_DIR);
  window.dialogs.answers = {TextFromPath(examples / "seven-pillar-field.csv")};
  window.dialog->OnOpenMeasured();
  window.dialogs.answers = {TextFromPath(examples / "seven-pillar-collector.txt")};
  window.dialogs.replies = {true};  // import the data collector's export
  window.dialog->OnOpenMeasured();

  RememberRegisterLocation(TextFromPath(window.folder.path() / "register.sqlite"));
  window.dialog->OnRegister();
  settings::Forget(settings::Section::kRegister);
  ASSERT_NE(window.dialog->RegisterWindow(), nullptr);
  measure(*window.dialog->RegisterWindow());
  window.dialog->OnBaseline();
  ASSERT_NE(window.dialog->BaselineWindow(), nullptr);
  measure(*window.dialog->BaselineWindow());

  EXPECT_EQ(heights.size(), 9u);
  for (const auto& [name, height] : heights) {
    EXPECT_LE(height, 700) << name;
  }
}

}  // namespace
}  // namespace mensuro::test
