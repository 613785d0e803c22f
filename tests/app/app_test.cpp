// The tool's routines driven in-process on a fake serial device: options, opening, the
// polling rule, the title and the picture in the surface's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "app_state.h"
#include "channel_table.h"
#include "fake_device.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "surface_pixels.h"
#include "surface_start_up.h"
#include "test_startup.h"

namespace qv::app {
namespace {

using qv::testing::FakeDevice;

constexpr int kWidth = 1200, kHeight = 960;
constexpr uint32_t kBlueBytes = 0x000000FF;       // FF 00 00 00: blue, green, red, unused
constexpr uint32_t kBackgroundBytes = 0x00FFFACD;  // CD FA FF 00

class CommandLine {
 public:
  explicit CommandLine(const char16_t* tail) : saved_(Runtime().command_tail) {
    Runtime().command_tail = tail;
  }
  ~CommandLine() { Runtime().command_tail = saved_; }

 private:
  const char16_t* saved_;
};

void ResetState() {
  BaudRate = 0;
  PortChannel = 0;
  PortName.Reset();
  ReceivedData.Reset();
  SurfacePixels.Reset();
  LastQueueCount = 0;
}

class Options : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override { ResetState(); }

  int32_t Open(const char16_t* tail) {
    CommandLine line(tail);
    return OpenSerialPort();
  }

  FakeDevice dev;
  ProcedureFrame frame;
};

TEST_F(Options, DefaultsAndUpperCasedOptions) {
  EXPECT_EQ(Open(u""), 1);
  EXPECT_EQ(PortName.view(), "COM3");
  EXPECT_EQ(BaudRate, 115200);
  EXPECT_NE(PortChannel, 0);
  ASSERT_EQ(dev.opens.size(), 1u);
  EXPECT_EQ(dev.opens[0].name, u"COM3");
  EXPECT_EQ(dev.dcb.BaudRate, 115200u);

  EXPECT_EQ(Open(u"port=com5 baud=9600"), 1);
  EXPECT_EQ(PortName.view(), "COM5");
  EXPECT_EQ(BaudRate, 9600);
  EXPECT_EQ(dev.opens.back().name, u"COM5");
}

TEST_F(Options, TokenRules) {
  struct Case {
    const char16_t* tail;
    std::string port;
    int32_t baud;
  };
  const Case cases[] = {
      {u"BAUD=57600 BAUD=9600", "COM3", 9600},  // the last token wins
      {u"XPORTY=1", "1", 115200},
      {u"PORTBAUD=5", "5", 5},
      {u"BAUD=abc", "COM3", 0},
      {u"BAUD=9600.5", "COM3", 9600},  // ties to even
      {u"BAUD=9601.5", "COM3", 9602},
      {u"BAUD=&H2580", "COM3", 9600},
      {u"PORT=\"COM7\"", "\"COM7\"", 115200},  // quotes stay in the token
      {u"port=com4  other   baud=300", "COM4", 300},
      {u"PORT=COM5=X", "COM5=X", 115200},
  };
  for (const Case& c : cases) {
    Open(c.tail);
    EXPECT_EQ(PortName.view(), c.port) << std::string(c.tail, c.tail + std::char_traits<char16_t>::length(c.tail));
    EXPECT_EQ(BaudRate, c.baud);
  }
}

TEST_F(Options, UnopenablePortsLeaveNoChannel) {
  EXPECT_EQ(Open(u"PORT = COM5"), 0);  // the token "PORT" has no "=": an empty name
  EXPECT_TRUE(PortName.empty());
  EXPECT_EQ(PortChannel, 0);

  dev.fail_open = true;
  EXPECT_EQ(Open(u"PORT=COM9"), 0);
  EXPECT_EQ(PortChannel, 0);
  EXPECT_TRUE(dev.open_handles.empty());
}

TEST_F(Options, AFailedSettingGivesThePortBack) {
  dev.refuse_set_state = true;
  EXPECT_EQ(Open(u""), 0);
  EXPECT_EQ(PortChannel, 0);
  ASSERT_EQ(dev.opens.size(), 1u);
  EXPECT_TRUE(dev.open_handles.empty());  // closed again, not left locked until exit
  EXPECT_EQ(ChannelTableNumbers().size(), 0u);

  dev.refuse_set_state = false;
  dev.refuse_setup = true;  // the queue-size setting
  EXPECT_EQ(Open(u""), 0);
  EXPECT_TRUE(dev.open_handles.empty());

  dev.refuse_setup = false;  // no speed at all, which a device never runs at
  EXPECT_EQ(Open(u"BAUD=abc"), 0);
  EXPECT_TRUE(dev.open_handles.empty());
}

// The whole window built as the main routine builds it, with the surface read back as pixels.
class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    BuildMainDialog();
    ASSERT_NE(MainDialog, nullptr);
  }
  void TearDown() override {
    DestroyWindow(MainDialog);
    MainDialog = nullptr;
    ResetState();
  }

  DynString Pixels() {
    SurfaceReadPixels();
    return PopText();
  }

  static uint32_t At(const DynString& pixels, int x, int y) {
    uint32_t v;
    std::memcpy(&v, pixels.data() + 8 + 4 * (size_t(y) * kWidth + x), 4);
    return v;
  }

  // Pixels of the given colour within a rectangle, and in the whole picture.
  static int Count(const DynString& pixels, uint32_t colour, int x0 = 0, int y0 = 0, int w = kWidth,
                   int h = kHeight) {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) n += At(pixels, x, y) == colour;
    return n;
  }

  DynString Render(const std::string& burst) {
    ReceivedData = DynString::FromBytes(burst);
    RenderBitGrid();
    return Pixels();
  }

  ProcedureFrame frame;
};

TEST_F(Window, ClearedToTheBackgroundBeforeAnyData) {
  DynString pixels = Pixels();
  ASSERT_EQ(pixels.bytes(), 8u + 4u * kWidth * kHeight);
  EXPECT_EQ(Count(pixels, kBackgroundBytes), kWidth * kHeight);
  EXPECT_EQ(Render("").view(), pixels.view());  // an empty burst draws only the background
}

TEST_F(Window, CellsLandWhereTheBitsSay) {
  std::string burst(31, '\0');
  burst[0] = '\x01';
  burst[29] = '\xFF';
  burst[30] = '\x80';
  DynString pixels = Render(burst);
  EXPECT_EQ(Count(pixels, kBlueBytes, 0, 0, 4, 4), 16);      // bit 0 of byte 0: top left
  EXPECT_EQ(Count(pixels, kBlueBytes, 0, 928, 4, 32), 128);  // byte 29: bottom of strip 0
  EXPECT_EQ(Count(pixels, kBlueBytes, 4, 28, 4, 4), 16);     // byte 30, bit 7: strip 1
  EXPECT_EQ(Count(pixels, kBlueBytes), 16 * 10);

  // Every render starts from a cleared surface.
  pixels = Render(std::string(1, '\x80'));
  EXPECT_EQ(Count(pixels, kBlueBytes, 0, 28, 4, 4), 16);
  EXPECT_EQ(Count(pixels, kBlueBytes), 16);
}

TEST_F(Window, NineThousandBytesFillTheGridAndLaterBytesAreNotDrawn) {
  DynString full = Render(std::string(9000, '\xFF'));
  EXPECT_EQ(Count(full, kBlueBytes), kWidth * kHeight);

  // A byte past the grid would land one pixel row lower over strip 0; it is not drawn.
  std::string burst(9000, '\0');
  burst += std::string(100, '\xFF');
  EXPECT_EQ(Count(Render(burst), kBackgroundBytes), kWidth * kHeight);

  std::mt19937 rng(7);
  std::string random(9000, '\0');
  for (char& c : random) c = static_cast<char>(rng() & 0xFF);
  DynString first = Render(random);
  std::string longer = random;
  for (int i = 0; i < 9001; ++i) longer += static_cast<char>(rng() & 0xFF);
  EXPECT_EQ(Render(longer).view(), first.view());
}

class Polling : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    CommandLine line(u"");
    ASSERT_EQ(OpenSerialPort(), 1);
  }
  void Tick() { MainDialogCallback(MainDialog, WM_TIMER, 0xFFFFFEED, 0); }
  int Drawn() { return Count(Pixels(), kBlueBytes); }

  FakeDevice dev;
};

TEST_F(Polling, ABurstIsReadAtTheSecondTickAfterItArrives) {
  dev.Arrive(std::string(100, '\x01'));
  Tick();
  EXPECT_EQ(Drawn(), 0);
  EXPECT_EQ(LastQueueCount, 100);
  Tick();
  EXPECT_EQ(Drawn(), 100 * 16);
  EXPECT_EQ(LastQueueCount, 0);
  EXPECT_TRUE(ReceivedData.empty());
  EXPECT_TRUE(dev.queue.empty());

  Tick();  // nothing waiting: nothing happens, not even a redraw
  EXPECT_EQ(Drawn(), 100 * 16);
}

TEST_F(Polling, AQueueThatKeepsGrowingIsNotRead) {
  for (int i = 0; i < 6; ++i) {
    dev.Arrive("\x01");
    Tick();
    EXPECT_EQ(Drawn(), 0);
  }
  Tick();
  EXPECT_EQ(Drawn(), 6 * 16);
}

TEST_F(Polling, LargeBurstsAreReadWhole) {
  dev.Arrive(std::string(12000, '\xFF'));
  Tick();
  Tick();
  EXPECT_EQ(Drawn(), kWidth * kHeight);
  EXPECT_TRUE(dev.queue.empty());
}

TEST_F(Polling, DestructionClosesTheChannel) {
  MainDialogCallback(MainDialog, WM_DESTROY, 0, 0);
  EXPECT_TRUE(dev.open_handles.empty());
  EXPECT_NE(PortChannel, 0);  // keeps its value
  PortChannel = 0;
}

TEST_F(Window, TitleTellsThePortOrTheFailure) {
  FakeDevice dev;
  wchar_t text[128];
  {
    CommandLine line(u"");
    MainDialogCallback(MainDialog, WM_INITDIALOG, 0, 0);
  }
  GetWindowTextW(MainDialog, text, 128);
  EXPECT_STREQ(text, L"Quorvex - Port: COM3 , Baudrate: 115200");
  MainDialogCallback(MainDialog, WM_DESTROY, 0, 0);
  EXPECT_FALSE(KillTimer(MainDialog, 0xFFFFFEED));  // the poll timer is already stopped
  EXPECT_TRUE(dev.open_handles.empty());

  SetWindowTextW(MainDialog, L"Quorvex");
  dev.fail_open = true;
  {
    CommandLine line(u"port=com9");
    MainDialogCallback(MainDialog, WM_INITDIALOG, 0, 0);
  }
  GetWindowTextW(MainDialog, text, 128);
  EXPECT_STREQ(text, L"Quorvex - Unable to open Comport: COM9");
  // Ticks on the unopened port find nothing and draw nothing.
  MainDialogCallback(MainDialog, WM_TIMER, 0, 0);
  MainDialogCallback(MainDialog, WM_TIMER, 0, 0);
  EXPECT_EQ(Count(Pixels(), kBlueBytes), 0);
  MainDialogCallback(MainDialog, WM_DESTROY, 0, 0);
}

}  // namespace
}  // namespace qv::app

int main(int argc, char** argv) { qv::testing::RunTestsUnderStartUp(argc, argv, qv::SurfaceStartUp); }
