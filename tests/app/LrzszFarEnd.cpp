#include "LrzszFarEnd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

LrzszFarEnd::LrzszFarEnd(int master, const std::string& folder, const std::vector<std::string>& words,
                         const std::string& prefix)
    : master_(master), errors_(folder + ".far-end-errors") {
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) & ~O_NONBLOCK);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    const int errors = ::open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!prefix.empty() && ::write(master, prefix.data(), prefix.size()) < 0) ::_exit(126);
    ::dup2(master, 0);
    ::dup2(master, 1);
    if (errors >= 0) ::dup2(errors, 2);
    ::closefrom(3);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
}

LrzszFarEnd::~LrzszFarEnd() {
  Kill();
  ::unlink(errors_.c_str());
}

void LrzszFarEnd::Reap(int status) {
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

std::optional<int> LrzszFarEnd::Ended() {
  if (status_) return status_;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) Reap(status);
  return status_;
}

void LrzszFarEnd::Kill() {
  if (Ended()) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  Reap(status);
}

std::string LrzszFarEnd::Said() const {
  std::ifstream file(errors_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
