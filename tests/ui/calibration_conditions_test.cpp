// The Calibration Conditions dialog, what it remembers, and the baseline uncertainty that a
// library baseline brings.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <optional>
#include <utility>
#include <vector>

#include "core/analysis/cyclic_error.h"
#include "test_window.h"
#include "ui/common/calibration_conditions_dialog.h"
#include "ui/common/control_text.h"

namespace mensuro::test {
namespace {

using Group = ConditionGroup;
using Field = ConditionField;

CCalibrationConditionsDlg& Conditions(QDialog& shown) {
  return dynamic_cast<CCalibrationConditionsDlg&>(shown);
}

void Type(const CCalibrationConditionsDlg& dialog, Field field, const QString& text) {
  dialog.Field(field).clear();
  QTest::keyClicks(&dialog.Field(field), text);
}

void ClickOk(const CCalibrationConditionsDlg& dialog) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                    Qt::LeftButton);
}

TEST(calibration_conditions, ok_gives_them_to_the_calibration_and_remembers_them) {
  // Figures read the same whatever the desktop's language.
  const QLocale desktop;
  QLocale::setDefault(QLocale(QLocale::German));
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();
  const int columns = Part<QTableWidget>(plot, "correctionTable").columnCount();

  window.dialogs.whileShown = [](QDialog& shown) {
    const CCalibrationConditionsDlg& dialog = Conditions(shown);
    EXPECT_FALSE(dialog.Group(Group::kBaseline).isChecked());
    EXPECT_EQ(dialog.Field(Field::kCoverageFactor).text(), QStringLiteral("2"));
    dialog.Group(Group::kBaseline).setChecked(true);
    dialog.Group(Group::kAcceptance).setChecked(true);
    Type(dialog, Field::kBaselineConstant, QStringLiteral("0.5"));
    Type(dialog, Field::kBaselineScale, QStringLiteral(" 1.25 "));
    Type(dialog, Field::kAcceptanceConstant, QStringLiteral("3"));
    Type(dialog, Field::kAcceptanceScale, QStringLiteral("3e0"));
    ClickOk(dialog);
    EXPECT_FALSE(dialog.isVisible());
  };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);

  // The calibration kept takes them at once, and its plot window shows their effect.
  const UncertaintyInputs& taken = window.dialog->Calibration().Calibration()->conditions;
  ASSERT_TRUE(taken.baseline.has_value() && taken.acceptance.has_value());
  EXPECT_EQ(taken.baseline->expanded.ppm, 1.25);
  EXPECT_FALSE(taken.baseline->dof.has_value() || taken.sensors.has_value());
  EXPECT_EQ(taken.acceptance->ppm, 3.0);
  EXPECT_EQ(Part<QTableWidget>(plot, "correctionTable").columnCount(), columns + 1);
  EXPECT_TRUE(Part<QLabel>(plot, "conformity").isVisible());

  // Opened again from the settings, it shows them as typed; Cancel changes nothing.
  window.dialogs.whileShown = [](QDialog& shown) {
    const CCalibrationConditionsDlg& dialog = Conditions(shown);
    EXPECT_TRUE(dialog.Group(Group::kBaseline).isChecked());
    EXPECT_FALSE(dialog.Group(Group::kSensors).isChecked());
    std::vector<QString> texts;
    for (const Field field : {Field::kBaselineConstant, Field::kBaselineScale,
                              Field::kCoverageFactor, Field::kDegreesOfFreedom, Field::kThermometer,
                              Field::kCentring, Field::kAcceptanceScale}) {
      texts.push_back(dialog.Field(field).text());
    }
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("0.5"), QStringLiteral("1.25"),
                                           QStringLiteral("2"), QString(), QString(), QString(),
                                           QStringLiteral("3")}));
    Type(dialog, Field::kBaselineConstant, QStringLiteral("9"));
  };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
  EXPECT_EQ(RememberedConditions(QString()).baseline->expanded.mm, 0.5);
  EXPECT_EQ(RememberedConditions(QStringLiteral("Total station 2 mm + 2 ppm")).acceptance->mm, 3.0);

  // The next Process takes the remembered conditions.
  window.dialog->OnProcess();
  EXPECT_TRUE(window.dialog->Calibration().Calibration()->conditions.acceptance.has_value());
  QLocale::setDefault(desktop);
}

TEST(calibration_conditions, are_those_of_the_instrument_processed_or_none) {
  TestWindow window;
  EnterWorkedExample(window);  // "Total station 2 mm + 2 ppm", in a header line of the text
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();
  window.dialogs.whileShown = [](QDialog& shown) {
    const CCalibrationConditionsDlg& dialog = Conditions(shown);
    dialog.Group(Group::kSensors).setChecked(true);
    dialog.Group(Group::kAcceptance).setChecked(true);
    Type(dialog, Field::kThermometer, QStringLiteral("0.2"));
    Type(dialog, Field::kBarometer, QStringLiteral("0.5"));
    Type(dialog, Field::kHygrometer, QStringLiteral("2"));
    Type(dialog, Field::kAcceptanceConstant, QStringLiteral("3"));
    Type(dialog, Field::kAcceptanceScale, QStringLiteral("3"));
    ClickOk(dialog);
  };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
  window.dialogs.whileShown = nullptr;
  const auto taken = [&window] { return window.dialog->Calibration().Calibration()->conditions; };
  ASSERT_TRUE(taken().acceptance && taken().sensors);

  // Another instrument, described in its field, starts from none of them.
  const QString text = window.Text(kIdMeasuredText)->toPlainText();
  window.Text(kIdMeasuredText)
      ->setPlainText(text.section(QLatin1Char('\n'), 4));  // without the header lines
  window.Field(kIdEdmDescription)->setText(QStringLiteral("Rangefinder R1"));
  window.dialog->OnProcess();
  EXPECT_FALSE(taken().acceptance || taken().sensors);

  // Back to the first, its own come back.
  window.Field(kIdEdmDescription)->setText(QStringLiteral("Total station 2 mm + 2 ppm"));
  window.dialog->OnProcess();
  ASSERT_TRUE(taken().acceptance.has_value());
  EXPECT_EQ(taken().acceptance->mm, 3.0);
}

TEST(calibration_conditions, a_figure_that_does_not_read_is_named_and_kept_for_mending) {
  struct Case {
    Group group;
    std::vector<std::pair<Field, QString>> typed;  // the last one doesn't read
    QString message;
  };
  const std::vector<Case> cases = {
      {Group::kResolution,
       {{Field::kResolution, QStringLiteral("0,5")}},
       QStringLiteral("Display resolution (mm): \"0,5\" is not a number. Write decimals with a "
                      "point, as in 0.5.")},
      {Group::kCentring,
       {{Field::kCentring, QStringLiteral("-0.2")}},
       QStringLiteral("Centring half-width (mm): -0.2 is negative; enter 0 or more.")},
      {Group::kBaseline,
       {{Field::kBaselineConstant, QStringLiteral("1")},
        {Field::kBaselineScale, QStringLiteral("1")},
        {Field::kCoverageFactor, QStringLiteral("0")}},
       QStringLiteral("Coverage factor k: 0 is not greater than 0.")},
      {Group::kAcceptance,
       {{Field::kAcceptanceConstant, QStringLiteral("")}},
       QStringLiteral("Acceptance limit, constant part (mm): enter a number, or clear the tick of "
                      "its group to leave it out.")},
  };
  for (const Case& tried : cases) {
    TestWindow window;
    CPlotWindow& plot = window.OpenPlot();
    window.dialogs.whileShown = [&tried](QDialog& shown) {
      const CCalibrationConditionsDlg& dialog = Conditions(shown);
      dialog.Group(tried.group).setChecked(true);
      for (const auto& [field, text] : tried.typed) {
        Type(dialog, field, text);
      }
      ClickOk(dialog);
      EXPECT_TRUE(dialog.isVisible()) << tried.message.toStdString();
      for (const auto& [field, text] : tried.typed) {
        EXPECT_EQ(dialog.Field(field).text(), text);
      }
    };
    QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
    EXPECT_EQ(window.dialogs.messages, std::vector<QString>{tried.message});
    // Closing the dialog then leaves the conditions as they were.
    EXPECT_FALSE(RememberedConditions(QString()).resolution ||
                 RememberedConditions(QString()).baseline);
  }
}

TEST(calibration_conditions, the_cyclic_error_is_read_from_its_unit_length_and_harmonics) {
  struct Case {
    QString unitLength;
    int harmonicsIndex;
    std::optional<CyclicSettings> taken;  // when OK closes the dialog
    QString message;                      // when it doesn't
  };
  const std::vector<Case> cases = {
      {QString(), 1, std::nullopt, {}},
      {QStringLiteral(" 0.000 "), 1, std::nullopt, {}},
      {QStringLiteral("5"), 0, CyclicSettings{5.0, 1}, {}},
      {QStringLiteral(" 1.5 "), 1, CyclicSettings{1.5, 2}, {}},
      {QStringLiteral("-5"), 0, std::nullopt,
       QStringLiteral("Unit length (m): -5 is negative; enter 0 or more.")},
      {QStringLiteral("2,5"), 0, std::nullopt,
       QStringLiteral("Unit length (m): \"2,5\" is not a number. Write decimals with a point, as "
                      "in 5.0.")},
  };
  for (const Case& tried : cases) {
    SCOPED_TRACE(tried.unitLength.toStdString());
    ScriptedDialogs services;
    // Opened on other conditions, whose unit length the typed one replaces.
    UncertaintyInputs shown;
    shown.cyclic = CyclicSettings{10.0, 2};
    shown.centring = 0.3;
    CCalibrationConditionsDlg dialog(services, shown, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.UnitLength().text(), QStringLiteral("10"));
    EXPECT_EQ(dialog.Harmonics().currentText(), QStringLiteral("2"));
    dialog.UnitLength().clear();
    QTest::keyClicks(&dialog.UnitLength(), tried.unitLength);
    dialog.Harmonics().setCurrentIndex(tried.harmonicsIndex);
    ClickOk(dialog);
    if (tried.message.isEmpty()) {
      EXPECT_FALSE(dialog.isVisible());
      EXPECT_TRUE(services.messages.empty());
      EXPECT_EQ(dialog.Conditions().cyclic, tried.taken);
      EXPECT_EQ(dialog.Conditions().centring, 0.3);
    } else {
      // Named, and kept as typed for mending; the conditions stay those it opened with.
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(services.messages, std::vector<QString>{tried.message});
      EXPECT_EQ(dialog.UnitLength().text(), tried.unitLength);
      EXPECT_EQ(dialog.Conditions().cyclic, shown.cyclic);
    }
  }
}

TEST(calibration_conditions, the_cyclic_error_is_remembered_per_instrument) {
  TestWindow window;  // nothing remembered
  UncertaintyInputs first;
  first.cyclic = CyclicSettings{1.5, 2};
  RememberConditions(QStringLiteral("EDM 1"), first);
  UncertaintyInputs second;
  second.cyclic = CyclicSettings{10.0, 1};
  RememberConditions(QStringLiteral("EDM 2"), second);
  EXPECT_EQ(RememberedConditions(QStringLiteral("EDM 1")).cyclic, first.cyclic);
  EXPECT_EQ(RememberedConditions(QStringLiteral("EDM 2")).cyclic, second.cyclic);
  EXPECT_FALSE(RememberedConditions(QStringLiteral("EDM 3")).cyclic);

  // Cleared for one, the other's stays.
  RememberConditions(QStringLiteral("EDM 1"), UncertaintyInputs{});
  EXPECT_FALSE(RememberedConditions(QStringLiteral("EDM 1")).cyclic);
  EXPECT_EQ(RememberedConditions(QStringLiteral("EDM 2")).cyclic, second.cyclic);

  // An entry edited by hand into something that no longer reads counts as not given; the
  // instrument's other conditions still read.
  for (const QString& text :
       {QStringLiteral("5"), QStringLiteral("0,1"), QStringLiteral("-5,1"), QStringLiteral("5,3"),
        QStringLiteral("5,1.5"), QStringLiteral("five,1"), QStringLiteral("5,1,1")}) {
    std::vector<settings::InstrumentConditions> entries = settings::InstrumentConditionsList();
    ASSERT_EQ(entries.size(), 2u);
    entries[1].cyclic = text;
    entries[1].centring = QStringLiteral("0.2");
    settings::SetInstrumentConditionsList(entries);
    const UncertaintyInputs read = RememberedConditions(QStringLiteral("EDM 2"));
    EXPECT_FALSE(read.cyclic) << text.toStdString();
    EXPECT_EQ(read.centring, 0.2);
  }
}

TEST(calibration_conditions, the_cyclic_error_follows_the_pairs_and_the_unit_length) {
  TestWindow window;
  window.Text(kIdPublishedText)
      ->setPlainText(QStringLiteral("A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\n"
                                    "A,F,281.9343\nA,G,347.5361\nA,H,395.2191\nA,I,455.9623\n"
                                    "A,J,503.6455\n"));
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral("A,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\n"
                                    "A,F,281.9331\nA,G,347.5349\nA,H,395.2179\nA,I,455.9606\n"
                                    "A,J,503.6442\n"));
  window.dialog->OnProcess();
  const std::vector<QString> plain = window.ResultLines();
  const auto kept = [&window] { return window.dialog->Calibration().Calibration(); };
  ASSERT_NE(kept(), nullptr);
  EXPECT_FALSE(kept()->cyclic);

  // The instrument's remembered unit length goes with the next Process; the report stays as it
  // was.
  UncertaintyInputs remembered;
  remembered.cyclic = CyclicSettings{10.0, 1};
  RememberConditions(QString(), remembered);
  window.dialog->OnProcess();
  ASSERT_TRUE(kept()->cyclic && kept()->cyclic->estimable);
  EXPECT_EQ(kept()->cyclic->settings, *remembered.cyclic);
  EXPECT_EQ(kept()->cyclic->fractions.size(), 9u);
  EXPECT_EQ(window.ResultLines(), plain);

  // A pair left out leaves the cyclic error to the others.
  EXPECT_EQ(window.dialog->Calibration().Exclude({"A", "F", 0, "blunder"}), QString());
  const auto estimatedFromKeptPairs = [&kept] {
    return EstimateCyclicError(kept()->run.analysis.entries, kept()->cyclic->settings);
  };
  ASSERT_TRUE(kept()->cyclic.has_value());
  EXPECT_EQ(kept()->cyclic->fractions.size(), 8u);
  EXPECT_EQ(kept()->cyclic->constant, estimatedFromKeptPairs().constant);

  // A new unit length and harmonics from the dialog work it out again, the pair still left out,
  // and are remembered for the instrument.
  CPlotWindow& plot = window.OpenPlot();
  window.dialogs.whileShown = [](QDialog& shown) {
    const CCalibrationConditionsDlg& dialog = Conditions(shown);
    EXPECT_EQ(dialog.UnitLength().text(), QStringLiteral("10"));
    dialog.UnitLength().clear();
    QTest::keyClicks(&dialog.UnitLength(), QStringLiteral("20"));
    dialog.Harmonics().setCurrentIndex(1);
    ClickOk(dialog);
  };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
  ASSERT_TRUE(kept()->cyclic.has_value());
  EXPECT_EQ(kept()->cyclic->settings, (CyclicSettings{20.0, 2}));
  EXPECT_EQ(kept()->cyclic->harmonics.size(), 2u);
  EXPECT_EQ(kept()->cyclic->constant, estimatedFromKeptPairs().constant);
  EXPECT_EQ(kept()->exclusions.size(), 1u);
  EXPECT_EQ(RememberedConditions(QString()).cyclic, (CyclicSettings{20.0, 2}));

  // Cleared, there is none, and none is remembered.
  window.dialogs.whileShown = [](QDialog& shown) {
    const CCalibrationConditionsDlg& dialog = Conditions(shown);
    dialog.UnitLength().clear();
    ClickOk(dialog);
  };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
  EXPECT_FALSE(kept()->cyclic);
  EXPECT_FALSE(RememberedConditions(QString()).cyclic);
}

TEST(calibration_conditions, a_library_baseline_brings_its_uncertainty) {
  TestWindow window(
      TestWindow::Library{"1:Certified\r\n2:A,B,100\r\n3:uncertainty=0.6,1.5,2.5,40\r\n"
                          "1:Uncertified\r\n2:A,B,200\r\n"
                          "1:Misprinted\r\n2:A,B,300\r\n3:uncertainty=0.6;1.5\r\n"});
  const auto load = [&window](const QString& name) {
    auto* list = window.Get<QComboBox>(kIdBaselineList);
    list->setCurrentIndex(list->findText(name));
    QTest::mouseClick(window.Button(kIdLoadBaseline), Qt::LeftButton);
  };

  load(QStringLiteral("Certified"));
  const std::optional<BaselineUncertainty> remembered = RememberedConditions(QString()).baseline;
  ASSERT_TRUE(remembered.has_value());
  EXPECT_EQ(remembered->expanded.ppm, 1.5);
  EXPECT_EQ(remembered->k, 2.5);
  EXPECT_EQ(remembered->dof, 40.0);

  // A baseline without the line, and one whose line doesn't read, leave it as it is; the
  // distances load all the same.
  load(QStringLiteral("Uncertified"));
  EXPECT_EQ(RememberedConditions(QString()).baseline->expanded.mm, 0.6);
  EXPECT_TRUE(window.dialogs.messages.empty());
  load(QStringLiteral("Misprinted"));
  EXPECT_EQ(RememberedConditions(QString()).baseline->expanded.mm, 0.6);
  EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QStringLiteral("A,B,300\n"));
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(
      TextFromPath(window.folder.path() / "Baselines.dat") +
      QStringLiteral(", line 8: the baseline's uncertainty \"0.6;1.5\" can't be read: ")))
      << window.dialogs.messages[0].toStdString();
}

TEST(calibration_conditions, a_library_baselines_pair_lines_go_with_its_distances) {
  TestWindow window(
      TestWindow::Library{"1:Certified\r\n2:A,B,100\r\n2:A,C,300\r\n2:A,D,600\r\n"
                          "3:uncertainty=0.6,1.5\r\n3:pair-uncertainty=D,A,2,2,inf\r\n"
                          "1:Misprinted\r\n2:A,B,300\r\n3:pair-uncertainty=A,B,2\r\n"});
  EnterWorkedExample(window);
  QTest::mouseClick(window.Get(kIdPredefined), Qt::LeftButton);
  const auto load = [&window](const QString& name) {
    auto* list = window.Get<QComboBox>(kIdBaselineList);
    list->setCurrentIndex(list->findText(name));
    QTest::mouseClick(window.Button(kIdLoadBaseline), Qt::LeftButton);
  };
  const auto pairs = [&window] {
    return window.dialog->Calibration().Calibration()->conditions.baselinePairs;
  };
  load(QStringLiteral("Certified"));
  window.dialog->OnProcess();
  ASSERT_EQ(pairs().size(), 1u);
  EXPECT_EQ(pairs()[0].expandedMm, 2.0);
  ASSERT_TRUE(window.dialog->Calibration().Calibration()->uncertainty.baselinePairs);

  // New conditions leave them to the distances.
  CPlotWindow& plot = window.OpenPlot();
  window.dialogs.whileShown = [](QDialog& shown) { ClickOk(Conditions(shown)); };
  QTest::mouseClick(&Part<QPushButton>(plot, "calibrationConditions"), Qt::LeftButton);
  EXPECT_EQ(pairs().size(), 1u);
  window.dialogs.whileShown = nullptr;

  // Edited distances are no longer those the lines certify.
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\nA,D,600.001\n"));
  window.dialog->OnProcess();
  EXPECT_TRUE(pairs().empty());

  // Lines that don't read are told, and none is kept.
  load(QStringLiteral("Misprinted"));
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(
      TextFromPath(window.folder.path() / "Baselines.dat") +
      QStringLiteral(", line 9: the pair uncertainty \"A,B,2\" can't be read: ")))
      << window.dialogs.messages[0].toStdString();
}

}  // namespace
}  // namespace mensuro::test
