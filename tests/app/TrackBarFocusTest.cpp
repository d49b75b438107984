#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSlider>
#include <QtTest>

#include "app/Unit2.h"
#include "tests/support/TempDir.h"

using namespace orlex::app;

namespace {

// How many pixels of each side's outer two pixel rows or columns differ between the images.
struct TSides {
  int top = 0, bottom = 0, left = 0, right = 0;
};

TSides ChangedAlongTheSides(const QImage& a, const QImage& b) {
  TSides changed;
  const int w = a.width();
  const int h = a.height();
  for (int x = 0; x < w; ++x) {
    if (a.pixel(x, 0) != b.pixel(x, 0) || a.pixel(x, 1) != b.pixel(x, 1)) ++changed.top;
    if (a.pixel(x, h - 1) != b.pixel(x, h - 1) || a.pixel(x, h - 2) != b.pixel(x, h - 2)) ++changed.bottom;
  }
  for (int y = 0; y < h; ++y) {
    if (a.pixel(0, y) != b.pixel(0, y) || a.pixel(1, y) != b.pixel(1, y)) ++changed.left;
    if (a.pixel(w - 1, y) != b.pixel(w - 1, y) || a.pixel(w - 2, y) != b.pixel(w - 2, y)) ++changed.right;
  }
  return changed;
}

TEST(TrackBarFocus, TabFromTheGridFramesTheTrackBar) {
  TTempDir dir;
  TForm2 form(dir.Path());
  form.show();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.pidgrid->setFocus(Qt::MouseFocusReason);
  const QImage unfocused = form.TrackBar1->grab().toImage();

  QTest::keyClick(form.pidgrid, Qt::Key_Tab);
  ASSERT_TRUE(form.TrackBar1->hasFocus());
  const QImage focused = form.TrackBar1->grab().toImage();
  const TSides changed = ChangedAlongTheSides(unfocused, focused);
  // A frame all round, not just a tinted handle.
  EXPECT_GT(changed.top, focused.width() / 2);
  EXPECT_GT(changed.bottom, focused.width() / 2);
  EXPECT_GT(changed.left, focused.height() / 2);
  EXPECT_GT(changed.right, focused.height() / 2);

  // Focus elsewhere takes the frame away again.
  QTest::keyClick(form.TrackBar1, Qt::Key_Tab);
  ASSERT_FALSE(form.TrackBar1->hasFocus());
  const TSides after = ChangedAlongTheSides(unfocused, form.TrackBar1->grab().toImage());
  EXPECT_LT(after.top, focused.width() / 4);
  EXPECT_LT(after.bottom, focused.width() / 4);
}

}  // namespace
