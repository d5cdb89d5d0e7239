#pragma once

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace mensuro {

// Lets a window laid out at a fixed size grow: one control takes the extra width and height, a
// row of controls keeps its distance to the bottom edge, and every other control keeps its
// place. At the laid-out size nothing moves. The window may also be up to half the growing
// control's height shorter, so that a tall dialog font still fits a small screen.
class GrowingLayout {
 public:
  // Takes the controls' present geometry and `laidOutSize` as their home.
  GrowingLayout(QSize laidOutSize, QWidget& growing, const std::vector<QWidget*>& bottomRow);

  // Places the controls for a window of `size`; never smaller than MinimumSize().
  void Apply(QSize size) const;

  // The laid-out width, and the laid-out height less half the growing control's.
  QSize MinimumSize() const;

 private:
  struct Placed {
    QWidget* widget;
    QRect home;
  };
  QSize laidOutSize_;
  Placed growing_;
  std::vector<Placed> bottomRow_;
};

}  // namespace mensuro
