// The toolbar's enabled and disabled buttons look plainly different, under the default palette
// and a dark one, and Start and Template do not look disabled while they are enabled.

#include "workspace/frm_main.h"
#include "workspace/toolbar_icons.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>

#include <iterator>
#include <map>
#include <string>

namespace brevant {
namespace {

const char *const kKeys[] = {"New",   "Open", "Save", "Template", "Report", "Cut", "Copy",
                             "Paste", "Undo", "Find", "Goto",     "Start",  "Help"};

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  p.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
  p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  p.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
  p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  p.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  return p;
}

// The pictures of a button as the toolbar draws it, enabled and disabled.
struct ButtonPictures {
  QImage enabled, disabled;
};

class ToolbarIconsTest : public testing::WorkspaceTest {
protected:
  ButtonPictures pictures(FrmMain &main, const char *key) {
    QAction *action = main.button(key);
    auto *toolbar = main.findChild<QToolBar *>("tlbMain");
    auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(action));
    EXPECT_NE(button, nullptr) << key;
    if (button == nullptr)
      return {};
    action->setVisible(true);
    action->setEnabled(true);
    ButtonPictures out;
    out.enabled = button->grab().toImage();
    action->setEnabled(false);
    out.disabled = button->grab().toImage();
    return out;
  }
  // Checks every button of a shown main window against its own background colour: disabled, a
  // button shows at most half the ink it shows enabled, and Start and Template show about as
  // much as the average button (the themes' pictures of them are so pale that they look off).
  void checkEveryButton(FrmMain &main) {
    const QColor background = main.palette().color(QPalette::Window);
    double total = 0;
    std::map<std::string, double> enabled;
    for (const char *key : kKeys) {
      const ButtonPictures p = pictures(main, key);
      const double on = pictureInk(p.enabled, background);
      const double off = pictureInk(p.disabled, background);
      EXPECT_GE(on, 2.0 * off) << key << ": enabled " << on << ", disabled " << off;
      enabled[key] = on;
      total += on;
    }
    const double average = total / std::size(kKeys);
    EXPECT_GE(enabled["Start"], 0.6 * average);
    EXPECT_GE(enabled["Template"], 0.6 * average);
  }
};

TEST_F(ToolbarIconsTest, EnabledButtonsStandOutFromDisabledOnesUnderTheDefaultPalette) {
  FrmMain main(workspace);
  main.show();
  checkEveryButton(main);
}

TEST_F(ToolbarIconsTest, AndUnderADarkPalette) {
  const QPalette before = QApplication::palette();
  QApplication::setPalette(darkPalette());
  {
    FrmMain main(workspace);
    main.show();
    checkEveryButton(main);
  }
  QApplication::setPalette(before);
}

TEST_F(ToolbarIconsTest, StartAndTemplateAreDrawnInColour) {
  for (const QIcon &icon : {startIcon(), templateIcon(), startIcon(true), templateIcon(true)}) {
    const QImage image = icon.pixmap(QSize(22, 22)).toImage();
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        coloured += c.alpha() > 200 && c.hsvSaturation() > 120 ? 1 : 0;
      }
    EXPECT_GE(coloured, 20);
  }
  // The faded state keeps the shape in greys, at a third of its opacity.
  const QIcon icon = toolbarIcon(startIcon(), 22, QApplication::palette());
  const QImage normal = icon.pixmap(QSize(22, 22), QIcon::Normal).toImage();
  const QImage disabled = icon.pixmap(QSize(22, 22), QIcon::Disabled).toImage();
  int strongest = 0;
  for (int y = 0; y < disabled.height(); ++y)
    for (int x = 0; x < disabled.width(); ++x) {
      strongest = std::max(strongest, disabled.pixelColor(x, y).alpha());
      if (normal.pixelColor(x, y).alpha() == 0) {
        EXPECT_EQ(disabled.pixelColor(x, y).alpha(), 0);
      }
    }
  EXPECT_LE(strongest, 255 / 3);
}

TEST(PictureInk, CountsDistanceFromTheBackgroundWeightedByOpacity) {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixelColor(0, 0, QColor(0, 0, 0, 255));
  image.setPixelColor(1, 0, QColor(0, 0, 0, 0));
  EXPECT_DOUBLE_EQ(pictureInk(image, Qt::white), 0.5);
  EXPECT_DOUBLE_EQ(pictureInk(image, Qt::black), 0.0);
  EXPECT_DOUBLE_EQ(pictureInk(QImage(), Qt::white), 0.0);
}

} // namespace
} // namespace brevant
