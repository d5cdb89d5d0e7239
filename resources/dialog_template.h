#pragma once

// A dialog described as data: its caption, size and font, and its controls in tab order, each
// with its id, kind, caption, rectangle and styles. Sizes are in dialog units, which the window
// turns into pixels from its font, so the layout keeps its proportions whatever font it gets.

#include <span>
#include <string_view>

namespace mensuro {

// Labels and frames that no code refers to share this id.
inline constexpr int kStaticControlId = -1;

enum class ControlKind {
  kLabel,
  kGroupBox,
  kPushButton,
  kDefaultPushButton,  // pressed by Enter wherever the focus is, but on another button
  kRadioButton,
  kLineEdit,
  kMultiLineEdit,
  kListBox,
  kDropDownList,  // a fixed list to choose from; no typing
  kPicture,       // an image file drawn to fill the control
};

// Style bits of a control.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleGroup = 1u << 0,        // starts a group of controls
  kStyleTabStop = 1u << 1,      // reached with Tab
  kStyleDisabled = 1u << 2,     // disabled when the dialog opens
  kStyleBorder = 1u << 3,       // drawn with a border
  kStyleVScroll = 1u << 4,      // has a vertical scroll bar
  kStyleHScroll = 1u << 5,      // has a horizontal scroll bar
  kStyleAutoHScroll = 1u << 6,  // scrolls sideways as the user types instead of wrapping
  kStyleWantReturn = 1u << 7,   // Enter starts a new line
  kStyleNotify = 1u << 8,       // reports clicks on its entries
};

// Position and size in dialog units: x and width in quarters, y and height in eighths of the
// dialog font's average character width and height.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id = kStaticControlId;
  ControlKind kind = ControlKind::kLabel;
  std::string_view caption;
  DialogRect rect;
  unsigned styles = kStyleNone;
  // For a label: the id of the control it names, which takes the label's text as its accessible
  // name.
  int labelFor = 0;
  // For a control with neither caption nor label: the name a screen reader announces.
  std::string_view accessibleName;
};

struct DialogTemplate {
  int id = 0;
  std::string_view caption;
  int width = 0;  // dialog units
  int height = 0;
  std::string_view fontName;
  int fontPoints = 0;
  std::span<const ControlTemplate> controls;  // in tab order
};

}  // namespace mensuro
