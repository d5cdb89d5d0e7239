#pragma once

#include <QListWidget>
#include <QString>

namespace mensuro {

// The result list: a list of report lines that scrolls sideways exactly as far as its widest
// line needs. It measures every line it adds and keeps its horizontal extent at the widest width
// seen since it was last cleared, plus three border widths.
class CHListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit CHListBox(QWidget* parent = nullptr);

  // Appends `line` and measures it. Returns its index, or -1 when the list refused it (a
  // refused line is not measured).
  int AddLine(const QString& line);

  // Widens the horizontal extent to `line`'s width in the list's font plus three border widths
  // when that is more than the widest width so far.
  void UpdateExtent(const QString& line);

  // Removes every line and forgets the widest width. The extent stays as it was until the next
  // line sets it.
  void ClearLines();

  int WidestWidth() const { return widestWidth_; }
  // How far, in pixels, the lines reach sideways: the scroll bar covers this width.
  int HorizontalExtent() const { return horizontalExtent_; }
  // The border width of the list's style, in pixels.
  int BorderWidth() const;

 protected:
  void updateGeometries() override;

 private:
  int widestWidth_ = 0;
  int horizontalExtent_ = 0;
};

}  // namespace mensuro
