// The main form: the window with its make, check and about pages, the status line and the stop
// and pause buttons; start-up, the automatic check, and the two runs wired to the buttons with
// their progress in bytes.
#pragma once

#include <windows.h>
// The system header below needs windows.h first.
#include <shellapi.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "app/keep_awake.h"
#include "app/taskbar_progress.h"
#include "catalogue/check_pass.h"
#include "catalogue/progress_meter.h"
#include "catalogue/run_view.h"
#include "widgets/display_text.h"
#include "widgets/gui_helpers.h"
#include "widgets/select_folder.h"
#include "widgets/text_pane.h"
#include "widgets/version_info.h"

class TForm1 {
 public:
  // `commandLinePath` is the path the program was started with, as given (empty for none): a
  // checkfile to check once or a folder to scan.
  TForm1(HINSTANCE instance, std::wstring commandLinePath);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1();

  // Creates the window from the layout table, runs FormCreate and shows it.
  void Create(int showCommand);
  HWND Handle() const { return handle_; }

  // The application's idle moment: the message queue has run empty.
  void ApplicationEvents1Idle();

  // Lets all pending window messages run.
  void ProcessMessages();
  // The runs' pump, called once per entry and every 64 KiB inside a long file: it lets the
  // messages run when some time has passed since it last did (a hundred times a second), which
  // keeps the window as responsive while looking at the queue costs a tenth of a millisecond
  // under some systems; it also shows the pane's lines and the status text held back meanwhile,
  // and the progress a few times a second. While the user holds the run paused, the window's
  // thread stays in here answering messages until resume, stop or close.
  void ProcessMessagesDuringRun();
  // A WM_QUIT was taken from the queue inside ProcessMessages; the main loop ends on it.
  bool QuitReceived() const { return quitReceived_; }

 private:
  // One adapter per working pane, so the make and check passes each write into their own pane.
  class TPaneRunView : public TRunView {
   public:
    TPaneRunView(TForm1& form, widgets::TTextPane& pane) : form_(form), pane_(pane) {}
    void ClearPane() override {
      showsHint = false;
      pane_.Clear();
    }
    void AppendLine(TViewText line) override { pane_.AppendLine(ViewTextUtf8(line)); }
    void SetStatus(TViewText text) override;
    void ProcessMessages() override { form_.ProcessMessagesDuringRun(); }
    void ShowNow() override;
    bool AbortRequested() const override { return form_.AbortRequested; }
    bool CloseRequested() const override { return form_.terminating_; }
    void ClearAbortRequest() override { form_.AbortRequested = false; }
    void ShowNoFilesBox() override;
    void SetRunning(TRunKind kind, bool running) override { form_.SetRunning(kind, running); }
    void SetByteProgress(const TByteProgress* progress) override {
      form_.SetByteProgress(progress);
    }

    bool showsHint = false;  // the pane holds its idle hint, not a run's lines

   private:
    TForm1& form_;
    widgets::TTextPane& pane_;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClasses(HINSTANCE instance);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id);
  LRESULT OnNotify(const NMHDR& header);
  void OnActivate(int state);
  LRESULT OnCtlColor(HDC dc, HWND control);
  void OnClose();
  void OnDestroy();
  void OnSettingChange();
  void OnDropFiles(HDROP drop);

  // Event handlers.
  void FormCreate();
  void ButtonScanFolderClick();
  void ButtonGoClick();
  void ButtonFindCheckFileClick();
  void ButtonUpdateCheckfileClick();
  void ButtonAbortClick();
  void ButtonPauseClick();

  // A path handed to the window (dropped): a checkfile is checked, a folder becomes the folder
  // to scan.
  void OpenPath(const std::string& path);
  // A path handed to the window in its wide form (command line, drop, chooser, open dialog) in
  // UTF-8, as the runs take it. False after a box that says why and shows the name when it has
  // no such form (a lone surrogate): a stand-in could name another file.
  bool CorePath(const std::wstring& given, std::string& path);
  void ShowUnrepresentableName(const std::wstring& given);
  void CheckGivenFile(const std::string& path);
  // The check run over `path`; afterwards the update button is usable where an update of its
  // checkfile would do something.
  void RunCheck(const std::string& path, TCheckOrigin origin);
  void UseScanFolder(const std::string& folder);

  // Runs one handler under the application-level error handler; a close requested meanwhile
  // takes effect when it has returned.
  template <typename Handler>
  void RunHandler(Handler handler);
  // The application-level error handler: inside a catch, shows the exception being handled in
  // words (running out of memory included) in a box with the stop icon.
  void ShowException();
  void ShowErrorBox(const std::wstring& text);

  void CreateControls();
  // Every idle text of the window in the window's language: captions, the about page, the panes'
  // hints; also the language the next run speaks.
  void ApplyLanguage();
  void ChooseLanguage(texts::TLanguage language);
  std::wstring Say(texts::TText name) const;  // the text in the window's language
  void ShowPage(int index);
  void SetPageControlEnabled(bool enabled);
  void SetEnabled(HWND control, bool enabled);
  void SetRunning(TRunKind kind, bool running);
  // The pause button and the running page's progress rows, shown only during runs; the page's pane
  // gives them room meanwhile.
  void ShowRunControls(bool running);
  // Holds the running run or lets it go on: the pause flag, the button's caption, the status line,
  // the bar's and the taskbar's state and the system's sleep.
  void SetPaused(bool paused);
  void WaitWhilePaused();
  void SetByteProgress(const TByteProgress* progress);
  // Samples the run's byte counts and shows them on the bar, its line and the taskbar button.
  void ShowProgress();
  TPaneRunView& RunningView() { return runKind_ == TRunKind::Make ? makeView_ : checkView_; }
  bool ExecuteOpenDialog();
  // The status line. While a run is active a new text is shown a few times a second at most
  // (every repaint of the label costs more than digesting a small file), and only a text shown is
  // converted; the run's last text is shown when it ends.
  void SetStatusText(TViewText text);
  void ShowPendingStatus();
  HWND Control(int id) const;
  // The pane a layout row creates (its creation data); null for the other rows.
  widgets::TTextPane* PaneFor(int id);

  HINSTANCE instance_;
  std::wstring commandLinePath_;
  texts::TLanguage language_;
  std::string givenCheckfile_;       // from the command line, checked at the first idle moment
  std::wstring unopenableArgument_;  // from the command line, refused at the first idle moment
  HWND handle_ = nullptr;
  HWND pageControl_ = nullptr;
  std::array<HWND, 3> pages_{};
  HWND lastFocus_ = nullptr;  // restored when the window is activated again
  bool runActive_ = false;
  TRunKind runKind_ = TRunKind::Make;  // the active run's, or the last one's
  bool paused_ = false;
  bool statusPending_ = false;
  TShownText pendingStatus_;
  std::chrono::steady_clock::time_point statusShown_{};
  std::chrono::steady_clock::time_point lastPump_{};
  int dpi_ = 96;
  gui::TGdiObject formFont_;
  gui::TGdiObject paneFont_;
  widgets::TTextPane memoMake_{"make"};  // the names in their saved reports' default names
  widgets::TTextPane memoCheck_{"check"};
  TPaneRunView makeView_{*this, memoMake_};
  TPaneRunView checkView_{*this, memoCheck_};
  TTaskbarProgress taskbar_;
  TKeepAwake keepAwake_;
  const TByteProgress* progress_ = nullptr;  // the active run's byte counts
  TProgressMeter meter_;
  TProgressShown progressShown_;
  std::chrono::steady_clock::time_point progressSampled_{};

  widgets::TVersionInfo VersionInfo1;
  widgets::TSelectFolderDialog SelectFolderDialog1;
  std::string openDialogFileName_;  // the open dialog's file name: the checkfile used last
  // What the last check found, while an update of its checkfile is offered.
  std::shared_ptr<const TCheckOutcome> lastCheck_;

  std::string ScanFolder;
  bool AbortRequested = false;
  bool AutoCheckPending = false;

  int handlerDepth_ = 0;      // handlers running (a run pumps messages, so they can nest)
  bool terminating_ = false;  // the window was asked to close while a handler ran
  bool quitReceived_ = false;
};
