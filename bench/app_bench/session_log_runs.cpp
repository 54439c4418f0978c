#include "session_log_runs.h"

#include <sys/stat.h>

#include <cstdio>
#include <thread>

#include "PanelSessionLog.h"
#include "PanelWholeSession.h"

namespace {

using std::chrono::milliseconds;

constexpr double kRate = 92160;

uint64_t FileSize(const std::string& name) {
  struct stat about {};
  return stat(name.c_str(), &about) == 0 ? static_cast<uint64_t>(about.st_size) : 0;
}

// The view's text from `from` on against the file, a megabyte at a time.
bool SameText(const TLogText& text, uint64_t from, const std::string& name) {
  FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return false;
  bool same = true;
  std::string piece(1 << 20, '\0'), read(1 << 20, '\0');
  for (uint64_t at = from; same && at < text.Size();) {
    const size_t got = text.Read(at, piece.data(), piece.size());
    at += got;
    same = std::fread(read.data(), 1, got, file) == got && std::equal(piece.begin(), piece.begin() + got, read.begin());
  }
  same = same && std::fgetc(file) == EOF;
  std::fclose(file);
  return same;
}

}  // namespace

double SessionLogFigures::CpuRatio() const {
  const double base = (without.cpu.programPercent + withoutAgain.cpu.programPercent) / 2;
  return base > 0 ? with.cpu.programPercent / base : 0;
}

SessionLogFigures RunSessionLog(const Lines& lines, double seconds, const std::string& folder) {
  SessionLogFigures figures;
  figures.error = StartSession(lines, "921600");
  if (!figures.error.empty()) return figures;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::fprintf(stderr, "session log off, %.0f bytes/s per line for %.0f s...\n", kRate, seconds);
  figures.without = RunSessionLoad(lines, kRate, seconds, milliseconds(10));

  WatchedForm& form = *lines.form;
  uint64_t from[2] = {0, 0};
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int i = 0; i < 2; ++i) {
      from[i] = ViewOf(lines, i)->TextNow().Size();
      PanelSessionLog& log = *form.Panels[i]->Find<PanelSessionLog>();
      SessionLogChoices choices = log.Choices();
      choices.Folder = String(folder);
      choices.SizeMiB = 0;
      if (!log.Apply(choices, true)) figures.error += "panel " + std::to_string(i + 1) + " could not start its log; ";
      figures.files[i] = log.File().FileName().Utf8();
    }
  });
  if (!figures.error.empty()) return figures;
  std::fprintf(stderr, "session log on, %.0f bytes/s per line for %.0f s...\n", kRate, seconds);
  figures.with = RunSessionLoad(lines, kRate, seconds, milliseconds(10));
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int i = 0; i < 2; ++i) {
      PanelSessionLog& log = *form.Panels[i]->Find<PanelSessionLog>();
      figures.fileBytes[i] = log.File().Bytes();
      log.Stop();
    }
  });
  // The writer finishes by itself after the stop.
  for (int wait = 0; wait < 200; ++wait) {
    if (FileSize(figures.files[0]) == figures.fileBytes[0] && FileSize(figures.files[1]) == figures.fileBytes[1]) break;
    std::this_thread::sleep_for(milliseconds(50));
  }
  TLogText text[2];
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int i = 0; i < 2; ++i) text[i] = ViewOf(lines, i)->TextNow();
  });
  for (int i = 0; i < 2; ++i) {
    figures.viewBytes[i] = text[i].Size() - from[i];
    figures.equal[i] = SameText(text[i], from[i], figures.files[i]);
    std::remove(figures.files[i].c_str());
  }
  std::fprintf(stderr, "session log off again, %.0f bytes/s per line for %.0f s...\n", kRate, seconds);
  figures.withoutAgain = RunSessionLoad(lines, kRate, seconds, milliseconds(10));
  return figures;
}
