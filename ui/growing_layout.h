#pragma once

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace mensuro {

// Lets a window laid out at a fixed size grow: one control takes the extra width and height, a
// row of controls keeps its distance to the bottom edge, and every other control keeps its
// place. At the laid-out size nothing moves.
class GrowingLayout {
 public:
  // Takes the controls' present geometry and `laidOutSize` as their home.
  GrowingLayout(QSize laidOutSize, QWidget& growing, const std::vector<QWidget*>& bottomRow);

  // Places the controls for a window of `size`; never smaller than the laid-out size.
  void Apply(QSize size) const;

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
