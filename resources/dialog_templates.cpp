#include "resources/dialog_templates.h"

#include <array>

#include "resources/control_ids.h"

namespace mensuro {
namespace {

using enum ControlKind;

constexpr unsigned kButton = kStyleTabStop;
constexpr unsigned kField = kStyleBorder | kStyleAutoHScroll | kStyleTabStop;
constexpr unsigned kTextArea =
    kStyleBorder | kStyleVScroll | kStyleAutoHScroll | kStyleWantReturn | kStyleTabStop;

constexpr ControlTemplate Entry(int id, ControlKind kind, std::string_view caption, DialogRect rect,
                                unsigned styles = kStyleNone, int labelFor = 0,
                                std::string_view accessibleName = {}) {
  return {id, kind, caption, rect, styles, labelFor, accessibleName};
}

// In tab order; rectangles in dialog units (x, y, width, height).
constexpr std::array kMainControls = {
    Entry(kIdFromFile, kRadioButton, "From File:", {14, 20, 44, 10}, kStyleGroup),
    Entry(kIdProcess, kDefaultPushButton, "Process", {375, 390, 50, 14}, kButton),
    Entry(kIdCancel, kPushButton, "Cancel", {429, 390, 50, 14}, kButton),
    Entry(kIdPlot, kPushButton, "Plot", {7, 390, 50, 14}, kButton),
    Entry(kIdNoticeSummary, kLabel, "", {61, 390, 56, 14}),
    Entry(kIdSourceGroup, kGroupBox, "Source for Published Baseline Distances", {7, 7, 471, 50}),
    Entry(kIdPredefined, kRadioButton, "Predefined:", {14, 40, 50, 10}),
    Entry(kIdPublishedFileName, kLineEdit, "", {139, 18, 263, 14}, kField),
    Entry(kIdPublishedFileLabel, kLabel, "Published EDM File:", {68, 21, 66, 8}, kStyleNone,
          kIdPublishedFileName),
    Entry(kIdOpenPublished, kPushButton, "Open", {411, 16, 33, 14}, kButton),
    Entry(kIdNewPublished, kPushButton, "&New", {446, 16, 28, 14}, kButton),
    Entry(kIdSaveReportAs, kPushButton, "Save As", {121, 390, 46, 14}, kButton),
    Entry(kIdBaselineLabel, kLabel, "Existing Halvard Baselines:", {68, 40, 71, 8}, kStyleNone,
          kIdBaselineList),
    Entry(kIdLoadBaseline, kPushButton, "Load", {411, 39, 30, 14}, kButton),
    Entry(kStaticControlId, kGroupBox, "Measured Distances", {7, 61, 471, 33}),
    Entry(kStaticControlId, kLabel, "Measured EDM File:", {27, 76, 64, 8}, kStyleNone,
          kIdMeasuredFileName),
    Entry(kIdMeasuredFileName, kLineEdit, "", {94, 73, 308, 14}, kField),
    Entry(kIdOpenMeasured, kPushButton, "Open", {411, 73, 33, 14}, kButton),
    Entry(kIdNewMeasured, kPushButton, "New", {446, 73, 28, 14}, kButton),
    Entry(kStaticControlId, kGroupBox, "Input", {7, 99, 471, 155}),
    Entry(kIdPublishedText, kMultiLineEdit, "", {20, 121, 172, 76}, kTextArea),
    Entry(kStaticControlId, kLabel, "Published:", {26, 110, 34, 8}, kStyleNone, kIdPublishedText),
    Entry(kIdSavePublished, kPushButton, "Save", {197, 121, 41, 14}, kButton | kStyleDisabled),
    Entry(kIdSavePublishedAs, kPushButton, "Save As", {197, 141, 41, 14}, kButton | kStyleDisabled),
    Entry(kIdMeasuredText, kMultiLineEdit, "", {256, 121, 172, 76}, kTextArea),
    Entry(kStaticControlId, kLabel, "Measured:", {262, 110, 35, 8}, kStyleNone, kIdMeasuredText),
    Entry(kIdSaveMeasured, kPushButton, "Save", {432, 122, 41, 14}, kButton | kStyleDisabled),
    Entry(kIdSaveMeasuredAs, kPushButton, "Save As", {432, 142, 41, 14}, kButton | kStyleDisabled),
    Entry(kIdResultList, kListBox, "", {7, 257, 471, 126},
          kStyleBorder | kStyleVScroll | kStyleHScroll | kStyleNotify | kStyleTabStop, 0, "Result"),
    // The height includes the opened list.
    Entry(kIdBaselineList, kDropDownList, "", {139, 38, 263, 116}, kStyleVScroll | kStyleTabStop),
    Entry(kIdConstantError, kLineEdit, "", {175, 212, 40, 14}, kField),
    Entry(kStaticControlId, kLabel, "Constant Err. (mm):", {107, 213, 65, 8}, kStyleNone,
          kIdConstantError),
    Entry(kStaticControlId, kLabel, "PPM Err.:", {123, 234, 31, 8}, kStyleNone, kIdPpmError),
    Entry(kIdPpmError, kLineEdit, "", {157, 231, 40, 14}, kField),
    Entry(kStaticControlId, kLabel, "Comment:", {253, 215, 34, 8}, kStyleNone, kIdComment),
    Entry(kStaticControlId, kLabel, "EDM Description:", {232, 234, 55, 8}, kStyleNone,
          kIdEdmDescription),
    Entry(kIdComment, kLineEdit, "", {291, 212, 175, 14}, kField),
    Entry(kIdEdmDescription, kLineEdit, "", {291, 231, 175, 14}, kField),
    Entry(kStaticControlId, kLabel, "Date:", {17, 213, 19, 8}, kStyleNone, kIdDate),
    Entry(kStaticControlId, kLabel, "Time:", {19, 232, 18, 8}, kStyleNone, kIdTime),
    Entry(kIdDate, kLineEdit, "", {40, 212, 51, 14}, kField),
    Entry(kIdTime, kLineEdit, "", {40, 231, 52, 14}, kField),
    Entry(kStaticControlId, kGroupBox, "Date/Time", {14, 203, 85, 45}),
    Entry(kStaticControlId, kGroupBox, "EDM Error", {102, 203, 117, 45}),
    Entry(kStaticControlId, kGroupBox, "Comments", {229, 203, 242, 45}),
    Entry(kIdAbout, kPushButton, "About", {323, 390, 40, 14}, kButton),
    Entry(kIdHelp, kPushButton, "Help", {279, 390, 40, 14}, kButton),
    Entry(kIdRegister, kPushButton, "Register...", {171, 390, 50, 14}, kButton),
    Entry(kIdBaseline, kPushButton, "Baseline...", {225, 390, 50, 14}, kButton),
};

constexpr DialogTemplate kMainDialog{
    102, "Halvard, PC Mensuro, (EDM Calibration)", 485, 411, "MS Shell Dlg", 8, kMainControls};

// The copyright, licence and contact lines are static texts that no code refers to.
constexpr std::array kAboutControls = {
    Entry(kIdOk, kDefaultPushButton, "OK", {168, 114, 50, 14}, kButton),
    Entry(kIdProductLabel, kLabel, "Mensuro (EDM Calibration)", {9, 14, 182, 11}),
    Entry(kStaticControlId, kLabel, "Copyright \xA9 2026 the Mensuro team", {17, 30, 174, 8}),
    Entry(kStaticControlId, kLabel, "GPL-3.0-or-later", {17, 41, 62, 8}),
    Entry(kStaticControlId, kLabel, "Contact:", {11, 65, 29, 8}),
    Entry(kStaticControlId, kLabel, "Mensuro project team", {15, 79, 112, 8}),
    Entry(kStaticControlId, kLabel, "www.mensuro.org", {15, 89, 73, 8}),
    Entry(kStaticControlId, kLabel, "help@mensuro.org", {15, 99, 62, 8}),
    Entry(kStaticControlId, kLabel, "IRC #mensuro", {15, 109, 46, 8}),
    Entry(kIdPicture, kPicture, "", {136, 51, 75, 56}, kStyleNone, 0, "Total station on a tripod"),
};

constexpr DialogTemplate kAboutDialog{
    129, "About Mensuro (EDM Calibration)", 225, 135, "MS Shell Dlg", 8, kAboutControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  return kMainDialog;
}

const DialogTemplate& AboutDialogTemplate() {
  return kAboutDialog;
}

}  // namespace mensuro
