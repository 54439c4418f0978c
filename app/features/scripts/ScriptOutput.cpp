#include "ScriptOutput.h"

#include <cstdio>

void ScriptOutput::Print(const std::string& Utf8) {
  if (_bConsole) {
    // Each line whole, at once: a test rig reads it as it comes.
    std::fwrite(Utf8.data(), 1, Utf8.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }
  InnerLocker guard(&_Lock);
  _Pending += Utf8;
  _Pending += '\n';
}

void ScriptOutput::Error(const std::string& Utf8) {
  if (!_bConsole) {
    Print(Utf8);
    return;
  }
  std::fflush(stdout);
  std::fwrite(Utf8.data(), 1, Utf8.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

std::string ScriptOutput::Take() {
  InnerLocker guard(&_Lock);
  std::string taken;
  taken.swap(_Pending);
  return taken;
}
