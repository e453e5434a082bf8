// The window's frame, keyboard focus, the angle dial and the raw reply view.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cmath>

#include "form_fixture.h"
#include "test_support.h"
#include "ui/dial.h"
#include "ui/indicators.h"
#include "ui/raw_view.h"

using namespace platform;

namespace {

class WindowTest : public FormTest {
 protected:
  void Show() {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  // The focused controls, pressing Tab from "Read encoder" until it comes round again.
  std::vector<QWidget*> TabCycle() {
    std::vector<QWidget*> cycle{QApplication::focusWidget()};
    for (int i = 0; i < 20; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      if (QApplication::focusWidget() == cycle.front()) break;
      cycle.push_back(QApplication::focusWidget());
    }
    return cycle;
  }
};

TEST_F(WindowTest, FixedClientSizeWithoutMaximising) {
  EXPECT_EQ(form->size(), QSize(719, 429));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  const auto sizes = form->windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
}

TEST_F(WindowTest, OpensOnReadEncoderAndTabSkipsWhatCannotTakeTheFocus) {
  Show();
  ASSERT_EQ(QApplication::focusWidget(), form->cbBeriEnkoder);
  EXPECT_EQ(TabCycle(),
            (std::vector<QWidget*>{form->cbBeriEnkoder, form->btnMTzero, form->seDelay,
                                   form->btnSTzero, form->btnResetFactory, form->btnStartSelfCal}));

  // Once the port has been closed the baud-rate group joins in, before the list's place.
  form->CloseComPort();
  form->cbBeriEnkoder->setFocus();
  const auto cycle = TabCycle();
  ASSERT_EQ(cycle.size(), 7u);
  EXPECT_EQ(cycle.back()->parentWidget(), form->rgBaudrate);
  EXPECT_EQ(cycle[5], form->btnStartSelfCal);
}

TEST_F(WindowTest, RawReplyLabelsShareOneCornerAndGrowFromIt) {
  EXPECT_EQ(form->lblRxBuffer1->pos(), QPoint(8, 332));
  EXPECT_EQ(form->lblRxBuffer2->pos(), QPoint(8, 332));
  RxBuffer() = Bytes({0x31, 0x00, 0x00, 0x02, 0xEE});
  form->AppendRawReply(1);
  EXPECT_EQ(form->lblRxBuffer2->pos(), QPoint(8, 332));
  EXPECT_GT(form->lblRxBuffer2->width(), form->lblRxBuffer1->width());
}

TEST(SnapTest, EdgesWithinTenPixelsSnapToTheWorkArea) {
  const QRect work(0, 0, 1024, 740);  // a task bar below
  struct Row {
    QPoint at;
    QPoint snapped;
  };
  const Row rows[] = {
      {{10, 300}, {0, 300}},    {{11, 300}, {11, 300}},
      {{-10, -10}, {0, 0}},     {{150, 5}, {150, 0}},
      {{150, 300}, {150, 300}}, {{294, 150}, {294, 150}},
      {{296, 150}, {305, 150}}, {{150, 740 - 429 + 8}, {150, 740 - 429}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(SnapToWorkArea(QRect(r.at, QSize(719, 429)), work, 10), r.snapped)
        << r.at.x() << "," << r.at.y();
  }
}

TEST(IndicatorTest, BlinkerAlternatesFromAnyColourAndFlagsAreGreyWhenOff) {
  EXPECT_EQ(NextBlinkerColour(clBtnFace), clYellow);
  EXPECT_EQ(NextBlinkerColour(clYellow), clBlue);
  EXPECT_EQ(NextBlinkerColour(clBlue), clYellow);
  EXPECT_EQ(Indicator(false, clRed), clGray);
  EXPECT_EQ(Indicator(true, clOrange), clOrange);
}

TEST(DialTest, NeedleEndsForTheWorkedAngles) {
  struct Row {
    float kot;
    int16_t x, y;
  };
  // The factor 3.14 turns the needle slightly less than the angle: 86 ends at (0, 46).
  const Row rows[] = {{0, 50, 0},     {45, 15, 15},   {86, 0, 46},    {90, 0, 50},
                      {180, 50, 100}, {270, 100, 50}, {359.9f, 50, 0}};
  for (const Row& r : rows) {
    const DialPoint end = NeedleEnd(r.kot, 100);
    EXPECT_EQ(end.x, r.x) << r.kot;
    EXPECT_EQ(end.y, r.y) << r.kot;
  }
  EXPECT_EQ(NeedleEnd(0, 101).x, 50);  // the radius is halved towards zero
}

TEST(DialTest, CircleIsClosedButForLessThanAPixelAtTheUpperLeft) {
  const auto full = ArcPixels(0, 0, 100, 100, 0, 360);
  auto has = [&](const std::vector<QPoint>& pixels, int x, int y) {
    return std::find(pixels.begin(), pixels.end(), QPoint(x, y)) != pixels.end();
  };
  // Inside the rectangle, right and bottom edges excluded; touching all four sides.
  int minX = 99, maxX = 0, minY = 99, maxY = 0;
  for (const QPoint& p : full) {
    minX = std::min(minX, p.x());
    maxX = std::max(maxX, p.x());
    minY = std::min(minY, p.y());
    maxY = std::max(maxY, p.y());
    int neighbours = 0;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        neighbours += (dx || dy) && has(full, p.x() + dx, p.y() + dy);
    EXPECT_GE(neighbours, 2) << "gap next to " << p.x() << "," << p.y();
  }
  EXPECT_EQ(QRect(QPoint(minX, minY), QPoint(maxX, maxY)), QRect(0, 0, 100, 100));

  // The dial's arc: from the ray through (0, 0) to the ray through (1, 0).
  const double start = std::atan2(50.0, -50.0) * 180.0 / M_PI;
  const double end = std::atan2(50.0, -49.0) * 180.0 / M_PI;
  const auto dial = ArcPixels(0, 0, 100, 100, start, end - start + 360.0);
  EXPECT_GE(dial.size() + 1, full.size());
  EXPECT_LE(dial.size(), full.size());
}

TEST(RawViewTest, LineLayout) {
  EXPECT_EQ(RawReplyLine('d', Bytes({0x64, 0x3F, 0xA2, 0x16, 0x02, 0x10})),
            "d 64 3F A2 16 02 10 \r\n");
  EXPECT_EQ(RawReplyLine('3', Bytes({0x00, 0x0A, 0xFF})), "3 00 0A FF \r\n");
  EXPECT_EQ(RawReplyLine('1', ""), "1 \r\n");
}

class RawViewCycleTest : public FormTest {
 protected:
  // Decodes nothing: only the view's part of taking a reply for `index`.
  void Reply(uint8_t index, const ByteString& bytes) {
    RxBuffer() = bytes;
    form->AppendRawReply(index);
  }
  uint8_t& BufDisp() { return TMainFormAccess::BufDisp(*form); }
};

TEST_F(RawViewCycleTest, CyclesAlternateBetweenTheLabels) {
  const ByteString reply = Bytes({0x31, 0x00, 0x00, 0x02});
  for (uint8_t index = 1; index <= 6; ++index) Reply(index, reply);
  std::string cycle;
  for (char c : {'1', '3', 'd', 's', 't', 'a'}) cycle += RawReplyLine(c, reply);
  EXPECT_EQ(form->lblRxBuffer2->Caption(), cycle);
  EXPECT_EQ(form->lblRxBuffer1->Caption(), "lblRxBuffer1");  // untouched in the first cycle
  EXPECT_EQ(BufDisp(), 1);

  Reply(1, Bytes({0x31, 0xAB, 0xCD, 0xEF, 0x01, 0x02, 0x03}));  // extra bytes are shown too
  EXPECT_EQ(form->lblRxBuffer1->Caption(), "1 31 AB CD EF 01 02 03 \r\n");
  EXPECT_EQ(form->lblRxBuffer2->Caption(), cycle);  // keeps the previous cycle
  for (uint8_t index = 2; index <= 6; ++index) Reply(index, reply);
  EXPECT_EQ(BufDisp(), 2);
}

TEST_F(RawViewCycleTest, RestartMidCycleRefillsTheSameLabel) {
  const ByteString reply = Bytes({0x31, 0x00, 0x00, 0x02});
  for (uint8_t index = 1; index <= 3; ++index) Reply(index, reply);
  Reply(1, reply);  // polling switched off and on again
  EXPECT_EQ(form->lblRxBuffer2->Caption(), RawReplyLine('1', reply));
  EXPECT_EQ(BufDisp(), 0);
  for (uint8_t index = 2; index <= 6; ++index) Reply(index, reply);
  EXPECT_EQ(BufDisp(), 1);
}

}  // namespace
