// The window's fonts drawn at their true sizes: self-sizing labels at the layout's sizes.
#include "platform/fonts.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QFile>
#include <QRawFont>
#include <QTest>

#include "form_fixture.h"
#include "ui/window_fonts.h"

using namespace platform;

namespace {

bool WindowFontsInstalled() {
  return QFile::exists("/usr/share/wine/fonts/ms_sans_serif.ttf") &&
         QFile::exists("/usr/share/wine/fonts/tahoma.ttf") &&
         DrawnFamily(kMeasurementFont) == "Liberation Sans Narrow";
}

class FontsTest : public FormTest {};

TEST(BitmapSizesTest, OneCopyPerSizeEachListingOnlyThatSize) {
  EXPECT_TRUE(BitmapSizeCopies(QByteArray("not a font")).empty());
  EXPECT_TRUE(BitmapSizeCopies(QByteArray()).empty());
  QFile file("/usr/share/wine/fonts/ms_sans_serif.ttf");
  if (!file.open(QIODevice::ReadOnly)) GTEST_SKIP() << "fonts-wine not installed";
  const QByteArray font = file.readAll();
  const std::vector<QByteArray> copies = BitmapSizeCopies(font);
  ASSERT_EQ(copies.size(), 3u);
  std::vector<int> cells;
  for (const QByteArray& copy : copies) {
    ASSERT_EQ(copy.size(), font.size());
    const QRawFont raw(copy, 20);  // a bitmap copy draws its only size whatever is asked
    cells.push_back(qRound(raw.ascent() + raw.descent()));
  }
  EXPECT_EQ(cells, (std::vector<int>{13, 16, 20}));
}

TEST_F(FontsTest, SelfSizingLabelsTakeTheLayoutsSizes) {
  if (!WindowFontsInstalled())
    GTEST_SKIP() << "MS Sans Serif, Tahoma or Liberation Sans Narrow not installed "
                    "(fonts-wine, fonts-liberation; the README's test command installs them)";
  struct Row {
    TLabel* TMainForm::*label;
    int width, height;
  };
  const Row rows[] = {
      {&TMainForm::lblHeader, 46, 16},
      {&TMainForm::lblFW_verzija, 43, 16},
      {&TMainForm::lblSerijska_prebrana, 66, 16},
      {&TMainForm::lblIdent_prebran, 55, 16},
      {&TMainForm::lblResolucija, 64, 16},
      {&TMainForm::lblRxBuffer1, 57, 13},
      {&TMainForm::lblRxBuffer2, 57, 13},
      {&TMainForm::lblSpeed, 46, 23},
      {&TMainForm::lblTempAsic_C, 69, 23},
      {&TMainForm::lblSignalLevel, 80, 23},
      {&TMainForm::lblTovraairGap, 48, 23},
  };
  for (const Row& r : rows) {
    TLabel* label = form.get()->*r.label;
    SCOPED_TRACE(label->Caption());
    EXPECT_NEAR(label->width(), r.width, 1);
    EXPECT_EQ(label->height(), r.height);
  }
}

TEST_F(FontsTest, ListRowsAndFixedControls) {
  if (!WindowFontsInstalled()) GTEST_SKIP() << "window fonts not installed";
  for (const char* item : {"ttyS0  ", "ttyUSB0  FT232R USB"}) form->listCom->Add(item);
  EXPECT_EQ(form->listCom->visualItemRect(form->listCom->item(3)).height(), 13);
  EXPECT_EQ(form->listCom->visualItemRect(form->listCom->item(4)).top() -
                form->listCom->visualItemRect(form->listCom->item(3)).top(),
            13);
  EXPECT_EQ(form->cbBeriEnkoder->size(), QSize(124, 17));
  EXPECT_EQ(DrawnFamily(kWindowFont), "MS Sans Serif");
  EXPECT_EQ(DrawnFamily(kIdentityFont), "MS Sans Serif");
  EXPECT_EQ(DrawnFamily(kSwitchFont), "MS Sans Serif");
  EXPECT_EQ(qRound(QRawFont::fromFont(MakeFont(kSwitchFont)).ascent() +
                   QRawFont::fromFont(MakeFont(kSwitchFont)).descent()),
            20);
}

TEST_F(FontsTest, AClearedListIsPaintedAtOnce) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  PaintCounter rows(form->listCom->viewport());
  form->listCom->Clear();
  form->listCom->Repaint();
  EXPECT_EQ(rows.paints, 1);  // the rows themselves, not only the frame
}

}  // namespace
