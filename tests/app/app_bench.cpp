// Figures for the window (not a test): how appending lines to the real result pane scales, and how
// a make run in the real window compares with the same pass run headless over the same tree.
//   app_bench.exe panes [small large]      lines appended to a pane, twice
//   app_bench.exe make <files> [size [program]] make and check runs in the window over a new tree,
//                                          against a minimal walker over the same tree, and a
//                                          check by the console program
//   app_bench.exe check <entries> [program] a check run of a checkfile of small files: time, the
//                                          window's slowest answer, the peak memory under Wine
//   app_bench.exe save [lines]              a pane's text of that many check lines saved as a
//                                          report, as the pane's "另存为" writes it
//   app_bench.exe deep <levels> [program]  a make run in the window over a chain of folders that
//                                          deep, against the minimal walker
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/window_ids.h"
#include "catalogue/run_view.h"
#include "digest/digest_service.h"
#include "tests/app/program_driver.h"
#include "widgets/report_file.h"
#include "widgets/text_pane.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Appends `count` lines like a make run's to a fresh pane of the window's kind; seconds taken.
double AppendLines(HWND owner, int count) {
  widgets::TTextPane pane;
  const HWND edit = pane.Create(owner, 1, {8, 8, 489, 193},
                                WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE);
  pane.SetBatching(true);  // as during a run
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    pane.AppendLine(u8"文件: file" + std::to_string(i) + ".dat");
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

// The least a program must do for the tree: list it, then digest every file on as many threads
// as there are processors, one open and 1 MiB reads per file (HashFile), nothing shown. Seconds.
double WalkerSeconds(const std::string& root) {
  const auto start = Clock::now();
  std::vector<std::wstring> files;
  // Verbatim, so that a deep tree's paths past MAX_PATH are reached as well.
  std::vector<std::wstring> folders{L"\\\\?\\" + driver::Wide(root)};
  while (!folders.empty()) {
    const std::wstring folder = folders.back();
    folders.pop_back();
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L".." || name == L"HTSUM-sums.MD5") continue;
      ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files)
          .push_back(folder + L"\\" + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    std::string digest, path;
    for (std::size_t i; (i = next++) < files.size();) {
      path.assign(files[i].begin(), files[i].end());  // the tree's names are ASCII
      HashFile(HASH_MD5, path, digest);
    }
  };
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
    workers.emplace_back(work);
  for (std::thread& worker : workers) worker.join();
  return Seconds(start);
}

struct TRunSeconds {
  double walker = 1e9, make = 1e9, check = 1e9, console = 1e9;
};

// Make runs (and check runs of their checkfiles when `check`) over `tree` in the window of
// `builtProgram` (which may be another build of the program), against the walker over the same
// tree; each the best of three. `last` receives the last line of the last run's pane.
TRunSeconds TimeRuns(const driver::TTempFolder& tree, const std::string& builtProgram, bool check,
                     std::string& last) {
  const std::string program = tree / "hashtally.exe";
  CopyFileA(builtProgram.c_str(), program.c_str(), FALSE);

  driver::TProgram window(program, tree.Path());
  // From the press to the end, polling only the controls' state, which sends the window nothing.
  const auto timed = [&](const std::function<void()>& press) {
    const auto start = Clock::now();
    press();
    driver::WaitUntil([&] { return window.Running(); }, std::chrono::minutes(1));
    driver::WaitUntil([&] { return window.Idle(); }, std::chrono::minutes(30));
    return Seconds(start);
  };
  TRunSeconds best;
  for (int round = 0; round < 3; ++round) {
    best.walker = std::min(best.walker, WalkerSeconds(tree.Path()));
    best.make = std::min(best.make, timed([&] { window.Click(IdButtonGo); }));
    if (!check) continue;
    best.check = std::min(best.check, timed([&] { window.Drop(tree / "HTSUM-sums.MD5"); }));
    const auto start = Clock::now();
    driver::RunConsole(driver::WindowsPath(HT_CONSOLE_EXE), {"check", tree / "HTSUM-sums.MD5"});
    best.console = std::min(best.console, Seconds(start));
  }
  last = driver::LastLine(window.Text(check ? IdMemoCheck : IdMemoMake));
  return best;
}

// A make run and a check run over `files` files of `size` bytes, against the walker.
int BenchMake(int files, std::size_t size, const std::string& builtProgram) {
  driver::TTempFolder tree;
  const int perFolder = 1000;
  for (int f = 0; f * perFolder < files; ++f) {
    const std::string folder = tree / ("part" + std::to_string(f));
    driver::MakeFolder(folder);
    for (int i = 0; i < perFolder && f * perFolder + i < files; ++i)
      driver::WriteFile(folder + "\\file" + std::to_string(i) + ".dat",
                        std::string(size, char('a' + i % 26)));
  }
  std::string last;
  const TRunSeconds best = TimeRuns(tree, builtProgram, true, last);
  std::printf(
      "over %d files of %zu bytes: walker %.2f s, make %.2f s (%.2fx), check %.2f s (%.2fx), "
      "console check %.2f s (%.2fx); check ends \"%s\"\n",
      files, size, best.walker, best.make, best.make / best.walker, best.check,
      best.check / best.walker, best.console, best.console / best.walker, last.c_str());
  return 0;
}

// A make run over a chain of `levels` folders, each holding the next one and a small file, so that
// the deepest paths are thousands of characters long; against the walker.
int BenchDeep(int levels, const std::string& builtProgram) {
  driver::TTempFolder tree;
  std::string folder = tree.Path();
  for (int level = 0; level < levels; ++level) {
    driver::WriteFile(folder + "\\f.txt", "level " + std::to_string(level));
    folder += "\\d";
    driver::MakeFolder(folder);
  }
  std::string last;
  const TRunSeconds best = TimeRuns(tree, builtProgram, false, last);
  std::printf("%d levels: walker %.2f s, make %.2f s (%.2fx); make ends \"%s\"\n", levels,
              best.walker, best.make, best.make / best.walker, last.c_str());
  return 0;
}

// A file of /proc read through Wine's drive for the host's root ("" outside Wine).
std::string HostProcFile(const std::string& path) {
  HANDLE file = CreateFileA(("Z:\\proc\\" + path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    content.append(buffer, read);
  CloseHandle(file);
  return content;
}

// The host's process id of the process whose command line holds `marker` ("" when none).
std::string HostProcessOf(const std::string& marker) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return std::string();
  std::string found;
  do {
    const std::string pid = entry.cFileName;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string command = HostProcFile(pid + "\\cmdline");
    for (char& c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (command.find(marker) != std::string::npos && command.find("app_bench") == std::string::npos)
      found = pid;
  } while (found.empty() && FindNextFileA(find, &entry));
  FindClose(find);
  return found;
}

// A size field of /proc/<pid>/status ("VmRSS:", "VmHWM:") in MiB; -1 when unknown.
double MemoryField(const std::string& pid, const char* field) {
  const std::string status = pid.empty() ? std::string() : HostProcFile(pid + "\\status");
  const std::size_t at = status.find(field);
  return at == std::string::npos ? -1 : std::atof(status.c_str() + at + std::strlen(field)) / 1024;
}

// Processor seconds the process has used, user and system (/proc/<pid>/stat); -1 when unknown.
double ProcessorSeconds(const std::string& pid) {
  const std::string stat = pid.empty() ? std::string() : HostProcFile(pid + "\\stat");
  std::size_t at = stat.rfind(')');  // the name in brackets may hold blanks
  for (int field = 2; field < 14 && at != std::string::npos; ++field) at = stat.find(' ', at + 1);
  if (at == std::string::npos) return -1;
  char* end = nullptr;
  const double user = std::strtod(stat.c_str() + at + 1, &end);
  return (user + std::strtod(end, nullptr)) / 100;  // in clock ticks of a hundredth of a second
}

// The count of compared entries in a check run's status line ("...: <count>; ..."); 0 for none.
int ComparedCount(const std::string& status) {
  const std::size_t colon = status.find(": ");
  return colon == std::string::npos ? 0 : std::atoi(status.c_str() + colon + 2);
}

// Checks a checkfile of `entries` lines naming a hundred small files in the real window, started
// with the checkfile on its command line; `builtProgram` may be another build of the program.
// Besides the time it tells the phases (loading the checkfile, the first and second half of the
// entries, the end), the window's slowest answer and the memory the program took.
int BenchCheck(int entries, const std::string& builtProgram) {
  driver::TTempFolder tree;
  constexpr int kFiles = 100;
  std::vector<std::string> digests;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = tree / ("file" + std::to_string(i) + ".dat");
    driver::WriteFile(name, std::string(512 + i, char('a' + i % 26)));
    digests.push_back(driver::SystemMd5(name));
  }
  std::string checkfile = ";\r\n;\r\n;\r\n";
  for (int i = 0; i < entries; ++i)
    checkfile += digests[i % kFiles] + "|file" + std::to_string(i % kFiles) + ".dat\r\n";
  driver::WriteFile(tree / "HTSUM-sums.MD5", checkfile);
  const std::string program = tree / "hashtally.exe";
  CopyFileA(builtProgram.c_str(), program.c_str(), FALSE);
  std::string marker = tree.Path().substr(tree.Path().rfind('\\') + 1);
  for (char& c : marker) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  const auto start = Clock::now();
  driver::TProgram window(program, tree.Path(), tree / "HTSUM-sums.MD5");
  driver::WaitUntil([&] { return window.Running(); }, std::chrono::minutes(1));
  const std::string pid = HostProcessOf(marker);
  double slowestLoading = 0, slowest = 0, firstCount = 0, halfway = 0, lastCount = 0;
  double loadedMemory = 0, runMemory = 0;  // after loading; the most while checking
  int slowestAt = 0, count = 0, samples = 0;
  while (!window.Idle()) {
    const auto asked = Clock::now();
    window.Answers(60000);
    if (count == 0) slowestLoading = std::max(slowestLoading, Seconds(asked));
    if (count > 0 && Seconds(asked) > slowest) {
      slowest = Seconds(asked);
      slowestAt = count;
    }
    const int now = ComparedCount(window.StoredText(IdLabelStatus));
    if (count > 0 && ++samples % 20 == 0)  // about once a second
      runMemory = std::max(runMemory, MemoryField(pid, "VmRSS:"));
    if (now > count) {
      if (count == 0) {
        firstCount = Seconds(start);
        loadedMemory = MemoryField(pid, "VmRSS:");
      }
      if (now >= entries / 2 && count < entries / 2) halfway = Seconds(start);
      count = now;
      lastCount = Seconds(start);
    }
    Sleep(50);
  }
  const double seconds = Seconds(start);
  const double processor = ProcessorSeconds(pid);
  const double endMemory = MemoryField(pid, "VmRSS:");
  const double peak = MemoryField(pid, "VmHWM:");
  const std::vector<std::string> lines = driver::Lines(window.Text(IdMemoCheck));
  std::printf(
      "check of %d entries: %.2f s (%.0f entries/s), processor %.2f s; start and load %.2f s, "
      "first half %.2f s, "
      "second half %.2f s, end %.2f s; slowest answer while loading %.0f ms, among the entries "
      "%.0f ms (at entry %d); memory after load %.0f MiB, at most %.0f MiB while checking, at the "
      "end %.0f MiB, peak %.0f MiB; %zu "
      "pane lines ending \"%s\"\n",
      entries, seconds, entries / seconds, processor, firstCount, halfway - firstCount,
      lastCount - halfway, seconds - lastCount, slowestLoading * 1000, slowest * 1000, slowestAt,
      loadedMemory, runMemory, endMemory, peak, lines.size(), lines.back().c_str());
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

int BenchSave(int count) {
  widgets::TLineStore lines;
  for (int i = 0; i < count; ++i)
    lines.Append(u8"OK: C:\\Users\\用户\\Documents\\照片\\2026-12-09 假期\\IMG_" +
                 std::to_string(i) + ".jpg");
  driver::TTempFolder folder;
  const std::string report = folder / "report.txt";
  for (int run = 0; run < 3; ++run) {  // the later runs replace the report of the one before
    const auto start = Clock::now();
    unsigned long error = 0;
    const bool saved = widgets::SaveReport(lines, report, error);
    const double seconds = Seconds(start);
    std::printf("save: %d lines, %.1f MiB, %.3f s%s\n", count,
                static_cast<double>(driver::ReadFile(report).size()) / (1 << 20), seconds,
                saved ? "" : " FAILED");
    std::fflush(stdout);
  }
  return 0;
}

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "panes";
  if (what == "panes")
    return BenchPanes(argc > 2 ? std::atoi(argv[2]) : 20000,
                      argc > 3 ? std::atoi(argv[3]) : 200000);
  if (what == "pump") return BenchPump(argc > 2 ? std::atoi(argv[2]) : 20000);
  if (what == "make")
    return BenchMake(argc > 2 ? std::atoi(argv[2]) : 20000,
                     argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 4096,
                     argc > 4 ? std::string(argv[4]) : driver::BuiltProgramPath());
  if (what == "deep")
    return BenchDeep(argc > 2 ? std::atoi(argv[2]) : 500,
                     argc > 3 ? std::string(argv[3]) : driver::BuiltProgramPath());
  if (what == "check")
    return BenchCheck(argc > 2 ? std::atoi(argv[2]) : 50000,
                      argc > 3 ? std::string(argv[3]) : driver::BuiltProgramPath());
  if (what == "save") return BenchSave(argc > 2 ? std::atoi(argv[2]) : 1000000);
  std::printf(
      "usage: app_bench panes [small large] | make [files [size [program]]] | check [entries "
      "[program]] | save [lines] | deep [levels [program]]\n");
  return 2;
}
