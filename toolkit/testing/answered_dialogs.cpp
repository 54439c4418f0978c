// Dialogs answered for tests: while on, a presenter stands in for the screen
// that records every dialog and answers it at once from the queued answers.
#include <deque>
#include <mutex>

#include "dialog_service.h"
#include "message_loop.h"
#include "toolkit/forms.h"
#include "toolkit/testing.h"

namespace {

class AnsweringDialogs : public DialogPresenter {
 public:
  int Box(const String& caption, const String& text, UINT flags, bool fromShowMessage) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back(ShownDialog{caption, text, flags, fromShowMessage, OnGuiThread()});
    if (answers.empty()) return DefaultButtonId(flags);
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  bool Input(const String& caption, const String& prompt, String& value) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back(ShownDialog{caption, prompt, MB_OKCANCEL, false, OnGuiThread()});
    if (inputs.empty()) return false;
    value = inputs.front();
    inputs.pop_front();
    return true;
  }

  bool ChooseFile(const FileDialogRequest& request, std::vector<String>* chosen, int* filterIndex) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back(ShownDialog{request.Title, String(), MB_OK, false, OnGuiThread()});
    if (fileAnswers.empty()) return false;
    const FileAnswer answer = fileAnswers.front();
    fileAnswers.pop_front();
    // Names on lines of their own answer a dialog that takes several.
    const std::string names = answer.name.Utf8();
    chosen->clear();
    size_t from = 0;
    while (from < names.size()) {
      size_t end = names.find('\n', from);
      if (end == std::string::npos || !request.Many) end = names.size();
      if (end > from) chosen->push_back(String(names.substr(from, end - from)));
      from = end + 1;
    }
    if (chosen->empty()) return false;
    if (answer.filterIndex > 0) *filterIndex = answer.filterIndex;
    return true;
  }

  bool ChooseFont(const String& title, String& name, int& height) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back(ShownDialog{title, String(), MB_OK, false, OnGuiThread()});
    if (fontAnswers.empty()) return false;
    const auto answer = fontAnswers.front();
    fontAnswers.pop_front();
    if (answer.first.IsEmpty()) return false;
    name = answer.first;
    height = answer.second;
    return true;
  }

  std::mutex mutex;
  std::deque<int> answers;
  std::deque<std::pair<String, int>> fontAnswers;
  std::deque<String> inputs;
  struct FileAnswer {
    String name;
    int filterIndex;
  };
  std::deque<FileAnswer> fileAnswers;
  std::vector<ShownDialog> shown;
};

AnsweringDialogs& Answering() {
  static AnsweringDialogs answering;
  return answering;
}

}  // namespace

void AnswerDialogsForTesting(bool on) {
  Application->Initialize();
  UseDialogPresenter(on ? &Answering() : nullptr);
}

void QueueDialogAnswerForTesting(int answer) {
  std::lock_guard<std::mutex> lock(Answering().mutex);
  Answering().answers.push_back(answer);
}

void QueueInputAnswerForTesting(const String& text) {
  std::lock_guard<std::mutex> lock(Answering().mutex);
  Answering().inputs.push_back(text);
}

void QueueFileDialogAnswerForTesting(const String& fileName, int filterIndex) {
  std::lock_guard<std::mutex> lock(Answering().mutex);
  Answering().fileAnswers.push_back({fileName, filterIndex});
}

void QueueFontDialogAnswerForTesting(const String& name, int height) {
  std::lock_guard<std::mutex> lock(Answering().mutex);
  Answering().fontAnswers.emplace_back(name, height);
}

std::vector<ShownDialog> ShownDialogsForTesting() {
  std::lock_guard<std::mutex> lock(Answering().mutex);
  return Answering().shown;
}

void ClearShownDialogsForTesting() {
  AnsweringDialogs& answering = Answering();
  std::lock_guard<std::mutex> lock(answering.mutex);
  answering.shown.clear();
  answering.answers.clear();
  answering.inputs.clear();
  answering.fileAnswers.clear();
  answering.fontAnswers.clear();
}
