// A real main window on in-memory ports and the virtual clock, with message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "sim/memory_port.h"
#include "test_support.h"
#include "ui/main.h"

// The private part of the encoder state.
struct TMainFormAccess {
  static ByteString& RxBuffer(TMainForm& f) { return f.RxBuffer; }
  static uint8_t& TrenutniUkazIdx(TMainForm& f) { return f.TrenutniUkazIdx; }
  static uint8_t& BufDisp(TMainForm& f) { return f.BufDisp; }
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct ShownMessage {
  std::string text;
  platform::TMsgDlgType type;
  bool operator==(const ShownMessage&) const = default;
};

class FormTest : public ::testing::Test {
 protected:
  explicit FormTest(uint32_t clockStart = 100000) : clock(clockStart) {}

  void SetUp() override {
    platform::Application.Reset();
    platform::SetMessageDlgHandler([this](const std::string& text, platform::TMsgDlgType type) {
      messages.push_back({text, type});
      return platform::mrOk;
    });
    form = std::make_unique<TMainForm>();
  }

  void TearDown() override {
    form.reset();
    platform::SetMessageDlgHandler(nullptr);
  }

  // Opens `path` at `baud` for the window, as detection leaves a found port.
  void OpenPort(const std::string& path, uint32_t baud = 115200) {
    form->ComID = OpenAt(path, baud);
    ASSERT_NE(form->ComID, platform::INVALID_HANDLE_VALUE);
  }

  ByteString& RxBuffer() { return TMainFormAccess::RxBuffer(*form); }
  uint8_t& TrenutniUkazIdx() { return TMainFormAccess::TrenutniUkazIdx(*form); }

  platform::VirtualClock clock;
  sim::MemoryBackend comm;
  std::vector<ShownMessage> messages;
  std::unique_ptr<TMainForm> form;
};
