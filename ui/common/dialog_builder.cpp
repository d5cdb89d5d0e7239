#include "ui/common/dialog_builder.h"

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <ranges>
#include <utility>

#include "ui/common/h_list_box.h"
#include "ui/common/picture_ctrl.h"

namespace mensuro {
namespace {

QString Caption(std::string_view caption) {
  return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

// The text a control shows for its caption: an ampersand marks the access key.
QString VisibleCaption(std::string_view caption) {
  return Caption(caption).remove(QLatin1Char('&'));
}

// A group box: a frame whose top line runs through the middle of its title, which leaves the
// room inside the rectangle to the controls it surrounds.
QGroupBox& NewGroupBox(const ControlTemplate& control, QDialog& dialog) {
  auto* frame = new QGroupBox(Caption(control.caption), &dialog);
  frame->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 6px; padding: 0 2px; }"));
  return *frame;
}

// A text of several lines, wrapped unless the template scrolls it sideways.
QPlainTextEdit& NewMultiLineEdit(const ControlTemplate& control, QDialog& dialog) {
  auto* text = new QPlainTextEdit(&dialog);
  if ((control.styles & kStyleAutoHScroll) != 0) {
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
  text->setVerticalScrollBarPolicy((control.styles & kStyleVScroll) != 0 ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAsNeeded);
  // Tab moves on through the dialog, as in every other control; Enter starts a new line.
  text->setTabChangesFocus(true);
  if ((control.styles & kStyleBorder) == 0) {
    text->setFrameShape(QFrame::NoFrame);
  }
  return *text;
}

// A new control of the kind `control` names, a child of `dialog`, which owns it.
QWidget& MakeControl(const ControlTemplate& control, QDialog& dialog) {
  const bool border = (control.styles & kStyleBorder) != 0;
  switch (control.kind) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(Caption(control.caption), &dialog);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return *label;
    }
    case ControlKind::kGroupBox:
      return NewGroupBox(control, dialog);
    case ControlKind::kPushButton:
    case ControlKind::kDefaultPushButton: {
      auto* button = new QPushButton(Caption(control.caption), &dialog);
      button->setAutoDefault(true);
      button->setDefault(control.kind == ControlKind::kDefaultPushButton);
      return *button;
    }
    case ControlKind::kRadioButton:
      return *new QRadioButton(Caption(control.caption), &dialog);
    case ControlKind::kLineEdit: {
      auto* edit = new QLineEdit(&dialog);
      edit->setFrame(border);
      return *edit;
    }
    case ControlKind::kMultiLineEdit:
      return NewMultiLineEdit(control, dialog);
    case ControlKind::kListBox: {
      auto* list = new CHListBox(&dialog);
      if (!border) {
        list->setFrameShape(QFrame::NoFrame);
      }
      return *list;
    }
    case ControlKind::kDropDownList: {
      auto* combo = new QComboBox(&dialog);
      combo->setEditable(false);
      combo->setInsertPolicy(QComboBox::NoInsert);
      return *combo;
    }
    case ControlKind::kPicture:
      return *new CPictureCtrl(&dialog);
  }
  return *new QWidget(&dialog);
}

// The width in pixels that a control needs to show its caption whole; 0 when it has none.
int CaptionWidth(const QWidget& widget) {
  const QFontMetrics metrics(widget.font());
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    return metrics.horizontalAdvance(label->text());
  }
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    // Text plus the style's button margin and frame (the style's own size hint also imposes a
    // minimum width that has nothing to do with the caption).
    const QStyle* style = button->style();
    QStyleOptionButton option;
    option.initFrom(button);
    int width = metrics.horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) +
                style->pixelMetric(QStyle::PM_ButtonMargin, &option, button) +
                2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    if (button->autoDefault()) {
      width += 2 * style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, &option, button);
    }
    return width;
  }
  if (qobject_cast<const QRadioButton*>(&widget) != nullptr) {
    return widget.sizeHint().width();
  }
  if (qobject_cast<const QGroupBox*>(&widget) != nullptr) {
    return widget.minimumSizeHint().width();
  }
  return 0;
}

// The height in pixels that a control needs; 0 when any height will do.
int NeededHeight(const QWidget& widget) {
  if (qobject_cast<const QLabel*>(&widget) != nullptr) {
    return QFontMetrics(widget.font()).height();
  }
  if (qobject_cast<const QPushButton*>(&widget) != nullptr) {
    return widget.sizeHint().height();
  }
  if (qobject_cast<const QRadioButton*>(&widget) != nullptr) {
    // The indicator or the text, whichever is taller; the style's margins around them may go.
    return std::max(
        QFontMetrics(widget.font()).height(),
        widget.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, &widget));
  }
  if (qobject_cast<const QLineEdit*>(&widget) != nullptr) {
    return widget.minimumSizeHint().height();
  }
  return 0;
}

// The font's base units, widened where a caption or a control would not fit its rectangle.
DialogBaseUnits FittingUnits(const DialogTemplate& dialogTemplate, const DialogControls& controls,
                             const QFont& font) {
  DialogBaseUnits units = FontBaseUnits(font);
  const std::vector<QWidget*> widgets = controls.All();
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const DialogRect& rect = dialogTemplate.controls[i].rect;
    if (const int width = CaptionWidth(*widgets[i]); width > 0 && rect.width > 0) {
      units.x = std::max(units.x, 4.0 * width / rect.width);
    }
    if (const int height = NeededHeight(*widgets[i]); height > 0 && rect.height > 0) {
      units.y = std::max(units.y, 8.0 * height / rect.height);
    }
  }
  return units;
}

void PlaceControl(const ControlTemplate& control, QWidget& widget, const DialogBaseUnits& units) {
  const QRect rect = DialogRectToPixels(control.rect, units);
  auto* combo = qobject_cast<QComboBox*>(&widget);
  if (combo == nullptr) {
    widget.setGeometry(rect);
    return;
  }
  // A drop-down list's rectangle includes its opened list: the closed box takes the height it
  // needs and the list shows as many entries as the rest holds.
  const int closed = combo->sizeHint().height();
  combo->setGeometry(rect.x(), rect.y(), rect.width(), closed);
  const int entry = std::max(1, QFontMetrics(combo->font()).height() + 2);
  combo->setMaxVisibleItems(std::max(1, (rect.height() - closed) / entry));
}

void ApplyStyles(const ControlTemplate& control, QWidget& widget) {
  widget.setEnabled((control.styles & kStyleDisabled) == 0);
  if ((control.styles & kStyleTabStop) != 0) {
    widget.setFocusPolicy(Qt::StrongFocus);
  } else if (qobject_cast<QRadioButton*>(&widget) != nullptr ||
             qobject_cast<QPushButton*>(&widget) != nullptr) {
    // Not reached with Tab, but a click still gives it the focus.
    widget.setFocusPolicy(Qt::ClickFocus);
  }
  if (control.kind != ControlKind::kLineEdit && control.kind != ControlKind::kMultiLineEdit &&
      control.kind != ControlKind::kListBox && control.kind != ControlKind::kDropDownList) {
    widget.setAccessibleName(VisibleCaption(control.caption));
  }
  if (!control.accessibleName.empty()) {
    widget.setAccessibleName(Caption(control.accessibleName));
  }
}

}  // namespace

DialogBaseUnits FontBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The average over the 52 letters, rounded to whole pixels.
  const int average = (letters / 26 + 1) / 2;
  return {static_cast<double>(average), static_cast<double>(metrics.height())};
}

QRect DialogRectToPixels(const DialogRect& rect, const DialogBaseUnits& units) {
  const auto x = [&](int u) { return static_cast<int>(std::lround(u * units.x / 4.0)); };
  const auto y = [&](int u) { return static_cast<int>(std::lround(u * units.y / 8.0)); };
  const int left = x(rect.x);
  const int top = y(rect.y);
  return {left, top, x(rect.x + rect.width) - left, y(rect.y + rect.height) - top};
}

void DialogControls::Add(int id, QWidget& control) {
  entries_.push_back({id, &control});
}

QWidget* DialogControls::Find(int id) const {
  const auto found =
      std::ranges::find_if(entries_, [id](const Entry& entry) { return entry.id == id; });
  return found == entries_.end() ? nullptr : found->control;
}

std::vector<QWidget*> DialogControls::All() const {
  std::vector<QWidget*> all;
  all.reserve(entries_.size());
  for (const Entry& entry : entries_) {
    all.push_back(entry.control);
  }
  return all;
}

DialogControls BuildDialog(const DialogTemplate& dialogTemplate, QDialog& dialog) {
  dialog.setWindowTitle(Caption(dialogTemplate.caption));
  DialogControls controls;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget& widget = MakeControl(control, dialog);
    if (control.id != kStaticControlId) {
      widget.setObjectName(QStringLiteral("control%1").arg(control.id));
    }
    widget.setProperty("controlId", control.id);
    ApplyStyles(control, widget);
    controls.Add(control.id, widget);
  }

  const std::vector<QWidget*> widgets = controls.All();
  QWidget* previousTabStop = nullptr;
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const ControlTemplate& control = dialogTemplate.controls[i];
    if (control.labelFor != 0) {
      if (QWidget* named = controls.Find(control.labelFor)) {
        if (auto* label = qobject_cast<QLabel*>(widgets[i])) {
          label->setBuddy(named);
        }
        named->setAccessibleName(VisibleCaption(control.caption));
      }
    }
    if ((control.styles & kStyleTabStop) != 0) {
      if (previousTabStop != nullptr) {
        QWidget::setTabOrder(previousTabStop, widgets[i]);
      }
      previousTabStop = widgets[i];
    }
  }

  controls.units = FittingUnits(dialogTemplate, controls, dialog.font());
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    PlaceControl(dialogTemplate.controls[i], *widgets[i], controls.units);
  }
  // Frames lie behind the controls they surround, which get the clicks.
  for (QWidget* widget : widgets | std::views::reverse) {
    if (qobject_cast<QGroupBox*>(widget) != nullptr) {
      widget->lower();
    }
  }
  dialog.setFixedSize(
      DialogRectToPixels({0, 0, dialogTemplate.width, dialogTemplate.height}, controls.units)
          .size());
  return controls;
}

}  // namespace mensuro
