// The window's lifecycle: caption, keys, the delay field, WaitMs, closing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include "app/lifecycle.h"
#include "app/orodja.h"
#include "form_fixture.h"

using namespace platform;

namespace {

TEST(VersionTextTest, FourPartsOrNothing) {
  EXPECT_EQ(VersionText(FileVersion{0x00020005, 0x00020001}), "2.5.2.1");
  EXPECT_EQ(VersionText(FileVersion{0xFFFF0000, 0x0000FFFF}), "65535.0.0.65535");
  EXPECT_EQ(VersionText(std::nullopt), "");
}

class ShellTest : public FormTest {};

TEST_F(ShellTest, OnlyCtrlShiftARevealsTheRawReplyLabels) {
  struct Row {
    Qt::KeyboardModifiers modifiers;
    Qt::Key key;
    bool reveals;
  };
  const Row rows[] = {
      {Qt::ControlModifier, Qt::Key_A, false},
      {Qt::ShiftModifier, Qt::Key_A, false},
      {Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, Qt::Key_A, false},
      {Qt::ControlModifier | Qt::ShiftModifier | Qt::MetaModifier, Qt::Key_A, false},
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_B, false},
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_A, true},
  };
  EXPECT_TRUE(form->lblRxBuffer1->Visible());  // shown from the start
  for (const Row& r : rows) {
    form->lblRxBuffer1->SetVisible(false);
    form->lblRxBuffer2->SetVisible(false);
    QTest::keyClick(form.get(), r.key, r.modifiers);
    EXPECT_EQ(form->lblRxBuffer1->Visible(), r.reveals) << r.modifiers.toInt();
    EXPECT_EQ(form->lblRxBuffer2->Visible(), r.reveals) << r.modifiers.toInt();
  }
}

TEST_F(ShellTest, TheWindowSeesKeysFirstAndTheFocusedControlStillGetsThem) {
  form->show();
  QApplication::setActiveWindow(form.get());
  form->seDelay->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  ASSERT_EQ(QApplication::focusWidget(), form->seDelay);
  form->lblRxBuffer1->SetVisible(false);
  form->lblRxBuffer2->SetVisible(false);
  QTest::keyClick(form->seDelay, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(form->lblRxBuffer1->Visible());
  QTest::keyClick(form->seDelay, Qt::Key_End);
  QTest::keyClick(form->seDelay, Qt::Key_0);
  EXPECT_EQ(form->seDelay->Text(), "500");
  EXPECT_EQ(form->TimerBeriEnkoder->Interval(), 500u);
  EXPECT_TRUE(form->TimerBeriEnkoder->Enabled() == false);
}

TEST_F(ShellTest, TypedDelaysTakeEffectAtOnce) {
  struct Row {
    const char* typed;
    uint32_t interval;
    bool ticking;
  };
  form->cbBeriEnkoder->SetChecked(true);
  for (const Row& r : {Row{"20", 20, true}, Row{"0", 0, false}, Row{"-5", 0, false},
                       Row{"abc", 10, true}, Row{"5000", 5000, true}, Row{"-1", 5000, true},
                       // Pasted: as long a wait as the field can hold; a negative one is none.
                       Row{"99999999999999999999", 2147483647, true},
                       Row{"-99999999999999999999", 2147483647, true}, Row{"1001", 1001, true}}) {
    form->seDelay->SetText(r.typed);
    EXPECT_EQ(form->TimerBeriEnkoder->Interval(), r.interval) << r.typed;
    EXPECT_EQ(form->TimerBeriEnkoder->Running(), r.ticking) << r.typed;
  }
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ShellTest, LeavingTheDelayFieldShowsTheValueItStandsFor) {
  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  struct Row {
    const char* typed;
    const char* shown;
    uint32_t interval;
  };
  for (const Row& r : {Row{"99999999999999999999", "1000", 1000}, Row{"0", "10", 10},
                       Row{"-5", "10", 10}, Row{"abc", "10", 10}, Row{" 70", "70", 70},
                       Row{"1001", "1000", 1000}, Row{"-99999999999999999999", "10", 10}}) {
    form->seDelay->setFocus();
    form->seDelay->SetText(r.typed);
    form->btnMTzero->setFocus();
    EXPECT_EQ(form->seDelay->Text(), r.shown) << r.typed;
    EXPECT_EQ(form->TimerBeriEnkoder->Interval(), r.interval) << r.typed;
  }
}

TEST_F(ShellTest, TickIntervalFollowsTheDelayField) {
  // Each tick is a poll step: the encoder tells when its requests came.
  sim::MemoryDevice& device = comm.AddDevice("/dev/ttyS0");
  form->InitTimer->SetEnabled(false);
  OpenPort("/dev/ttyS0");
  form->cbBeriEnkoder->SetChecked(true);
  const uint32_t t0 = clock.Now();
  Application.DispatchFor(100);
  const uint32_t changed = clock.Now() - t0;  // the step at 100 took its exchange's time
  form->seDelay->SetText("20");
  Application.DispatchFor(40);
  std::string requests;
  std::vector<uint32_t> ticks;
  for (const sim::ReceivedFrame& f : device.engine().Frames()) {
    requests += f.bytes;
    ticks.push_back(f.at - t0);
  }
  EXPECT_EQ(requests, "13ds");  // the cycle goes on at the index it had reached
  // One new interval after the change.
  EXPECT_EQ(ticks, (std::vector<uint32_t>{50, 100, changed + 20, changed + 40}));
}

TEST_F(ShellTest, WaitMsDispatchesAtLeastOnceAndEndsAfterItsTime) {
  int dispatched = 0;
  auto post = [&] {
    QMetaObject::invokeMethod(
        qApp, [&] { ++dispatched; }, Qt::QueuedConnection);
  };
  post();
  const uint32_t t0 = clock.Now();
  WaitMs(0);
  EXPECT_EQ(dispatched, 1);
  EXPECT_EQ(clock.Now(), t0);

  WaitMs(-5);
  EXPECT_EQ(clock.Now(), t0);

  // Timers tick inside the wait: here the first search, 200 ms after creation.
  comm.AddBusyPort("/dev/ttyS0");
  WaitMs(500);
  EXPECT_EQ(clock.Now() - t0, 500u);
  EXPECT_EQ(form->listCom->Count(), 1);
}

TEST_F(ShellTest, WaitMsReturnsAfterOnePassWhenTheApplicationIsEnding) {
  int dispatched = 0;
  QMetaObject::invokeMethod(
      qApp, [&] { ++dispatched; }, Qt::QueuedConnection);
  Application.Terminate();
  const uint32_t t0 = clock.Now();
  WaitMs(500);
  EXPECT_EQ(dispatched, 1);
  EXPECT_EQ(clock.Now(), t0);
}

TEST_F(ShellTest, WaitMsEndsWhenTheWindowIsClosedDuringTheWait) {
  form->InitTimer->SetEnabled(false);
  TTimer closer(form.get());
  closer.SetInterval(100);
  closer.SetOnTimer([&](TObject*) { form->close(); });
  const uint32_t t0 = clock.Now();
  WaitMs(500);
  EXPECT_TRUE(Application.Terminated());
  EXPECT_EQ(clock.Now() - t0, 100u);
}

class WrappingShellTest : public FormTest {
 protected:
  WrappingShellTest() : FormTest(0xFFFFFFFFu - 30) {}
};

TEST_F(WrappingShellTest, WaitMsEndsAfterItsTimeAcrossTheTickCounterWrap) {
  form->InitTimer->SetEnabled(false);
  const uint32_t t0 = clock.Now();
  WaitMs(100);
  EXPECT_EQ(clock.Now() - t0, 100u);
  EXPECT_LT(clock.Now(), t0);  // it did wrap
}

TEST_F(ShellTest, ClosingTheWindowClosesAnOpenPort) {
  sim::MemoryDevice& device = comm.AddDevice("/dev/ttyS0");
  OpenPort("/dev/ttyS0");
  form->cbBeriEnkoder->SetChecked(true);
  form->close();
  EXPECT_TRUE(Application.Terminated());
  form.reset();
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.activity().closes, 1);
}

TEST_F(ShellTest, ClosingTheWindowBeforeAnyPortWasFoundClosesNothing) {
  sim::MemoryDevice& device = comm.AddDevice("/dev/ttyS0");
  form->close();
  form.reset();
  EXPECT_EQ(device.activity().opens, 0);
  EXPECT_EQ(device.activity().closes, 0);
}

}  // namespace
