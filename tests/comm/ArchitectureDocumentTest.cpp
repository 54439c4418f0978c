// docs/ARCHITECTURE.md stays true where it can be checked: the message
// numbers it lists are those of comm/PortMessages.h, every path it names
// exists in the source tree, and every folder of the code is named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "PortMessages.h"

namespace {

namespace fs = std::filesystem;

std::string DocumentText() {
  std::ifstream in(fs::path(KESTRIX_SOURCE_DIR) / "docs" / "ARCHITECTURE.md");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ArchitectureDocument, ListsEveryPortMessageWithItsNumber) {
  const std::map<std::string, UINT> defined = {
      {"kReceivedDataMessage", kReceivedDataMessage},
      {"kPortLostMessage", kPortLostMessage},
      {"kRxCharMessage", kRxCharMessage},
      {"kCtsChangedMessage", kCtsChangedMessage},
      {"kDsrChangedMessage", kDsrChangedMessage},
      {"kRingMessage", kRingMessage},
      {"kRlsdChangedMessage", kRlsdChangedMessage},
      {"kBreakMessage", kBreakMessage},
      {"kTxEmptyMessage", kTxEmptyMessage},
      {"kCommErrorMessage", kCommErrorMessage},
  };
  const std::string text = DocumentText();
  ASSERT_FALSE(text.empty());
  // Table rows: | `kName` | 1234 | ...
  const std::regex row(R"(\| `(k\w+Message)` \| (\d+) \|)");
  std::map<std::string, UINT> documented;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), row); it != std::sregex_iterator(); ++it)
    documented[(*it)[1]] = static_cast<UINT>(std::stoul((*it)[2]));
  EXPECT_EQ(documented, defined);
}

TEST(ArchitectureDocument, EveryPathItNamesExists) {
  const std::string text = DocumentText();
  // `app/form/Unit1.h`, `platform/testing/`: backquoted, starting with a
  // folder of the tree.
  const std::regex path(R"(`((?:app|comm|work|platform|toolkit|tests|docs|bench|fuzz|scripts|data)/[\w./-]*)`)");
  int named = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), path); it != std::sregex_iterator(); ++it) {
    ++named;
    EXPECT_TRUE(fs::exists(fs::path(KESTRIX_SOURCE_DIR) / (*it)[1].str())) << (*it)[1];
  }
  EXPECT_GT(named, 30);
}

TEST(ArchitectureDocument, NamesEveryFolderOfTheCode) {
  const std::string text = DocumentText();
  const fs::path source(KESTRIX_SOURCE_DIR);
  int folders = 0;
  for (const char* root : {"app", "comm", "work", "platform", "toolkit"})
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source / root)) {
      if (!entry.is_directory()) continue;
      ++folders;
      const std::string name = fs::relative(entry.path(), source).generic_string() + "/";
      EXPECT_NE(text.find("`" + name + "`"), std::string::npos) << name << " is not named";
    }
  EXPECT_GT(folders, 20);
}

}  // namespace
