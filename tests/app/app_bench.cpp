// Figures for the window (not a test): how appending lines to the real result pane scales, and how
// a make run in the real window compares with the same pass run headless over the same tree.
//   app_bench.exe panes [small large]      lines appended to a pane, twice
//   app_bench.exe make <files>             headless pass and window run over a generated tree
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/text_pane.h"
#include "app/window_ids.h"
#include "catalogue/make_pass.h"
#include "catalogue/run_view.h"
#include "tests/app/program_driver.h"
#include "widgets/display_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Appends `count` lines like a make run's to a fresh pane of the window's kind; seconds taken.
double AppendLines(HWND owner, int count) {
  const HWND edit =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                      WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                          ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                      8, 8, 481, 185, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  TTextPane pane;
  pane.Attach(edit);
  pane.SetBatching(true);  // as during a run
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string number = std::to_string(i);
    pane.AppendLine(
        gui::ViewTextUtf8({ProgramText("文件: file"), ProgramText(number), ProgramText(".dat")}));
    if (i % 64 == 0) {  // the runs let messages run as they go
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
  }
  pane.SetBatching(false);
  const double seconds = Seconds(start);
  const std::string text = driver::WindowText(edit);
  if (driver::Lines(text).size() != static_cast<std::size_t>(count))
    std::printf("pane lost lines: %zu of %d\n", driver::Lines(text).size(), count);
  DestroyWindow(edit);
  return seconds;
}

int BenchPanes(int small, int large) {
  const HWND owner =
      CreateWindowExA(0, "STATIC", "pane bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 540, 240,
                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  const double a = AppendLines(owner, small);
  std::printf("pane: %d lines %.3f s\n", small, a);
  std::fflush(stdout);
  std::printf("pane: %d lines %.3f s\n", small, a);
  std::fflush(stdout);
  const double b = AppendLines(owner, large);
  std::printf("pane: %d lines %.3f s, %d lines %.3f s, ratio %.2f\n", small, a, large, b, b / a);
  std::fflush(stdout);
  DestroyWindow(owner);
  return 0;
}

// A run view that keeps nothing: the headless pass.
class TQuietView : public TRunView {
 public:
  void ClearPane() override {}
  void AppendLine(TViewText) override {}
  void SetStatus(TViewText) override {}
  void ProcessMessages() override {}
  bool AbortRequested() const override { return false; }
  void ClearAbortRequest() override {}
  void ShowNoFilesBox() override {}
  void ShowNow() override {}
  void SetRunning(TRunKind, bool) override {}
  void SetProgress(std::size_t, std::size_t) override {}
};

int BenchMake(int files) {
  driver::TTempFolder tree;
  const int perFolder = 1000;
  for (int f = 0; f * perFolder < files; ++f) {
    const std::string folder = tree / ("part" + std::to_string(f));
    driver::MakeFolder(folder);
    for (int i = 0; i < perFolder && f * perFolder + i < files; ++i)
      driver::WriteFile(folder + "\\file" + std::to_string(i) + ".dat",
                        std::string(4096, char('a' + i % 26)));
  }
  const std::string program = tree / "hashtally.exe";
  CopyFileA(driver::BuiltProgramPath().c_str(), program.c_str(), FALSE);

  TQuietView view;
  std::string folder = tree.Path();
  auto start = Clock::now();
  TMakePass(view, "0.2.1.10").Run(folder);
  const double headless = Seconds(start);
  DeleteFileA((tree / "HTSUM-sums.MD5").c_str());

  driver::TProgram window(program, tree.Path());
  start = Clock::now();
  window.Click(IdButtonGo);
  driver::WaitUntil([&] { return window.Running(); }, std::chrono::minutes(1));
  driver::WaitUntil([&] { return window.Idle() && driver::FileExists(tree / "HTSUM-sums.MD5"); },
                    std::chrono::minutes(30));
  const double windowed = Seconds(start);
  std::printf("make over %d files: headless %.2f s, window %.2f s, ratio %.2f\n", files, headless,
              windowed, windowed / headless);
  return 0;
}

}  // namespace

// The cost of letting pending messages run once per entry, with nothing pending.
int BenchPump(int count) {
  const HWND owner =
      CreateWindowExA(0, "STATIC", "pump bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 540, 240,
                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  const double peek = Seconds(start);
  start = Clock::now();
  for (int i = 0; i < count; ++i) {
    if (!GetQueueStatus(QS_ALLINPUT)) continue;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  const double status = Seconds(start);
  start = Clock::now();
  const HWND label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 8, 8, 300, 40, owner,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
  for (int i = 0; i < count; ++i) {
    SetWindowTextA(label, std::to_string(i).c_str());
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  const double label_ = Seconds(start);
  std::printf("%d pumps: peek %.3f s, queue status first %.3f s, with label text %.3f s\n", count,
              peek, status, label_);
  DestroyWindow(owner);
  return 0;
}

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "panes";
  if (what == "panes")
    return BenchPanes(argc > 2 ? std::atoi(argv[2]) : 20000,
                      argc > 3 ? std::atoi(argv[3]) : 200000);
  if (what == "pump") return BenchPump(argc > 2 ? std::atoi(argv[2]) : 20000);
  if (what == "make") return BenchMake(argc > 2 ? std::atoi(argv[2]) : 20000);
  std::printf("usage: app_bench panes [small large] | make [files]\n");
  return 2;
}
