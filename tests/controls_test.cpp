// What the program relies on from its controls, timers and the main window's starting state.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "platform/forms.h"
#include "ui/texts.h"

using namespace platform;

namespace {

class ControlsTest : public FormTest {};

TEST_F(ControlsTest, CheckBoxRunsItsHandlerOnEveryRealChangeAndOnlyThen) {
  TCheckBox box(form.get());
  int clicks = 0;
  box.OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, &box);
    ++clicks;
  };
  box.SetChecked(false);
  EXPECT_EQ(clicks, 0);
  box.SetChecked(true);
  box.SetChecked(true);
  EXPECT_EQ(clicks, 1);
  box.click();  // the user
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(box.Checked());
}

TEST_F(ControlsTest, TimerTicksOnlyWhenEnabledWithIntervalAndHandler) {
  TTimer timer(form.get());
  int ticks = 0;
  timer.SetInterval(100);
  clock.Advance(500);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 0);  // no handler yet
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Running());
  timer.SetInterval(100);
  Application.DispatchFor(100);
  EXPECT_EQ(ticks, 1);
  timer.SetEnabled(false);
  Application.DispatchFor(300);
  EXPECT_EQ(ticks, 1);
}

TEST_F(ControlsTest, TimerRestartsItsPeriodOnARealChangeOnly) {
  TTimer timer(form.get());
  std::vector<uint32_t> at;
  timer.SetInterval(100);
  timer.SetOnTimer([&](TObject*) { at.push_back(clock.Now()); });
  const uint32_t t0 = clock.Now();
  Application.DispatchFor(60);
  timer.SetInterval(100);  // same value: the period goes on
  timer.SetEnabled(true);
  Application.DispatchFor(40);
  ASSERT_EQ(at.size(), 1u);
  EXPECT_EQ(at[0] - t0, 100u);
  Application.DispatchFor(60);
  timer.SetInterval(50);  // real change: a new period from now
  Application.DispatchFor(50);
  ASSERT_EQ(at.size(), 2u);
  EXPECT_EQ(at[1] - t0, 210u);
}

TEST_F(ControlsTest, TimerTicksDoNotPileUpWhileAHandlerBlocks) {
  TTimer timer(form.get());
  int ticks = 0;
  timer.SetInterval(50);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    clock.Advance(500);  // a handler blocked in an exchange
  });
  Application.DispatchFor(50);
  EXPECT_EQ(ticks, 1);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 2);  // one overdue tick, not ten
}

TEST_F(ControlsTest, SpinEditValueIsTheTypedNumberBoundsApplyOnlyOnLeavingOrStepping) {
  TSpinEdit edit(form.get());
  edit.SetRange(10, 1000);
  edit.SetIncrement(10);
  edit.SetValue(50);
  int changes = 0;
  edit.OnChange = [&](TObject*) { ++changes; };
  struct Row {
    const char* typed;
    int32_t value;
  };
  for (const Row& r : {Row{"20", 20}, Row{"0", 0}, Row{"abc", 10}, Row{"-5", -5}, Row{"5000", 5000},
                       Row{"", 10}, Row{"99999999999", INT32_MAX}}) {
    edit.SetText(r.typed);
    EXPECT_EQ(edit.Value(), r.value) << r.typed;
  }
  EXPECT_EQ(changes, 7);
  edit.SetText("995");
  edit.stepBy(1);
  EXPECT_EQ(edit.Value(), 1000);
  edit.SetText("5");
  edit.stepBy(-1);
  EXPECT_EQ(edit.Value(), 10);
}

TEST_F(ControlsTest, LabelGrowsRightAndDownFromAFixedCorner) {
  TLabel* label = form->lblSpeed;
  const QRect before = label->geometry();
  label->SetCaption("Speed: 1,234,567 and a much longer text\r\nwith a second line");
  const QRect after = label->geometry();
  EXPECT_EQ(after.topLeft(), before.topLeft());
  EXPECT_GT(after.width(), before.width());
  EXPECT_GT(after.height(), before.height());
  EXPECT_EQ(label->text().count('\n'), 1);  // CR LF is one line break
}

TEST_F(ControlsTest, TextsAreShownAsPlainText) {
  form->lblIdent_prebran->SetCaption("P/N: <b>QRA</b>");
  EXPECT_EQ(form->lblIdent_prebran->textFormat(), Qt::PlainText);
  EXPECT_EQ(Latin1Text("\xB5m"), "µm");
}

TEST_F(ControlsTest, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
  TButton button(form.get());
  int clicks = 0;
  button.OnClick = [&](TObject*) {
    ++clicks;
    throw std::out_of_range("table index");
  };
  button.Click();
  button.Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(messages,
            (std::vector<ShownMessage>{{"table index", mtError}, {"table index", mtError}}));
}

TEST(WholeNumberTest, Parsing) {
  EXPECT_EQ(ParseWholeNumber("  42"), 42);
  EXPECT_EQ(ParseWholeNumber("+7"), 7);
  EXPECT_EQ(ParseWholeNumber("-2147483648"), INT32_MIN);
  // Beyond 32 bits, however long: the nearest limit.
  EXPECT_EQ(ParseWholeNumber("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseWholeNumber("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseWholeNumber("-99999999999999999999"), INT32_MIN);
  EXPECT_EQ(ParseWholeNumber("1e3"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("4 2"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("-"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("12 "), std::nullopt);
}

// The starting state other parts of the program rely on.
TEST_F(ControlsTest, MainWindowStartingState) {
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(TrenutniUkazIdx(), 0);
  EXPECT_EQ(TMainFormAccess::BufDisp(*form), 0);
  EXPECT_TRUE(RxBuffer().empty());

  ASSERT_EQ(form->listCom->Count(), 3);
  EXPECT_EQ(form->listCom->Item(0), "1");
  EXPECT_FALSE(form->listCom->Enabled());
  ASSERT_EQ(form->rgBaudrate->Count(), 7);
  EXPECT_EQ(form->rgBaudrate->Item(6), "G - 921600");
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 0);
  EXPECT_FALSE(form->rgBaudrate->Enabled());
  EXPECT_EQ(form->seDelay->Value(), 50);
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_FALSE(form->pnlAbsPosMT->Visible());
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "-  -  -  -  -");
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  EXPECT_EQ(form->pnlComm->Color(), clBtnFace);
  EXPECT_EQ(form->lblHeader->Color(), clWhite);
  for (TPanel* p : {form->pnlAError, form->pnlMultiturnErr, form->pnlAselfCalFinished,
                    form->pnlAselfCalSucessfull})
    EXPECT_EQ(p->Color(), clSilver);
  EXPECT_EQ(form->pnlAselfCalTimeout->Caption(), "Timeout - 10 seconds expired");
  EXPECT_EQ(form->lblAselfCalResult->Caption(), "...");
  EXPECT_EQ(form->progBarCal->Max(), 100);
  EXPECT_TRUE(form->InitTimer->Enabled());  // the first search comes 200 ms after creation
  EXPECT_EQ(form->InitTimer->Interval(), 200u);
  EXPECT_FALSE(form->TimerBeriEnkoder->Enabled());
  EXPECT_EQ(form->TimerBeriEnkoder->Interval(), 50u);
  EXPECT_EQ(form->Caption(), "Tovra-2 Asnychronous Serial (UART) Demo (Ver: 0.1.0.1)");
  EXPECT_EQ(form->Enkoder_CPR, 1);
}

TEST_F(ControlsTest, ReadEncoderSwitchesThePollingTimerAndRestartsTheCycle) {
  TrenutniUkazIdx() = 4;
  form->cbBeriEnkoder->SetChecked(true);
  EXPECT_TRUE(form->TimerBeriEnkoder->Enabled());
  EXPECT_EQ(TrenutniUkazIdx(), 1);
  TrenutniUkazIdx() = 3;
  form->cbBeriEnkoder->SetChecked(false);
  EXPECT_FALSE(form->TimerBeriEnkoder->Enabled());
  EXPECT_EQ(TrenutniUkazIdx(), 1);
}

}  // namespace
