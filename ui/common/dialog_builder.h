#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <vector>

#include "resources/dialog_template.h"

class QDialog;

namespace mensuro {

// Pixels per four horizontal and per eight vertical dialog units.
struct DialogBaseUnits {
  double x = 0;
  double y = 0;
};

// The base units of a font: its average character width over the letters, rounded, and its
// character height.
DialogBaseUnits FontBaseUnits(const QFont& font);

// A rectangle in dialog units as pixels. Edges are converted one by one, so rectangles that
// touch in dialog units touch in pixels and never overlap.
QRect DialogRectToPixels(const DialogRect& rect, const DialogBaseUnits& units);

// The controls of a dialog built from its template, found by id. The dialog owns them as their Qt
// parent; this only points at them.
class DialogControls {
 public:
  void Add(int id, QWidget& control);

  // The control with `id`, or nullptr. Labels and frames share kStaticControlId.
  QWidget* Find(int id) const;
  // The control with `id` as a `Control`, or nullptr when it is none or of another kind.
  template <class Control>
  Control* Get(int id) const {
    return qobject_cast<Control*>(Find(id));
  }

  // Every control in tab order.
  std::vector<QWidget*> All() const;

  DialogBaseUnits units;

 private:
  struct Entry {
    int id;
    QWidget* control;
  };
  std::vector<Entry> entries_;
};

// Builds the controls of `dialogTemplate` in `dialog`: their kinds, captions, styles, accessible
// names and tab order, laid out in the dialog units of the dialog's font. Where a caption would
// be clipped at that font, the units are widened (or heightened) until every caption fits, so
// the layout keeps its proportions. Sets the dialog's caption and fixes its size.
DialogControls BuildDialog(const DialogTemplate& dialogTemplate, QDialog& dialog);

}  // namespace mensuro
