#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

class QPaintEvent;
class QPainter;

namespace mensuro {

// A picture read from an image file and drawn stretched to fill the control, its aspect ratio
// not kept. The file's bytes are held as read and decoded afresh at every paint; nothing is
// drawn until a file has been read whole, nor when its bytes are no image.
class CPictureCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit CPictureCtrl(QWidget* parent = nullptr);

  // Reads the image file at `path` in place of what was held, then redraws. False when the file
  // can't be read; the control then holds nothing.
  bool LoadFromFile(const std::filesystem::path& path);

  bool IsLoaded() const { return loaded_; }

  // Draws the picture into `painter` over the control's client rectangle.
  void DrawItem(QPainter& painter) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string imageData_;
  bool loaded_ = false;
};

}  // namespace mensuro
