// The whole library from several threads at once, in random sequences: dialogs with graphic
// controls whose callbacks draw on sent and posted messages, settings applied to them from other
// threads; graphic windows opened, drawn into, resized, minimised, scrolled, stretched and closed
// from other threads; drawing and text on memory surfaces; serial channels on pseudo-terminals
// (under tools/virtual_serial.py) opened, queried, received, sent and closed while data flows.
// Dialog callbacks also join workers that kill the dialog's controls, without running messages.
//
// Faults are injected at the window seam through the program's import table: a dialog thread's
// GetQueueStatus and PeekMessageW sometimes first run a drawing command sent to its own dialog
// (as Wine's display driver runs window procedures there), and sends to another thread's window
// are sometimes delayed. QV_STRESS_FAULTS=0 leaves the injection out.
//
// QV_STRESS_SECONDS (default 60) and QV_STRESS_SEED (default: from the clock) choose the run; the
// seed is printed so that a failing run's random choices can be replayed. Any wait longer than
// 10 s fails the program and prints where every thread was.
#include <gtest/gtest.h>

#include <windows.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "draw_target.h"
#include "error.h"
#include "font_table.h"
#include "import_hook.h"
#include "memory_surface.h"
#include "serial.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "surface_text.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "stress_serial_faults.h"
#include "thread_record.h"
#include "thread_test_support.h"
#include "thread_watchdog.h"
#include "virtual_serial_client.h"
#include "window_record.h"

namespace qv {
namespace {

using Rng = std::mt19937;
using testing::PlaceScope;
using testing::ThreadPlace;

constexpr int32_t kCanvasA = 1001, kCanvasB = 1002, kButton = 1003, kSpare = 1004;
constexpr WPARAM kDrawCommand = 4243;
constexpr UINT kPostedDraw = WM_APP + 7;
constexpr UINT kPostedJoinKill = WM_APP + 8;  // the callback joins a worker that kills a control

unsigned long EnvNumber(const char* name, unsigned long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

int Pick(Rng& rng, int below) { return std::uniform_int_distribution<int>(0, below - 1)(rng); }
float Coordinate(Rng& rng) { return static_cast<float>(Pick(rng, 220)) - 10.0f; }
int32_t Colour(Rng& rng) { return static_cast<int32_t>(rng() & 0xFFFFFF); }

std::atomic<long> g_callback_draws{0};

// One drawing or text operation on the thread's target, whatever it is (or none).
void DrawSomething(Rng& rng, ThreadPlace& place) {
  switch (Pick(rng, 6)) {
    case 0: {
      PlaceScope at(place, "SurfaceBox");
      SurfaceBox(Coordinate(rng), Coordinate(rng), Coordinate(rng), Coordinate(rng), Pick(rng, 120), Colour(rng),
                 Colour(rng), 0);
      break;
    }
    case 1: {
      PlaceScope at(place, "SurfaceLineTo");
      SurfaceMoveTo(Coordinate(rng), Coordinate(rng), 0);
      SurfaceLineTo(Coordinate(rng), Coordinate(rng), 0, Colour(rng));
      break;
    }
    case 2: {
      PlaceScope at(place, "SurfaceSetPixel");
      SurfaceSetPixel(Coordinate(rng), Coordinate(rng), 0, Colour(rng));
      break;
    }
    case 3: {
      PlaceScope at(place, "SurfacePrint");
      testing::PushUnits(u"stress " + std::u16string(1, static_cast<char16_t>(u'a' + Pick(rng, 26))));
      SurfacePrint();
      break;
    }
    case 4: {
      PlaceScope at(place, "SurfaceArc");
      SurfaceArc(Coordinate(rng), Coordinate(rng), Coordinate(rng), Coordinate(rng), 0.5f, 2.5f, Colour(rng),
                 Colour(rng), 0, Pick(rng, 2) ? kArcPie : 0);
      break;
    }
    default: {
      PlaceScope at(place, "SurfaceClear");
      SurfaceClear(Colour(rng), 0);
      break;
    }
  }
  ErrorClear();
}

std::atomic<long> g_joined_kills{0};

// Waits for the worker as a program's join does: running no messages meanwhile.
void JoinKillingWorker(HWND dialog, int32_t id) {
  std::thread worker([dialog, id] { ControlKill(dialog, id); });
  worker.join();
  ++g_joined_kills;
}

LRESULT CALLBACK StressCallback(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == kPostedJoinKill) {
    JoinKillingWorker(dialog, static_cast<int32_t>(wparam));
    return 1;
  }
  bool sent = message == WM_COMMAND && LOWORD(wparam) == kDrawCommand;
  if (!sent && message != kPostedDraw) return 0;
  HANDLE before = DrawTargetGet();
  SurfaceAttach(dialog, sent ? kCanvasA : kCanvasB, 0);
  SurfaceSetPixel(static_cast<float>(g_callback_draws % 200), 3, 0, 0x00FF00);
  SurfaceBox(10, 10, 30, 30, 0, 0x0000FF, -1, 0);
  ErrorClear();
  DrawTargetSet(before);
  ++g_callback_draws;
  return 1;
}

// Fault injection at the window seam. Each thread draws its choices from its own generator,
// seeded from the run's seed and the order in which threads first meet the seam.
struct Faults {
  unsigned long seed = 0;
  std::atomic<unsigned> threads_seen{0};
  std::atomic<long> queue_check_draws{0}, peek_draws{0}, delayed_sends{0};
  DWORD(WINAPI* get_queue_status)(UINT) = nullptr;
  BOOL(WINAPI* peek_message)(MSG*, HWND, UINT, UINT, UINT) = nullptr;
  LRESULT(WINAPI* send_message)(HWND, UINT, WPARAM, LPARAM) = nullptr;
} g_faults;

thread_local bool t_injecting = false;

Rng& FaultRng() {
  thread_local Rng rng(static_cast<Rng::result_type>(g_faults.seed * 7919 + g_faults.threads_seen++));
  return rng;
}

// On a thread that runs the current dialog: sometimes its drawing command first, as a sent message
// run by the platform call would.
std::atomic<HWND> g_fault_dialog{nullptr};

void MaybeRunDrawing(std::atomic<long>& count) {
  if (t_injecting) return;
  HWND dialog = g_fault_dialog;
  if (!dialog || GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId()) return;
  if (Pick(FaultRng(), 16) != 0) return;
  t_injecting = true;
  SendMessageW(dialog, WM_COMMAND, kDrawCommand, 0);
  t_injecting = false;
  ++count;
}

DWORD WINAPI FaultyGetQueueStatus(UINT flags) {
  MaybeRunDrawing(g_faults.queue_check_draws);
  return g_faults.get_queue_status(flags);
}

BOOL WINAPI FaultyPeekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
  MaybeRunDrawing(g_faults.peek_draws);
  return g_faults.peek_message(message, window, first, last, remove);
}

LRESULT WINAPI FaultySendMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!t_injecting && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() && Pick(FaultRng(), 8) == 0) {
    ++g_faults.delayed_sends;
    Sleep(static_cast<DWORD>(Pick(FaultRng(), 20)));
  }
  return g_faults.send_message(window, message, wparam, lparam);
}

// The hooks for the run; none when QV_STRESS_FAULTS is 0.
struct FaultHooks {
  std::unique_ptr<testing::ImportHook> queue, peek, send;
  explicit FaultHooks(unsigned long seed) {
    g_faults.seed = seed;
    if (std::getenv("QV_STRESS_FAULTS") && std::strtoul(std::getenv("QV_STRESS_FAULTS"), nullptr, 10) == 0) return;
    queue = std::make_unique<testing::ImportHook>("user32.dll", "GetQueueStatus",
                                                  reinterpret_cast<void*>(FaultyGetQueueStatus));
    g_faults.get_queue_status = reinterpret_cast<DWORD(WINAPI*)(UINT)>(queue->original());
    peek = std::make_unique<testing::ImportHook>("user32.dll", "PeekMessageW", reinterpret_cast<void*>(FaultyPeekMessage));
    g_faults.peek_message = reinterpret_cast<BOOL(WINAPI*)(MSG*, HWND, UINT, UINT, UINT)>(peek->original());
    send = std::make_unique<testing::ImportHook>("user32.dll", "SendMessageW", reinterpret_cast<void*>(FaultySendMessage));
    g_faults.send_message = reinterpret_cast<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(send->original());
  }
  bool installed() const { return !queue || (queue->installed() && peek->installed() && send->installed()); }
};

struct Shared {
  std::atomic<bool> stop{false};
  std::atomic<HWND> dialog{nullptr};
  std::atomic<HWND> window{nullptr};
  std::atomic<ChannelNumber> lasting_channel{-1};
  std::atomic<long> failures{0};
  std::atomic<long long> bytes_checked{0};
  std::atomic<long> faulted_closes{0};
};

void Fail(Shared& shared, const std::string& what) {
  std::fprintf(stderr, "stress failure: %s\n", what.c_str());
  ++shared.failures;
}

// Makes dialogs with graphic controls, runs their messages for a while, destroys them.
void DialogThread(Rng& rng, ThreadPlace& place, Shared& shared) {
  while (!shared.stop) {
    HWND dialog;
    {
      PlaceScope at(place, "making a dialog");
      dialog = testing::MakeDialog(u"stress", 20 + Pick(rng, 200), 20 + Pick(rng, 200), 360, 260,
                                   testing::kToolStyle, 0);
      testing::AddControl(14, dialog, kCanvasA, 10, 10, 162, 102, WS_BORDER);
      testing::AddControl(14, dialog, kCanvasB, 180, 10, 122, 82, 0);
      testing::AddControl(1, dialog, kButton, 10, 130, 80, 24, 0, 0, nullptr, u"button");
      testing::AddControl(5, dialog, kSpare, 100, 130, 80, 24, 0, 0, nullptr, u"spare");
      DialogShowModeless(dialog, StressCallback, nullptr);
    }
    shared.dialog = dialog;
    g_fault_dialog = dialog;
    DWORD until = GetTickCount() + 100 + Pick(rng, 600);
    while (GetTickCount() < until && !shared.stop) {
      {
        PlaceScope at(place, "DialogPumpOnce");
        DialogPumpOnce();
      }
      if (Pick(rng, 8) == 0) {
        SurfaceAttach(dialog, Pick(rng, 2) ? kCanvasA : kCanvasB, 0);
        DrawSomething(rng, place);
        DrawTargetSet(nullptr);
      }
    }
    shared.dialog = nullptr;
    g_fault_dialog = nullptr;
    PlaceScope at(place, "DestroyWindow(dialog)");
    DestroyWindow(dialog);
    for (int i = 0; i < 20; ++i) DialogPumpOnce();
  }
}

// Changes the current dialog from outside: colours, fonts, sizes, focus, kill, messages.
void SettingsThread(Rng& rng, ThreadPlace& place, Shared& shared) {
  while (!shared.stop) {
    HWND dialog = shared.dialog;
    if (!dialog) {
      Sleep(1);
      continue;
    }
    int32_t id = kCanvasA + Pick(rng, 4);
    switch (Pick(rng, 8)) {
      case 0: {
        PlaceScope at(place, "ControlSetColor");
        ControlSetColor(dialog, Pick(rng, 4) ? id : kDialogItself, Colour(rng), Pick(rng, 3) ? Colour(rng) : -2);
        break;
      }
      case 1: {
        PlaceScope at(place, "ControlSetFont");
        ControlSetFont(dialog, id, 1 + Pick(rng, 3));
        break;
      }
      case 2: {
        PlaceScope at(place, "WindowSetClientSize");
        WindowSetClientSize(dialog, id, 40 + Pick(rng, 160), 30 + Pick(rng, 100));
        break;
      }
      case 3: {
        PlaceScope at(place, "ControlSetFocus");
        ControlSetFocus(dialog, id);
        break;
      }
      case 4: {
        PlaceScope at(place, "ControlKill");
        if (Pick(rng, 4) == 0) ControlKill(dialog, kSpare);
        if (Pick(rng, 2) == 0) PostMessageW(dialog, kPostedJoinKill, Pick(rng, 2) ? kSpare : kButton, 0);
        break;
      }
      case 5: {
        PlaceScope at(place, "SendMessage(dialog, draw command)");
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(dialog, WM_COMMAND, kDrawCommand, 0, SMTO_NORMAL, 20000, &answer);
        break;
      }
      case 6: {
        PlaceScope at(place, "PostMessage(dialog, draw)");
        PostMessageW(dialog, kPostedDraw, 0, 0);
        break;
      }
      default: {
        ChannelNumber lasting = shared.lasting_channel;
        PlaceScope at(place, "ChannelQuery on the lasting channel");
        if (lasting >= 0) ChannelQuery(kItemBytesWaiting, lasting);
        break;
      }
    }
    ErrorClear();
    Sleep(Pick(rng, 3));
  }
}

// Opens graphic windows on threads of their own and draws into them; sometimes closes them.
void WindowThread(Rng& rng, ThreadPlace& place, Shared& shared) {
  while (!shared.stop) {
    HWND frame;
    {
      PlaceScope at(place, "SurfaceWindowOpenThreaded");
      DrawTargetSet(nullptr);
      testing::PushUnits(Pick(rng, 4) ? u"stress window" : u"");
      frame = SurfaceWindowOpenThreaded(40 + Pick(rng, 300), 40 + Pick(rng, 300), 120 + Pick(rng, 200),
                                        90 + Pick(rng, 150), 0, 1 + Pick(rng, 3), Pick(rng, 2) ? 0x1 : 0);
    }
    if (!frame) {
      Fail(shared, "a graphic window could not be opened");
      Sleep(50);
      continue;
    }
    shared.window = frame;
    DWORD until = GetTickCount() + 200 + Pick(rng, 800);
    while (GetTickCount() < until && !shared.stop && IsWindow(frame)) DrawSomething(rng, place);
    shared.window = nullptr;
    if (IsWindow(frame)) {
      PlaceScope at(place, "SurfaceWindowClose");
      SurfaceAttach(frame, 0, 0);
      SurfaceWindowClose();
    }
    DrawTargetSet(nullptr);
    ErrorClear();
    PlaceScope at(place, "waiting for the window to go");
    while (IsWindow(frame)) Sleep(2);
  }
}

// Works on the current graphic window from outside: sizes, views, minimising, drawing, closing.
void WindowOpsThread(Rng& rng, ThreadPlace& place, Shared& shared) {
  while (!shared.stop) {
    HWND frame = shared.window;
    if (!frame) {
      Sleep(1);
      continue;
    }
    SurfaceAttach(frame, 0, 0);
    ErrorClear();
    switch (Pick(rng, 9)) {
      case 0: {
        PlaceScope at(place, "SurfaceWindowSetClientSize");
        SurfaceWindowSetClientSize(60 + Pick(rng, 300), 40 + Pick(rng, 200));
        break;
      }
      case 1: {
        PlaceScope at(place, "SurfaceStretchView");
        SurfaceStretchView(Pick(rng, 2));
        break;
      }
      case 2: {
        PlaceScope at(place, "SurfaceScrollView");
        SurfaceScrollView(200 + Pick(rng, 400), 150 + Pick(rng, 300));
        break;
      }
      case 3: {
        PlaceScope at(place, "SurfaceViewPosition");
        SurfaceViewPosition(Coordinate(rng), Coordinate(rng));
        break;
      }
      case 4: {
        PlaceScope at(place, "minimise or restore");
        PostMessageW(frame, WM_SYSCOMMAND, Pick(rng, 2) ? SC_MINIMIZE : SC_RESTORE, 0);
        break;
      }
      case 5: {
        PlaceScope at(place, "SurfaceWindowShow");
        SurfaceWindowShow(Pick(rng, 4) != 0);
        break;
      }
      case 6: {
        if (Pick(rng, 10) == 0) {
          PlaceScope at(place, "SurfaceWindowClose from another thread");
          SurfaceWindowClose();
        }
        break;
      }
      default:
        DrawSomething(rng, place);
        break;
    }
    ErrorClear();
    DrawTargetSet(nullptr);
    Sleep(Pick(rng, 4));
  }
}

// Memory surfaces made, drawn on and destroyed.
void MemoryThread(Rng& rng, ThreadPlace& place, Shared& shared) {
  while (!shared.stop) {
    {
      PlaceScope at(place, "MemorySurfaceCreate");
      DrawTargetSet(nullptr);
      HANDLE surface = MemorySurfaceCreate(16 + Pick(rng, 300), 16 + Pick(rng, 200));
      if (!surface) {
        Fail(shared, "a memory surface could not be made");
        continue;
      }
      SurfaceAttach(surface, 0, 0);
    }
    for (int i = Pick(rng, 200); i >= 0 && !shared.stop; --i) DrawSomething(rng, place);
    PlaceScope at(place, "MemorySurfaceDestroy");
    MemorySurfaceDestroy();
  }
}

ChannelNumber OpenChannel(const std::string& port) {
  ChannelNumber n = ChannelNextFree();
  testing::PushUnits(testing::VirtualSerial::DeviceName(port));
  ChannelOpen(n, kOpenModeSerialExclusive, kSerialRecordLength);
  return ErrorNumber() == 0 ? n : -1;
}

// A channel that stays open: numbered chunks fed to it arrive once and in order, and what it
// sends arrives at the other end the same way.
void LastingChannelThread(Rng& rng, ThreadPlace& place, Shared& shared, const std::string& port) {
  ChannelNumber n;
  {
    PlaceScope at(place, "ChannelOpen (lasting)");
    n = OpenChannel(port);
  }
  if (n < 0) return Fail(shared, "the lasting channel could not be opened");
  ChannelSetWaitLimit(n, 5000);
  shared.lasting_channel = n;
  for (uint32_t chunk = 0; !shared.stop; ++chunk) {
    std::string data = std::to_string(chunk) + ":";
    data.resize(data.size() + 1 + Pick(rng, 300), static_cast<char>('a' + chunk % 26));
    if (Pick(rng, 2)) {
      {
        PlaceScope at(place, "feeding the lasting channel");
        testing::VirtualSerial::Feed(port, data);
      }
      PlaceScope at(place, "ChannelReceive (lasting)");
      ChannelReceive(n, static_cast<int32_t>(data.size()));
      uint8_t error = ErrorNumber();
      std::string got = PopText().str();
      if (error != 0 || got != data)
        Fail(shared, "received '" + got.substr(0, 20) + "' (" + std::to_string(got.size()) + " bytes, error " +
                         std::to_string(error) + ") for '" + data.substr(0, 20) + "' (" +
                         std::to_string(data.size()) + " bytes)");
    } else {
      {
        PlaceScope at(place, "ChannelSend (lasting)");
        PushOwned(DynString::FromBytes(data));
        ChannelSend(n);
      }
      PlaceScope at(place, "reading what the lasting channel sent");
      uint8_t error = ErrorNumber();
      std::string got = testing::VirtualSerial::Read(port, data.size(), 5000);
      if (error != 0 || got != data)
        Fail(shared, "sent '" + data.substr(0, 20) + "' (error " + std::to_string(error) + "), arrived '" +
                         got.substr(0, 20) + "' (" + std::to_string(got.size()) + " of " +
                         std::to_string(data.size()) + " bytes)");
    }
    ErrorClear();
    shared.bytes_checked += static_cast<long long>(data.size());
  }
  shared.lasting_channel = -1;
  PlaceScope at(place, "ChannelClose (lasting)");
  ChannelClose(n, 0xFFFF);
}

// A channel opened, queried, waited on and closed over and over.
void ChannelChurnThread(Rng& rng, ThreadPlace& place, Shared& shared, const std::string& port) {
  while (!shared.stop) {
    ChannelNumber n;
    {
      PlaceScope at(place, "ChannelOpen (churn)");
      n = OpenChannel(port);
    }
    ErrorClear();
    if (n < 0) {
      Sleep(5);
      continue;
    }
    for (int i = Pick(rng, 5); i >= 0; --i) {
      PlaceScope at(place, "ChannelQuery / short receive (churn)");
      ChannelQuery(kItemBytesWaiting, n);
      ChannelSetWaitLimit(n, static_cast<uint32_t>(1 + Pick(rng, 20)));  // 0 would wait for ever
      ChannelReceive(n, 1 + Pick(rng, 10));
      PopDiscard();
      ErrorClear();
    }
    PlaceScope at(place, "ChannelClose (churn)");
    ChannelClose(n, 0xFFFF);
    ErrorClear();
  }
}

// Joins a thread while running this thread's messages: a thread that ends may send to this
// thread's windows (activation, focus) on its way out.
void JoinServing(std::thread& thread) {
  HANDLE handle = pthread_gethandle(thread.native_handle());
  while (MsgWaitForMultipleObjectsEx(1, &handle, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  thread.join();
}

int32_t FontReferences() {
  int32_t sum = 0;
  for (int32_t n = 1; FontRecord* font = FontTableFind(n); ++n) sum += font->references;
  return sum;
}

struct Counts {
  int32_t records, thread_records, font_references;
  size_t channels;
  bool operator==(const Counts&) const = default;
};

Counts Now() { return {RecordCount(), ThreadRecordCount(), FontReferences(), ChannelTableNumbers().size()}; }

std::string Describe(const Counts& c) {
  return "records " + std::to_string(c.records) + ", thread records " + std::to_string(c.thread_records) +
         ", font references " + std::to_string(c.font_references) + ", open channels " +
         std::to_string(c.channels);
}

TEST(Stress, TheWholeLibraryFromSeveralThreads) {
  const unsigned long seconds = EnvNumber("QV_STRESS_SECONDS", 60);
  const unsigned long seed = EnvNumber("QV_STRESS_SEED", static_cast<unsigned long>(GetTickCount64() % 1000000007));
  std::printf("stress: seed %lu, %lu s (replay: QV_STRESS_SEED=%lu)\n", seed, seconds, seed);
  std::fflush(stdout);
  RecordProperty("seed", std::to_string(seed));

  FaultHooks faults(seed);
  ASSERT_TRUE(faults.installed());
  const Counts start = Now();
  Shared shared;
  testing::Watchdog watchdog("stress seed " + std::to_string(seed));
  ThreadPlace& main_place = watchdog.Place("main");

  using Body = std::function<void(Rng&, ThreadPlace&, Shared&)>;
  std::vector<std::pair<std::string, Body>> bodies = {
      {"dialogs", DialogThread},   {"settings", SettingsThread}, {"windows", WindowThread},
      {"window ops", WindowOpsThread}, {"memory 1", MemoryThread}, {"memory 2", MemoryThread},
  };
  const bool serial = testing::VirtualSerial::Available() && testing::VirtualSerial::Ports().size() >= 2;
  if (serial) {
    std::vector<std::string> ports = testing::VirtualSerial::Ports();
    testing::VirtualSerial::Flush(ports[0]);
    bodies.emplace_back("lasting channel", [port = ports[0]](Rng& r, ThreadPlace& p, Shared& s) {
      LastingChannelThread(r, p, s, port);
    });
    // QV_STRESS_CHANNEL_CLOSES=0 leaves out the channel opened and closed over and over.
    if (EnvNumber("QV_STRESS_CHANNEL_CLOSES", 1) != 0)
      bodies.emplace_back("channel churn", [port = ports[1]](Rng& r, ThreadPlace& p, Shared& s) {
        ChannelChurnThread(r, p, s, port);
      });
    // A third port's channel meets faults between the drain's device calls.
    if (ports.size() >= 3) {
      testing::InstallSerialFaults(static_cast<uint32_t>(seed), ports[2]);
      bodies.emplace_back("faulted channel", [port = ports[2]](Rng& r, ThreadPlace& p, Shared& s) {
        testing::FaultedChannelThread(r, p, port, s.stop, [&s](const std::string& what) { Fail(s, what); },
                                      s.faulted_closes);
      });
    }
  } else {
    std::printf("stress: no virtual serial ports, channels left out\n");
  }

  // Threads end one at a time, the others still running their messages meanwhile, so that
  // a thread's end that sends to other threads' windows (activation) finds them answering.
  std::vector<std::thread> threads;
  std::atomic<size_t> may_end{0};
  for (size_t i = 0; i < bodies.size(); ++i) {
    ThreadPlace& place = watchdog.Place(bodies[i].first);
    threads.emplace_back([&, i, body = bodies[i].second] {
      Rng rng(static_cast<Rng::result_type>(seed * 131 + i));
      body(rng, place, shared);
      place.Idle();
      while (may_end <= i) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      }
      place.At("ending (thread exit)");
    });
  }
  {
    PlaceScope at(main_place, "running");
    for (DWORD end = GetTickCount() + seconds * 1000; GetTickCount() < end && shared.failures == 0;) {
      Sleep(200);
      main_place.At("running");
    }
  }
  shared.stop = true;
  std::vector<std::string> joining;
  for (const auto& body : bodies) joining.push_back("joining " + body.first);
  for (size_t i = 0; i < threads.size(); ++i) {
    PlaceScope at(main_place, joining[i].c_str());
    may_end = i + 1;
    JoinServing(threads[i]);
  }
  // Graphic windows end on their own threads; the records and thread records follow.
  Counts end = Now();
  {
    PlaceScope at(main_place, "waiting for the counts to come back");
    for (DWORD until = GetTickCount() + 8000; !(end == start) && GetTickCount() < until; end = Now()) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(20);
    }
  }
  std::printf("stress: %ld callback draws, %lld channel bytes checked, %ld faulted channel closes; at start %s; "
              "at end %s\n",
              g_callback_draws.load(), shared.bytes_checked.load(), shared.faulted_closes.load(),
              Describe(start).c_str(), Describe(end).c_str());
  std::printf("stress: faults injected: %ld drawings in queue checks, %ld in peeks, %ld delayed sends; %ld kills "
              "joined from callbacks\n",
              g_faults.queue_check_draws.load(), g_faults.peek_draws.load(), g_faults.delayed_sends.load(),
              g_joined_kills.load());
  EXPECT_EQ(shared.failures.load(), 0);
  EXPECT_EQ(Describe(end), Describe(start));
  if (serial) {
    EXPECT_GT(shared.bytes_checked.load(), 0);
  }
  EXPECT_GT(g_callback_draws.load(), 0);
}

}  // namespace
}  // namespace qv
