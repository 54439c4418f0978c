#include "process_cpu.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

double ProcessCpuSecondsOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(file, stat);
  // The command name may hold spaces and parentheses: the fields follow its last ')'.
  const size_t end = stat.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(stat.substr(end + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stoull(field);
    if (index == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
