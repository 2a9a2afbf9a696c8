// Walks the program through its three pages, the make page listing names with emoji and a make run
// in progress, for the README's pictures (not a test). For each
// picture it prints "shot <name>" and waits until the caller has created <folder>\<name>.done.
//   screenshot_tour.exe <folder holding hashtally.exe and some files> [<name> | english <suffix>]
// With a name it takes the make page only, under that name (a picture on another code page). With
// "english" it takes the make, check and about pages of a window that speaks English, as
// make-en<suffix> and so on (the caller chooses the language and the scaling).
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/window_ids.h"
#include "tests/app/program_driver.h"

namespace {

void Shot(const std::string& folder, const std::string& name) {
  std::printf("shot %s\n", name.c_str());
  std::fflush(stdout);
  const std::string marker = folder + "\\" + name + ".done";
  driver::WaitUntil([&] { return driver::FileExists(marker); }, std::chrono::minutes(2));
  DeleteFileA(marker.c_str());
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// The make page after a make, the check page after a file was changed and one added, and the
// about page, in English.
int EnglishTour(const std::string& folder, const std::string& suffix) {
  const std::string program = folder + "\\hashtally.exe";
  {
    driver::TProgram window(program, folder);
    window.Click(IdButtonGo);
    driver::WaitUntil(
        [&] { return window.Idle() && EndsWith(window.Text(IdMemoMake), "HTSUM-sums.MD5"); });
    Shot(folder, "make-en" + suffix);
    window.ClickPageTab(2);
    driver::WaitUntil([&] { return window.Visible(IdTabSheet1); });
    Shot(folder, "about-en" + suffix);
    window.Close();
    window.Exited(10000);
  }
  driver::WriteFile(folder + "\\notes.txt", "changed after the checkfile was made\r\n");
  driver::WriteFile(folder + "\\plans.txt", "added after the checkfile was made\r\n");
  {
    driver::TProgram window(program, folder);
    driver::WaitUntil(
        [&] { return window.Idle() && EndsWith(window.Text(IdMemoCheck), "in the checkfile"); });
    Shot(folder, "check-en" + suffix);
    window.Close();
    window.Exited(10000);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  if (argc > 2 && std::string(argv[2]) == "english")
    return EnglishTour(folder, argc > 3 ? argv[3] : "");
  const std::string program = folder + "\\hashtally.exe";
  {
    driver::TProgram window(program, folder);
    window.Click(IdButtonGo);
    driver::WaitUntil([&] {
      return window.Idle() &&
             driver::Lines(window.Text(IdMemoMake)).back().find("HTSUM-sums.MD5") !=
                 std::string::npos;
    });
    Shot(folder, argc > 2 ? argv[2] : "make");
    if (argc > 2) return 0;
    window.ClickPageTab(2);
    driver::WaitUntil([&] { return window.Visible(IdTabSheet1); });
    Shot(folder, "about");
    window.Close();
    window.Exited(10000);
  }
  // One file changes and one is added after the checkfile was made: the check started beside the
  // program finds both, and offers to update the checkfile.
  driver::WriteFile(folder + "\\notes.txt", "changed after the checkfile was made\r\n");
  driver::WriteFile(folder + "\\文档\\新计划.txt", "added after the checkfile was made\r\n");
  {
    driver::TProgram window(program, folder);
    driver::WaitUntil([&] {
      return window.Idle() && EndsWith(window.Text(IdMemoCheck), "个文件不在检查文件中");
    });
    Shot(folder, "check");
    window.Close();
    window.Exited(10000);
  }
  // Names with emoji and combining marks, which the code page cannot hold, listed by their real
  // names.
  const std::string emoji = folder + "\\表情";
  driver::MakeFolder(emoji);
  for (const wchar_t* name :
       {L"\U0001F600 笑脸.txt", L"\U0001F389\U0001F382 生日.txt", L"Zoe\u0308 \U0001F44D.txt",
        L"e\u0301te\u0301 \U0001F31E.txt", L"说明.txt"})
    driver::WriteFile(driver::Wide(emoji) + L"\\" + name, "emoji\r\n");
  {
    driver::TProgram window(program, folder, emoji);
    window.Click(IdButtonGo);
    driver::WaitUntil(
        [&] { return window.Idle() && driver::FileExists(emoji + "\\HTSUM-sums.MD5"); });
    Shot(folder, "emoji");
    window.Close();
    window.Exited(10000);
  }
  driver::RemoveTree(emoji);
  // A make run over large files, taken once the time left shows; then stopped. The files take no
  // room on the disk.
  const std::string videos = folder + "\\录像";
  driver::MakeFolder(videos);
  for (const char* name : {"\\假日.mp4", "\\生日.mp4", "\\婚礼.mp4", "\\毕业典礼.mp4"})
    driver::MakeSparseFile(videos + name, 6ull << 30);
  {
    driver::TProgram window(program, folder, videos);
    window.Click(IdButtonGo);
    driver::WaitUntil(
        [&] { return window.Text(IdProgressTextMake).find("剩余约") != std::string::npos; });
    Shot(folder, "progress");
    window.Click(IdButtonAbort);
    driver::WaitUntil([&] { return window.Idle(); });
    window.Close();
    window.Exited(10000);
  }
  driver::RemoveTree(videos);
  std::printf("done\n");
  return 0;
}
