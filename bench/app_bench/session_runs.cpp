#include "session_runs.h"

#include <toolkit/testing.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "PanelCapture.h"
#include "PanelDisplay.h"
#include "PanelFind.h"
#include "PanelWholeSession.h"
#include "bench_window.h"
#include "esp_log_feed.h"

namespace {

using std::chrono::milliseconds;

double Milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

// Makes one panel's choices by its menu items.
std::string ChooseInMenus(TForm1& form, int panel) {
  if (!form.Panels[panel]->Find<PanelWholeSession>()->On())
    form.Panels[panel]->Find<PanelWholeSession>()->Item->Click();
  PanelDisplay& display = *form.Panels[panel]->Find<PanelDisplay>();
  for (const auto& [codePage, item] : display.Encodings)
    if (codePage == CP_UTF8) item->Click();
  if (!display.Choices().Colours) display.ColoursItem->Click();
  const bool made = form.Panels[panel]->Find<PanelWholeSession>()->On() && display.Choices().CodePage == CP_UTF8 &&
                    display.Choices().Colours && form.Panels[panel]->Find<PanelWholeSession>()->View()->Visible.Get();
  return made ? std::string() : "panel " + std::to_string(panel + 1) + " did not take its choices; ";
}

// Waits until both views hold every line their far ends sent whole.
bool WaitUntilViewsHoldAll(const Lines& lines, milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    bool all = true;
    WatchedForm::RunOnWindowThread(lines.form->Handle, [&] {
      for (int i = 0; i < 2; ++i)
        if (static_cast<uint64_t>(ViewOf(lines, i)->CharacterCount()) < lines.logEnds[i]->ShownUnits()) all = false;
    });
    if (all) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(milliseconds(50));
  }
}

// Compares a panel's whole view with the lines its far end sent, a
// megabyte at a time (the window goes on between pieces). Returns where
// they first differ, empty when they do not.
std::string CompareView(const Lines& lines, int panel) {
  const EspLogFarEnd& end = *lines.logEnds[panel];
  std::string expected;
  uint64_t at = 0;  // UTF-16 position in the view
  const auto comparePiece = [&](bool last) -> std::string {
    if (expected.empty() || (!last && expected.size() < (1u << 20))) return {};
    const uint64_t units = Utf16Length(expected);
    std::string shown;
    WatchedForm::RunOnWindowThread(lines.form->Handle, [&] {
      shown = ViewOf(lines, panel)->TextRange(static_cast<int>(at), static_cast<int>(units)).Utf8();
    });
    std::string error;
    if (shown != expected) {
      size_t differ = 0;
      while (differ < shown.size() && differ < expected.size() && shown[differ] == expected[differ]) ++differ;
      const size_t from = differ > 40 ? differ - 40 : 0;
      error = "panel " + std::to_string(panel + 1) + " near character " + std::to_string(at) + ": shows \"" +
              shown.substr(from, 80) + "\", sent \"" + expected.substr(from, 80) + "\"";
    }
    at += units;
    expected.clear();
    return error;
  };
  for (uint64_t line = 0; line < end.CompleteLines(); ++line) {
    expected += EspLogLineAt(line).shown;
    if (std::string error = comparePiece(false); !error.empty()) return error;
  }
  if (std::string error = comparePiece(true); !error.empty()) return error;
  uint64_t count = 0;
  WatchedForm::RunOnWindowThread(lines.form->Handle, [&] { count = ViewOf(lines, panel)->CharacterCount(); });
  if (count != at)
    return "panel " + std::to_string(panel + 1) + " holds " + std::to_string(count) + " characters, sent " +
           std::to_string(at);
  return {};
}

// While a run lasts: every 100 ms a call goes to the window's thread, as a
// key typed into the send line does, and the time until it runs is kept.
class AnswerProbe {
 public:
  explicit AnswerProbe(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            std::this_thread::sleep_for(milliseconds(100));
            const Clock::time_point sent = Clock::now();
            WatchedForm::RunOnWindowThread(window, [] {});
            answers_.push_back(Milliseconds(Clock::now() - sent));
          }
        }) {}
  Spread Stop() {
    stop_ = true;
    thread_.join();
    return SpreadOf(answers_);
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<double> answers_;
  std::thread thread_;
};

std::array<LineWriter, 2> LogWriters(const Lines& lines) {
  return {[&lines](size_t count) { return lines.logEnds[0]->Write(count); },
          [&lines](size_t count) { return lines.logEnds[1]->Write(count); }};
}

// The time `action` takes on the window's thread, `rounds` times.
Spread TimeOnWindow(const Lines& lines, int rounds, const std::function<void()>& before,
                    const std::function<void()>& action) {
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    WatchedForm::RunOnWindowThread(lines.form->Handle, [&] {
      if (before) before();
      const Clock::time_point start = Clock::now();
      action();
      times.push_back(Milliseconds(Clock::now() - start));
    });
    std::this_thread::sleep_for(milliseconds(100));
  }
  return SpreadOf(times);
}

}  // namespace

TLogView* ViewOf(const Lines& lines, int panel) { return lines.form->Panels[panel]->Find<PanelWholeSession>()->View(); }

std::string StartSession(const Lines& lines, const char* baud) {
  TForm1& form = *lines.form;
  std::string error = CloseBothPanels(*lines.form);
  if (!error.empty()) return error;
  error = OpenPanelsOn(*lines.form, "COM3", "COM4", baud);
  if (!error.empty()) return error;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int panel = 0; panel < 2; ++panel) error += ChooseInMenus(form, panel);
    // What the panels showed before is not the log's.
    form.Button4->Click();
    form.Button7->Click();
  });
  return error;
}

SessionLoadResult RunSessionLoad(const Lines& lines, double rate, double seconds, milliseconds step) {
  SessionLoadResult result;
  result.rate = rate;
  result.seconds = seconds;
  result.stepMs = static_cast<int>(step.count());
  const std::array<uint64_t, 2> before = {lines.logEnds[0]->Written(), lines.logEnds[1]->Written()};

  AnswerProbe probe(lines.form->Handle);
  const CpuMeter meter(*lines.form);
  const std::array<uint64_t, 2> lost = FeedLines(LogWriters(lines), rate, seconds, step);
  result.cpu = meter.Share();
  result.answers = probe.Stop();

  for (int i = 0; i < 2; ++i) {
    lines.logEnds[i]->FinishLine();
    result.taken += lines.logEnds[i]->Written() - before[i];
    result.lost += lost[i];
    result.linesSent += lines.logEnds[i]->CompleteLines();
  }
  if (!WaitUntilViewsHoldAll(lines, milliseconds(30000))) result.mismatch = "the views did not get every line; ";
  for (int i = 0; i < 2; ++i) result.mismatch += CompareView(lines, i);
  result.shownAll = result.mismatch.empty();
  return result;
}

double FillSession(const Lines& lines, double rate, uint64_t bytes) {
  const Clock::time_point start = Clock::now();
  const auto left = [&] {
    const uint64_t sent = std::min(lines.logEnds[0]->Written(), lines.logEnds[1]->Written());
    return sent >= bytes ? 0 : bytes - sent;
  };
  // At least a step at a time: a run shorter than one writes nothing, and
  // the last few bytes would never go.
  while (left() > 0)
    FeedLines(LogWriters(lines), rate, std::clamp(static_cast<double>(left()) / rate, 0.01, 10.0), milliseconds(10));
  for (EspLogFarEnd* end : lines.logEnds) end->FinishLine();
  WaitUntilViewsHoldAll(lines, milliseconds(30000));
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string SetSessionLimit(const Lines& lines, int mib) {
  std::string error;
  WatchedForm::RunOnWindowThread(lines.form->Handle, [&] {
    for (int panel = 0; panel < 2; ++panel)
      if (!lines.form->Panels[panel]->Find<PanelWholeSession>()->SetLimitMiB(mib))
        error += "panel " + std::to_string(panel + 1) + " refused a limit of " + std::to_string(mib) + " MiB; ";
  });
  return error;
}

namespace {

// The receive area's 保存显示内容… item of a panel.
TMenuItem* SaveShownTextItem(TForm1& form, int panel) {
  TPopupMenu* menu = (panel == 0 ? form.Memo1 : form.Memo2)->PopupMenu;
  for (int i = 0; i < menu->Items->Count; ++i)
    if (menu->Items->Items[i]->Caption.Get().Utf8().rfind("保存显示内容", 0) == 0) return menu->Items->Items[i];
  return nullptr;
}

// Types `text` into panel 1's find box (regular expression or not) and
// waits until every match is counted, the window answering meanwhile.
FindFigures TimeFind(const Lines& lines, const char* text, bool regex) {
  WatchedForm& form = *lines.form;
  TFindBox* box = form.Panels[0]->Find<PanelFind>()->Box;
  TLogView* view = ViewOf(lines, 0);
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    form.Panels[0]->Find<PanelFind>()->Open();
    box->Text = "";
    box->Regex = regex;
  });
  FindFigures figures;
  AnswerProbe probe(form.Handle);
  const Clock::time_point start = Clock::now();
  WatchedForm::RunOnWindowThread(form.Handle, [&] { box->Text = text; });
  for (bool counting = true; counting;) {
    WatchedForm::RunOnWindowThread(form.Handle, [&] {
      counting = view->FindCounting();
      if (counting && box->Status().Utf8().find("%") != std::string::npos) figures.progressShown = true;
      if (!counting) figures.matches = view->MatchCount();
    });
    if (counting) std::this_thread::sleep_for(milliseconds(2));
  }
  figures.ms = Milliseconds(Clock::now() - start);
  figures.answers = probe.Stop();
  WatchedForm::RunOnWindowThread(form.Handle, [&] { box->Close(); });
  return figures;
}

// Saves panel 1's view through 保存显示内容… as a user does, and checks the
// file against the view.
void TimeSave(const Lines& lines, const std::string& folder, SessionViewFigures& figures) {
  WatchedForm& form = *lines.form;
  const std::string file = folder + "/shown.txt";
  std::string expected;
  AnswerProbe probe(form.Handle);
  const Clock::time_point start = Clock::now();
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    QueueFileDialogAnswerForTesting(String(file));
    SaveShownTextItem(form, 0)->Click();
  });
  for (bool saving = true; saving;) {
    std::this_thread::sleep_for(milliseconds(5));
    WatchedForm::RunOnWindowThread(form.Handle, [&] { saving = form.Panels[0]->Find<PanelCapture>()->Saving(); });
  }
  figures.saveMs = Milliseconds(Clock::now() - start);
  figures.saveAnswers = probe.Stop();
  // The file against the view, a megabyte at a time.
  FILE* saved = std::fopen(file.c_str(), "rb");
  TLogText text;
  WatchedForm::RunOnWindowThread(form.Handle, [&] { text = ViewOf(lines, 0)->TextNow(); });
  bool whole = saved != nullptr;
  std::string piece(1 << 20, '\0');
  std::string read;
  for (unsigned long long at = 0; whole && at < text.Size();) {
    const size_t got = text.Read(at, piece.data(), piece.size());
    at += got;
    std::string crlf;
    for (size_t i = 0; i < got; ++i) crlf += piece[i] == '\n' ? "\r\n" : std::string(1, piece[i]);
    read.resize(crlf.size());
    whole = std::fread(read.data(), 1, read.size(), saved) == read.size() && read == crlf;
  }
  if (saved) {
    whole = whole && std::fgetc(saved) == EOF;
    figures.savedBytes = static_cast<uint64_t>(std::ftell(saved));
    std::fclose(saved);
  }
  figures.saveWhole = whole;
  std::remove(file.c_str());
}

}  // namespace

SessionViewFigures MeasureSessionView(const Lines& lines, const std::string& saveFolder) {
  SessionViewFigures figures;
  WatchedForm& form = *lines.form;
  for (int i = 0; i < 2; ++i) figures.received += lines.logEnds[i]->Written();
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int i = 0; i < 2; ++i) {
      figures.kept += ViewOf(lines, i)->KeptBytes();
      figures.dropped += ViewOf(lines, i)->DroppedBytes();
    }
  });
  figures.residentKiB = ResidentKiB();

  TLogView* view = ViewOf(lines, 0);
  figures.top = TimeOnWindow(lines, 5, nullptr, [&] {
    PressKeyForTesting(view, VK_HOME, true);
    RepaintForTesting(view);
  });
  figures.bottom = TimeOnWindow(
      lines, 5, [&] { PressKeyForTesting(view, VK_HOME, true); },
      [&] {
        PressKeyForTesting(view, VK_END, true);
        RepaintForTesting(view);
      });
  figures.find = TimeFind(lines, kEspLogUniqueText, false);
  figures.regex = TimeFind(lines, kEspLogExpression, true);
  TimeSave(lines, saveFolder, figures);
  return figures;
}
