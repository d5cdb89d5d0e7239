#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <map>

#include "resources/dialog_templates.h"
#include "test_window.h"
#include "ui/common/control_text.h"
#include "ui/common/fixed_pitch_font.h"

namespace mensuro::test {
namespace {

bool IsFrame(const QWidget* widget) {
  return qobject_cast<const QGroupBox*>(widget) != nullptr;
}

// Every control where its template puts it, its caption whole, no two overlapping.
void ExpectLaidOutWithoutClipping(const TestWindow& window) {
  const DialogTemplate& layout = MainDialogTemplate();
  std::vector<std::pair<QRect, QString>> placed;
  const QList<QWidget*> children =
      window.dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_EQ(static_cast<std::size_t>(children.size()), layout.controls.size());
  for (QWidget* widget : children) {
    const int id = widget->property("controlId").toInt();
    const QFontMetrics metrics(widget->font());
    const QRect rect = widget->geometry();
    EXPECT_TRUE(window.dialog->rect().contains(rect)) << id;
    QString caption;
    if (const auto* label = qobject_cast<QLabel*>(widget)) {
      caption = label->text();
      EXPECT_LE(metrics.horizontalAdvance(caption), rect.width()) << caption.toStdString();
      EXPECT_LE(metrics.height(), rect.height()) << caption.toStdString();
    } else if (const auto* radio = qobject_cast<QRadioButton*>(widget)) {
      caption = radio->text();
      EXPECT_LE(radio->sizeHint().width(), rect.width()) << caption.toStdString();
    } else if (const auto* button = qobject_cast<QAbstractButton*>(widget)) {
      caption = button->text();
      EXPECT_LT(metrics.horizontalAdvance(QString(caption).remove(QLatin1Char('&'))),
                rect.width() - 8)
          << caption.toStdString();
      EXPECT_LE(button->sizeHint().height(), rect.height()) << caption.toStdString();
    } else if (const auto* frame = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_LT(metrics.horizontalAdvance(frame->title()), rect.width() - 16);
    }
    if (!IsFrame(widget)) {
      for (const auto& [other, name] : placed) {
        EXPECT_FALSE(rect.intersects(other)) << id << " overlaps " << name.toStdString();
      }
      placed.emplace_back(rect, QString::number(id) + QLatin1Char(' ') + caption);
    }
  }
}

TEST(main_dialog, controls_follow_the_template) {
  const TestWindow window;
  EXPECT_EQ(window.dialog->windowTitle(), QStringLiteral("Halvard, PC Mensuro, (EDM Calibration)"));
  const DialogBaseUnits units = FontBaseUnits(window.dialog->font());
  EXPECT_GE(window.dialog->width(), DialogRectToPixels({0, 0, 485, 0}, units).width());
  // The template laid out afresh gives the units the window was laid out in. The window opens at
  // that size, but never taller than 700 pixels: then its result list is shorter.
  QDialog laidOut;
  const DialogBaseUnits templateUnits = BuildDialog(MainDialogTemplate(), laidOut).units;
  EXPECT_EQ(window.dialog->size(), QSize(laidOut.width(), std::min(laidOut.height(), 700)));
  EXPECT_LT(window.dialog->minimumHeight(), 700);
  window.dialog->resize(laidOut.size());
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    if (control.id == kStaticControlId) {
      continue;
    }
    const QWidget* widget = window.dialog->Control(control.id);
    ASSERT_NE(widget, nullptr) << control.id;
    if (control.kind != ControlKind::kDropDownList) {
      EXPECT_EQ(widget->geometry(), DialogRectToPixels(control.rect, templateUnits)) << control.id;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
      EXPECT_EQ(button->text().toStdString(), control.caption);
    }
  }
  EXPECT_TRUE(window.Button(kIdProcess)->isDefault());
  EXPECT_FALSE(window.Button(kIdCancel)->isDefault());
  ExpectLaidOutWithoutClipping(window);

  // Tab visits the tab stops in template order, skipping the disabled ones; the focus starts on
  // Process.
  EXPECT_EQ(window.dialog->focusWidget(), window.Button(kIdProcess));
  std::vector<int> visited;
  for (QWidget* next = window.Button(kIdProcess)->nextInFocusChain(); visited.size() < 20;
       next = next->nextInFocusChain()) {
    if (next->property("controlId").isValid() && next->focusPolicy() & Qt::TabFocus) {
      visited.push_back(next->property("controlId").toInt());
    }
    if (next == window.Button(kIdProcess)) {
      break;
    }
  }
  const std::vector<int> tabOrder = {
      kIdCancel,         kIdPlot,          kIdPublishedFileName, kIdOpenPublished, kIdNewPublished,
      kIdSaveReportAs,   kIdLoadBaseline,  kIdMeasuredFileName,  kIdOpenMeasured,  kIdNewMeasured,
      kIdPublishedText,  kIdSavePublished, kIdSavePublishedAs,   kIdMeasuredText,  kIdSaveMeasured,
      kIdSaveMeasuredAs, kIdResultList,    kIdBaselineList,      kIdConstantError, kIdPpmError};
  EXPECT_EQ(visited, tabOrder);
}

TEST(main_dialog, captions_fit_at_a_large_font_too) {
  const QFont usual = QApplication::font();
  QFont large = usual;
  large.setPointSizeF(usual.pointSizeF() * 1.6);
  QApplication::setFont(large);
  const TestWindow window;
  QApplication::setFont(usual);
  ExpectLaidOutWithoutClipping(window);
}

TEST(main_dialog, screen_readers_find_every_control_by_name) {
  const TestWindow window;
  const std::map<int, QString> names = {
      {kIdPublishedFileName, QStringLiteral("Published EDM File:")},
      {kIdBaselineList, QStringLiteral("Existing Halvard Baselines:")},
      {kIdMeasuredFileName, QStringLiteral("Measured EDM File:")},
      {kIdPublishedText, QStringLiteral("Published:")},
      {kIdMeasuredText, QStringLiteral("Measured:")},
      {kIdResultList, QStringLiteral("Result")},
      {kIdConstantError, QStringLiteral("Constant Err. (mm):")},
      {kIdPpmError, QStringLiteral("PPM Err.:")},
      {kIdComment, QStringLiteral("Comment:")},
      {kIdEdmDescription, QStringLiteral("EDM Description:")},
      {kIdDate, QStringLiteral("Date:")},
      {kIdTime, QStringLiteral("Time:")},
      {kIdNewPublished, QStringLiteral("New")},
      {kIdSaveMeasuredAs, QStringLiteral("Save As")},
      {kIdProcess, QStringLiteral("Process")},
      {kIdFromFile, QStringLiteral("From File:")},
  };
  for (const auto& [id, name] : names) {
    EXPECT_EQ(window.Get(id)->accessibleName(), name) << id;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window.Get(id));
    ASSERT_NE(accessible, nullptr) << id;
    // A drop-down list tells its value as its name on some desktops; its label comes through
    // the labelled-by relation instead.
    if (id != kIdBaselineList) {
      EXPECT_EQ(accessible->text(QAccessible::Name), name) << id;
    }
  }
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.Get(kIdBaselineList));
  const auto labels = list->relations(QAccessible::Label);
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0].first->text(QAccessible::Name),
            QStringLiteral("Existing Halvard Baselines:"));
}

TEST(main_dialog, result_list_font_and_icons) {
  const TestWindow window;
  EXPECT_TRUE(AdvancesAlike(window.Results()->font()));
  // A proportional font is replaced by a monospace one at its size.
  QFont proportional(QStringLiteral("DejaVu Sans"), 11);
  ASSERT_FALSE(AdvancesAlike(proportional));
  const QFont fixed = FixedPitchFont(proportional);
  EXPECT_TRUE(AdvancesAlike(fixed));
  EXPECT_EQ(fixed.pointSize(), 11);

  // The small and the large icon the window is given, and the window icon made of them.
  for (const QIcon& icon :
       {QIcon(QStringLiteral(":/icons/128.png")), QIcon(QStringLiteral(":/icons/130.png")),
        window.dialog->windowIcon()}) {
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(78, 78)});
  }
}

TEST(main_dialog, opens_on_the_library_with_default_header) {
  const TestWindow window;
  EXPECT_TRUE(window.Get<QRadioButton>(kIdPredefined)->isChecked());
  for (const int id :
       {kIdPublishedFileLabel, kIdPublishedFileName, kIdOpenPublished, kIdNewPublished,
        kIdSavePublished, kIdSavePublishedAs, kIdSaveMeasured, kIdSaveMeasuredAs}) {
    EXPECT_FALSE(window.Get(id)->isEnabled()) << id;
  }
  for (const int id : {kIdBaselineLabel, kIdBaselineList, kIdLoadBaseline, kIdSaveReportAs,
                       kIdOpenMeasured, kIdNewMeasured, kIdProcess, kIdCancel, kIdAbout, kIdHelp}) {
    EXPECT_TRUE(window.Get(id)->isEnabled()) << id;
  }
  const auto* baselines = window.Get<QComboBox>(kIdBaselineList);
  ASSERT_EQ(baselines->count(), 3);
  EXPECT_EQ(baselines->currentIndex(), 0);
  EXPECT_EQ(baselines->currentText(), QStringLiteral("Example four-mark line 0-150-430-1400 m"));
  for (const int id : {kIdDate, kIdTime, kIdEdmDescription, kIdComment, kIdPublishedFileName,
                       kIdMeasuredFileName}) {
    EXPECT_TRUE(window.Field(id)->text().isEmpty()) << id;
  }
  EXPECT_EQ(window.Field(kIdConstantError)->text(), QStringLiteral("2.00"));
  EXPECT_EQ(window.Field(kIdPpmError)->text(), QStringLiteral("2.00"));
  EXPECT_EQ(window.Results()->count(), 0);
  EXPECT_EQ(window.dialog->Header().publishedSource, "Example four-mark line 0-150-430-1400 m");
}

TEST(main_dialog, opens_without_a_library) {
  const TestWindow window(false);
  EXPECT_EQ(window.Get<QComboBox>(kIdBaselineList)->count(), 0);
  EXPECT_EQ(window.Get<QComboBox>(kIdBaselineList)->currentIndex(), -1);
  EXPECT_EQ(window.dialog->Header().publishedSource, "");
  EXPECT_TRUE(window.Button(kIdLoadBaseline)->isEnabled());
}

TEST(main_dialog, source_choice_switches_the_controls_and_the_published_source) {
  const TestWindow window;
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\n"));
  QTest::mouseClick(window.Get(kIdFromFile), Qt::LeftButton);
  EXPECT_TRUE(window.Get<QRadioButton>(kIdFromFile)->isChecked());
  for (const int id :
       {kIdPublishedFileLabel, kIdPublishedFileName, kIdOpenPublished, kIdNewPublished}) {
    EXPECT_TRUE(window.Get(id)->isEnabled()) << id;
  }
  for (const int id : {kIdBaselineLabel, kIdBaselineList, kIdLoadBaseline}) {
    EXPECT_FALSE(window.Get(id)->isEnabled()) << id;
  }
  window.dialog->ReadHeaderFromEdits();
  EXPECT_EQ(window.dialog->Header().publishedSource, "");  // the empty file name field
  QTest::keyClicks(window.Field(kIdPublishedFileName), QStringLiteral("pub.txt"));
  window.dialog->ReadHeaderFromEdits();
  EXPECT_EQ(window.dialog->Header().publishedSource, "pub.txt");

  QTest::mouseClick(window.Get(kIdPredefined), Qt::LeftButton);
  EXPECT_TRUE(window.Get<QRadioButton>(kIdPredefined)->isChecked());
  EXPECT_FALSE(window.Field(kIdPublishedFileName)->isEnabled());
  EXPECT_TRUE(window.Get(kIdBaselineList)->isEnabled());
  window.Get<QComboBox>(kIdBaselineList)->setCurrentIndex(2);
  window.dialog->ReadHeaderFromEdits();
  EXPECT_EQ(window.dialog->Header().publishedSource, "Example short line 100 m");
  EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QStringLiteral("A,B,100\n"));
  EXPECT_FALSE(window.Button(kIdSavePublished)->isEnabled());
}

TEST(main_dialog, header_fields_read_as_typed) {
  const TestWindow window;
  QLineEdit* ppm = window.Field(kIdPpmError);
  ppm->clear();
  QTest::keyClicks(ppm, QStringLiteral("mm"));
  EXPECT_EQ(window.dialog->Header().ppmError, 0.0);
  ppm->clear();
  QTest::keyClicks(ppm, QStringLiteral(" 1.5mm"));
  EXPECT_EQ(window.dialog->Header().ppmError, 1.5);
  QTest::keyClicks(window.Field(kIdDate), QStringLiteral("07-12-2026"));
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("Sunny, 21 \xb0"
                                                            "C"));
  EXPECT_EQ(window.dialog->Header().date, "07-12-2026");
  EXPECT_EQ(window.dialog->Header().comment,
            "Sunny, 21 \xb0"
            "C");
  // Typing in a header field changes the measured data.
  EXPECT_TRUE(window.Button(kIdSaveMeasured)->isEnabled());
  EXPECT_TRUE(window.Button(kIdSaveMeasuredAs)->isEnabled());
  EXPECT_FALSE(window.Button(kIdSavePublishedAs)->isEnabled());
}

TEST(main_dialog, showing_the_header_never_reads_back_a_stale_field) {
  const TestWindow window;
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("typed comment"));
  QTest::keyClicks(window.Field(kIdTime), QStringLiteral("10:00:00"));
  window.dialog->Header() = {.ppmError = 0.004,
                             .constantError = 3.146,
                             .comment = "",
                             .edmDescription = "EDM 5",
                             .date = "01-02-2027",
                             .time = "",
                             .publishedSource = "",
                             .measuredFileName = ""};
  window.dialog->ShowHeaderInEdits();
  EXPECT_EQ(window.Field(kIdConstantError)->text(), QStringLiteral("3.15"));
  EXPECT_EQ(window.Field(kIdPpmError)->text(), QStringLiteral("0.00"));
  EXPECT_EQ(window.Field(kIdComment)->text(), QString());
  EXPECT_EQ(window.Field(kIdTime)->text(), QString());
  EXPECT_EQ(window.Field(kIdDate)->text(), QStringLiteral("01-02-2027"));
  const MeasurementHeader& header = window.dialog->Header();
  EXPECT_EQ(header.constantError, 3.15);
  EXPECT_EQ(header.ppmError, 0.0);
  EXPECT_EQ(header.comment, "");
  EXPECT_EQ(header.time, "");
  EXPECT_EQ(header.date, "01-02-2027");
  EXPECT_EQ(header.edmDescription, "EDM 5");
  EXPECT_EQ(header.publishedSource, "Example four-mark line 0-150-430-1400 m");

  // Writing what a field already shows changes nothing, so it leaves the Save buttons as they were.
  window.Button(kIdSaveMeasured)->setEnabled(false);
  window.dialog->ShowHeaderInEdits();
  EXPECT_FALSE(window.Button(kIdSaveMeasured)->isEnabled());
}

TEST(main_dialog, enter_processes_except_in_the_texts_and_escape_closes) {
  TestWindow window;
  QTest::keyClick(window.Field(kIdDate), Qt::Key_Return);
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_EQ(window.dialogs.messages[0], QStringLiteral("No published baseline data found."));
  EXPECT_TRUE(window.dialog->isVisible());

  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1"));
  QTest::keyClick(window.Text(kIdMeasuredText), Qt::Key_Return);
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,C,2"));
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,B,1\nA,C,2"));
  EXPECT_EQ(window.dialogs.messages.size(), 1u);

  window.dialogs.saveChoices = {SaveChoice::kDiscard};  // the typed text
  QTest::keyClick(window.Field(kIdComment), Qt::Key_Escape);
  EXPECT_FALSE(window.dialog->isVisible());
  EXPECT_EQ(window.dialog->result(), QDialog::Rejected);

  TestWindow closed;
  closed.dialog->close();  // the close box
  EXPECT_FALSE(closed.dialog->isVisible());
  EXPECT_EQ(closed.dialog->result(), QDialog::Rejected);
}

TEST(main_dialog, closing_with_unsaved_texts_asks_to_save_them) {
  TestWindow window;
  QTest::mouseClick(window.Button(kIdLoadBaseline), Qt::LeftButton);
  ASSERT_FALSE(window.Text(kIdPublishedText)->toPlainText().isEmpty());
  QTest::mouseClick(window.Button(kIdCancel), Qt::LeftButton);  // Cancel, as unanswered
  EXPECT_TRUE(window.dialog->isVisible());
  ASSERT_EQ(window.dialogs.questions.size(), 1u);
  EXPECT_EQ(window.dialogs.questions[0],
            QStringLiteral("The published text has changes that are not saved.\n\n"
                           "Save them before closing?"));

  // Save, the file dialog cancelled: still open, nothing lost.
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,100.001"));
  window.dialogs.saveChoices = {SaveChoice::kSave};
  window.dialog->close();  // the close box
  EXPECT_TRUE(window.dialog->isVisible());
  EXPECT_TRUE(window.dialogs.questions.back().startsWith(
      QStringLiteral("The published and the measured text have changes")));

  // Save with names given writes both, then closes.
  const std::filesystem::path published = window.folder.path() / "published.txt";
  const std::filesystem::path measured = window.folder.path() / "measured.txt";
  window.dialogs.saveChoices = {SaveChoice::kSave};
  window.dialogs.answers = {TextFromPath(published), TextFromPath(measured)};
  QTest::keyClick(window.Field(kIdComment), Qt::Key_Escape);
  EXPECT_FALSE(window.dialog->isVisible());
  EXPECT_FALSE(ReadBytes(published).empty());
  EXPECT_NE(ReadBytes(measured).find("A,B,100.001"), std::string::npos);
}

}  // namespace
}  // namespace mensuro::test
