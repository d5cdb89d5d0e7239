#pragma once

// The main window with scripted answers to its dialogs, in a scratch folder that stands for the
// program's folder.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "resources/control_ids.h"
#include "support/temp_dir.h"
#include "ui/common/dialog_services.h"
#include "ui/common/h_list_box.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/settings.h"
#include "ui/main/main_dialog.h"
#include "ui/plot/plot_window.h"

namespace mensuro::test {

// The child widget of `window` named `name`. A missing one fails the test, which stops there: the
// exception ends the test body, and GoogleTest reports it.
template <class W>
W& Part(const QWidget& window, const char* name) {
  W* const part = window.findChild<W*>(QString::fromLatin1(name));
  if (part == nullptr) {
    ADD_FAILURE() << window.metaObject()->className() << " has no "
                  << W::staticMetaObject.className() << " named " << name;
    throw std::logic_error(std::string("missing window part ") + name);
  }
  return *part;
}

// Answers file dialogs with the paths of a queue (cancelled when it runs dry) and records
// everything the window would have shown.
class ScriptedDialogs final : public DialogServices {
 public:
  std::optional<QString> ChooseFile(QWidget&, const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) {
      return std::nullopt;
    }
    const QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowMessage(QWidget&, const QString& text) override { messages.push_back(text); }
  bool OpenDocument(const QString& path) override {
    opened.push_back(path);
    return openSucceeds;
  }
  bool ShowDocumentInViewer(QWidget&, const QString& path) override {
    viewed.push_back(path);
    return viewerSucceeds;
  }
  // The dialog is shown (offscreen) and handed to `whileShown` instead of being run modally.
  void RunModal(QDialog& dialog) override {
    dialog.show();
    ++modalRuns;
    if (whileShown) {
      whileShown(dialog);
    }
    dialog.close();
  }

  // Questions are answered from `replies` (No when it runs dry), requests for text from `texts`
  // (cancelled when it runs dry); both are recorded.
  bool AskYesNo(QWidget&, const QString& question) override {
    questions.push_back(question);
    if (replies.empty()) {
      return false;
    }
    const bool reply = replies.front();
    replies.pop_front();
    return reply;
  }
  // Questions about unsaved changes are answered from `saveChoices` (Cancel when it runs dry)
  // and recorded.
  SaveChoice AskSaveChanges(QWidget&, const QString& question) override {
    questions.push_back(question);
    if (saveChoices.empty()) {
      return SaveChoice::kCancel;
    }
    const SaveChoice choice = saveChoices.front();
    saveChoices.pop_front();
    return choice;
  }
  // Questions about a certificate with no register open are answered from `issueChoices` (a
  // draft when it runs dry, as the window saved one before it asked) and recorded.
  IssueChoice AskIssueOrDraft(QWidget&, const QString& question) override {
    questions.push_back(question);
    if (issueChoices.empty()) {
      return IssueChoice::kDraft;
    }
    const IssueChoice choice = issueChoices.front();
    issueChoices.pop_front();
    return choice;
  }
  std::optional<QString> AskText(QWidget&, const QString&, const QString& label) override {
    questions.push_back(label);
    if (texts.empty()) {
      return std::nullopt;
    }
    const QString text = texts.front();
    texts.pop_front();
    return text;
  }

  std::deque<QString> answers;
  std::deque<bool> replies;
  std::deque<QString> texts;
  std::deque<SaveChoice> saveChoices;
  std::deque<IssueChoice> issueChoices;
  std::vector<QString> questions;
  bool openSucceeds = true;
  bool viewerSucceeds = true;
  std::vector<FileDialogRequest> requests;
  std::vector<QString> messages;
  std::vector<QString> opened;
  std::vector<QString> viewed;
  std::function<void(QDialog&)> whileShown;
  int modalRuns = 0;
};

// The window, shown (offscreen), with or without the shipped baseline library beside it, and with
// no calibration conditions remembered.
struct TestWindow {
  explicit TestWindow(bool withLibrary = true) {
    if (withLibrary) {
      std::filesystem::copy_file(MENSURO_SHIPPED_LIBRARY, folder.path() / "Baselines.dat");
    }
    Open();
  }
  // With a library of its own.
  struct Library {
    std::string_view bytes;
  };
  explicit TestWindow(Library library) {
    folder.Write("Baselines.dat", library.bytes);
    Open();
  }

  template <class Control = QWidget>
  Control* Get(int id) const {
    return qobject_cast<Control*>(dialog->Control(id));
  }
  QLineEdit* Field(int id) const { return Get<QLineEdit>(id); }
  QPlainTextEdit* Text(int id) const { return Get<QPlainTextEdit>(id); }
  QPushButton* Button(int id) const { return Get<QPushButton>(id); }
  CHListBox* Results() const { return Get<CHListBox>(kIdResultList); }

  // Date, time, comment, EDM description, constant and scale error, as the fields show them.
  std::vector<QString> HeaderFieldTexts() const {
    std::vector<QString> texts;
    for (const int id :
         {kIdDate, kIdTime, kIdComment, kIdEdmDescription, kIdConstantError, kIdPpmError}) {
      texts.push_back(Field(id)->text());
    }
    return texts;
  }

  std::vector<QString> ResultLines() const {
    std::vector<QString> lines;
    for (int row = 0; row < Results()->count(); ++row) {
      lines.push_back(Results()->item(row)->text());
    }
    return lines;
  }

  // Plot, and the plot window it opened.
  CPlotWindow& OpenPlot() const {
    QTest::mouseClick(Button(kIdPlot), Qt::LeftButton);
    return *dialog->PlotWindow();
  }

  TempDir folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<CVerantDlg> dialog;

 private:
  void Open() {
    // Nothing remembered of earlier tests' instruments or baselines.
    settings::Forget(settings::Section::kCalibrationConditions);
    settings::Forget(settings::Section::kInstrumentConditions);
    dialog = std::make_unique<CVerantDlg>(dialogs, folder.path());
    dialog->show();
  }
};

// The enabled Save buttons, by name.
inline std::string EnabledSaves(const TestWindow& window) {
  std::string names;
  for (const auto& [id, name] : {std::pair{kIdSavePublished, "published-save"},
                                 std::pair{kIdSavePublishedAs, "published-save-as"},
                                 std::pair{kIdSaveMeasured, "measured-save"},
                                 std::pair{kIdSaveMeasuredAs, "measured-save-as"}}) {
    if (window.Button(id)->isEnabled()) {
      names += names.empty() ? name : std::string(" ") + name;
    }
  }
  return names;
}

// Everything a command could change that the user sees.
inline std::vector<QString> Snapshot(const TestWindow& window) {
  std::vector<QString> state = window.HeaderFieldTexts();
  state.push_back(window.Field(kIdPublishedFileName)->text());
  state.push_back(window.Field(kIdMeasuredFileName)->text());
  state.push_back(window.Text(kIdPublishedText)->toPlainText());
  state.push_back(window.Text(kIdMeasuredText)->toPlainText());
  state.push_back(QString::fromStdString(EnabledSaves(window)));
  for (const QString& line : window.ResultLines()) {
    state.push_back(line);
  }
  return state;
}

// The worked example as a user would prepare it in the window; its report is
// tests/data/worked-example.rpt.
inline void EnterWorkedExample(const TestWindow& window) {
  QTest::mouseClick(window.Get(kIdFromFile), Qt::LeftButton);
  QTest::keyClicks(window.Field(kIdPublishedFileName),
                   QStringLiteral("Kellerby Calibration Baseline"));
  QTest::keyClicks(window.Field(kIdMeasuredFileName), QStringLiteral("edm/2026-12-07.txt"));
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\nA,D,600\n"));
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral(
          "$07-12-2026\n!09:05:03\n#Overcast, 8 C, 1012 hPa\n@Total station 2 mm + 2 ppm\n"
          "A,B,99.997\nA,C,299.995\nA,D,599.991\n"));
}

}  // namespace mensuro::test
