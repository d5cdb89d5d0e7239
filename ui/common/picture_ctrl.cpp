#include "ui/common/picture_ctrl.h"

#include <QImage>
#include <QPainter>

#include "core/data/file_bytes.h"

namespace mensuro {

CPictureCtrl::CPictureCtrl(QWidget* parent) : QWidget(parent) {}

bool CPictureCtrl::LoadFromFile(const std::filesystem::path& path) {
  loaded_ = false;
  imageData_.clear();
  std::string reason;
  std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    update();
    return false;
  }
  imageData_ = std::move(*bytes);
  loaded_ = true;
  repaint();
  return true;
}

void CPictureCtrl::DrawItem(QPainter& painter) const {
  if (!loaded_) {
    return;
  }
  // Decoded at every paint from the first byte, so what is drawn is always the file as read.
  const QImage image = QImage::fromData(
      QByteArrayView(imageData_.data(), static_cast<qsizetype>(imageData_.size())));
  if (image.isNull()) {
    return;
  }
  painter.drawImage(rect(), image);
}

void CPictureCtrl::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  DrawItem(painter);
}

}  // namespace mensuro
