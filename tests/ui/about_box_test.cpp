#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <array>

#include "test_window.h"
#include "ui/common/picture_ctrl.h"
#include "ui/main/about_box.h"

namespace mensuro::test {
namespace {

const QColor kUnpainted(255, 0, 255);

// An image of `width` by `height` pixels whose corners and centre each have a colour of their
// own: `colours` holds them row by row in thirds (top left, top, top right, ..., bottom right).
QImage NineColourImage(int width, int height, const std::array<QColor, 9>& colours) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.setPixelColor(x, y,
                          colours[static_cast<std::size_t>(3 * (3 * y / height) + 3 * x / width)]);
    }
  }
  return image;
}

std::string PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// What the picture control draws at a paint, over a background it never paints.
QImage Painted(const CPictureCtrl& picture) {
  QImage image(picture.size(), QImage::Format_RGB32);
  image.fill(kUnpainted);
  QPainter painter(&image);
  picture.DrawItem(painter);
  return image;
}

bool PaintedNothing(const CPictureCtrl& picture) {
  const QImage image = Painted(picture);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) != kUnpainted) {
        return false;
      }
    }
  }
  return true;
}

std::string ShippedPicture() {
  return ReadBytes(MENSURO_ABOUT_PICTURE);
}

TEST(about_box, about_shows_the_product_version_and_reads_the_picture_at_every_showing) {
  TestWindow window;
  window.folder.Write(std::string(kAboutPictureFileName), ShippedPicture());
  std::vector<QString> captions;
  std::vector<QString> labels;
  std::vector<bool> pictures;
  window.dialogs.whileShown = [&](QDialog& shown) {
    auto& about = dynamic_cast<CDlgAbout&>(shown);
    captions.push_back(about.windowTitle());
    labels.push_back(about.ProductLabel().text());
    pictures.push_back(about.Picture().IsLoaded() && !PaintedNothing(about.Picture()));
    // The whole label shows, version and all.
    EXPECT_LE(QFontMetrics(about.ProductLabel().font()).horizontalAdvance(labels.back()),
              about.ProductLabel().width());
    EXPECT_EQ(about.parentWidget(), window.dialog.get());
  };

  QTest::mouseClick(window.Button(kIdAbout), Qt::LeftButton);
  std::filesystem::remove(window.folder.path() / kAboutPictureFileName);
  QTest::mouseClick(window.Button(kIdAbout), Qt::LeftButton);

  EXPECT_EQ(window.dialogs.modalRuns, 2);
  EXPECT_EQ(captions, std::vector<QString>(2, QStringLiteral("About Mensuro (EDM Calibration)")));
  EXPECT_EQ(labels,
            std::vector<QString>(2, QStringLiteral("Mensuro (EDM Calibration): Ver. 1.0.0.3")));
  // The second box read the folder afresh and found no picture.
  EXPECT_EQ(pictures, (std::vector<bool>{true, false}));
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(about_box, version_strings_without_name_or_version_leave_the_label_ending_in_the_separator) {
  const TempDir folder;
  const std::vector<std::pair<std::vector<VersionString>, QString>> cases = {
      {{{"ProductName", "Mensuro"}, {"ProductVersion", "2.1"}},
       QStringLiteral("Mensuro (EDM Calibration): Ver. 2.1")},
      {{{"FileVersion", "2.1"}, {"ProductVersion", "2.1"}},
       QStringLiteral("Mensuro (EDM Calibration): Ver. ")},
      {{{"ProductName", "Mensuro"}}, QStringLiteral("Mensuro (EDM Calibration): Ver. ")},
      {{}, QStringLiteral("Mensuro (EDM Calibration): Ver. ")},
  };
  for (const auto& [strings, label] : cases) {
    const CDlgAbout about(folder.path(), strings, nullptr);
    EXPECT_EQ(about.ProductLabel().text(), label);
  }
}

TEST(about_box, the_picture_is_stretched_or_shrunk_to_fill_its_control_exactly) {
  const std::array<QColor, 9> colours = {
      QColor(200, 0, 0),   QColor(0, 0, 0),   QColor(0, 200, 0),
      QColor(0, 0, 0),     QColor(0, 0, 200), QColor(0, 0, 0),
      QColor(200, 200, 0), QColor(0, 0, 0),   QColor(0, 200, 200)};
  for (const auto& [width, height] : {std::pair{3, 3}, std::pair{900, 400}}) {
    const TempDir folder;
    folder.Write(std::string(kAboutPictureFileName),
                 PngBytes(NineColourImage(width, height, colours)));
    const CDlgAbout about(folder.path(), ProgramVersionStrings(), nullptr);
    const CPictureCtrl& picture = about.Picture();
    ASSERT_TRUE(picture.IsLoaded());
    ASSERT_EQ(picture.geometry(), about.Control(kIdPicture)->geometry());

    const QImage painted = Painted(picture);
    const int right = painted.width() - 1;
    const int bottom = painted.height() - 1;
    EXPECT_EQ(painted.pixelColor(0, 0), colours[0]) << width;
    EXPECT_EQ(painted.pixelColor(right, 0), colours[2]) << width;
    EXPECT_EQ(painted.pixelColor(right / 2, bottom / 2), colours[4]) << width;
    EXPECT_EQ(painted.pixelColor(0, bottom), colours[6]) << width;
    EXPECT_EQ(painted.pixelColor(right, bottom), colours[8]) << width;
  }
}

TEST(about_box, a_missing_or_undecodable_picture_file_draws_nothing) {
  const TempDir folder;
  CPictureCtrl picture;
  picture.resize(120, 100);

  EXPECT_FALSE(picture.LoadFromFile(folder.path() / "missing.png"));
  EXPECT_FALSE(picture.IsLoaded());
  EXPECT_TRUE(PaintedNothing(picture));

  // A file that holds no image is read whole, but nothing can be drawn from it.
  EXPECT_TRUE(picture.LoadFromFile(folder.Write("broken.png", "\x89PNG\r\n\x1a\n not quite")));
  EXPECT_TRUE(picture.IsLoaded());
  EXPECT_TRUE(PaintedNothing(picture));

  // A failed read drops the picture held before.
  ASSERT_TRUE(picture.LoadFromFile(folder.Write("good.png", ShippedPicture())));
  EXPECT_FALSE(PaintedNothing(picture));
  EXPECT_FALSE(picture.LoadFromFile(folder.path()));
  EXPECT_FALSE(picture.IsLoaded());
  EXPECT_TRUE(PaintedNothing(picture));
}

}  // namespace
}  // namespace mensuro::test
