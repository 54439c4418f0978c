// The window's files include one another without cycles, but for the form
// itself: Unit1.h and the files that implement TForm1 are one unit. A
// header and its .cpp count as one unit, so a feature that reached back
// into the form (its .cpp including Unit1.h, which holds the feature) is a
// cycle here even though no header includes itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using Graph = std::map<std::string, std::set<std::string>>;

std::string ReadAll(const fs::path& File) {
  std::ifstream in(File);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A file's unit: its name without extension, or "Unit1" for a .cpp file
// that defines members of TForm1 (a line, not a comment, naming TForm1::).
std::string UnitOf(const fs::path& File, const std::string& Text) {
  if (File.extension() == ".cpp") {
    std::istringstream lines(Text);
    for (std::string line; std::getline(lines, line);) {
      const size_t start = line.find_first_not_of(" \t");
      const bool comment = start != std::string::npos && line.compare(start, 2, "//") == 0;
      if (!comment && line.find("TForm1::") != std::string::npos) return "Unit1";
    }
  }
  return File.stem().string();
}

// Unit -> the units it includes, over the .h and .cpp files under Root;
// includes of files outside Root are left out.
Graph IncludeGraph(const fs::path& Root) {
  std::map<std::string, std::string> headerUnits;          // "Name.h" -> its unit
  std::vector<std::pair<std::string, std::string>> files;  // unit, text
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const std::string text = ReadAll(entry.path());
    files.emplace_back(UnitOf(entry.path(), text), text);
    if (ext == ".h") headerUnits[entry.path().filename().string()] = files.back().first;
  }
  Graph graph;
  const std::regex include(R"(^\s*#\s*include\s*["<]([^">]+)[">])");
  for (const auto& [unit, text] : files) {
    graph[unit];
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::smatch found;
      if (!std::regex_search(line, found, include)) continue;
      const auto header = headerUnits.find(fs::path(found[1].str()).filename().string());
      if (header != headerUnits.end() && header->second != unit) graph[unit].insert(header->second);
    }
  }
  return graph;
}

// The strongly connected groups of more than one unit (Tarjan), each sorted.
std::vector<std::vector<std::string>> Cycles(const Graph& graph) {
  std::map<std::string, int> index, low;
  std::vector<std::string> stack;
  std::set<std::string> onStack;
  std::vector<std::vector<std::string>> cycles;
  int next = 0;
  std::function<void(const std::string&)> visit = [&](const std::string& unit) {
    index[unit] = low[unit] = next++;
    stack.push_back(unit);
    onStack.insert(unit);
    for (const std::string& to : graph.at(unit)) {
      if (!index.count(to)) {
        visit(to);
        low[unit] = std::min(low[unit], low[to]);
      } else if (onStack.count(to)) {
        low[unit] = std::min(low[unit], index[to]);
      }
    }
    if (low[unit] != index[unit]) return;
    std::vector<std::string> group;
    std::string member;
    do {
      member = stack.back();
      stack.pop_back();
      onStack.erase(member);
      group.push_back(member);
    } while (member != unit);
    if (group.size() > 1) {
      std::sort(group.begin(), group.end());
      cycles.push_back(group);
    }
  };
  for (const auto& [unit, includes] : graph)
    if (!index.count(unit)) visit(unit);
  return cycles;
}

std::string Describe(const std::vector<std::vector<std::string>>& cycles) {
  std::string text;
  for (const auto& group : cycles) {
    text += "cycle:";
    for (const std::string& unit : group) text += " " + unit;
    text += "\n";
  }
  return text;
}

void Write(const TempFolder& folder, const std::string& name, const std::string& text) {
  fs::create_directories(fs::path(folder / name).parent_path());
  std::ofstream(folder / name) << text;
}

}  // namespace

TEST(AppIncludes, FormAndFeaturesIncludeEachOtherWithoutCycles) {
  const Graph graph = IncludeGraph(KESTRIX_APP_DIR);
  ASSERT_TRUE(graph.count("Unit1")) << "no form found under " << KESTRIX_APP_DIR;
  const auto cycles = Cycles(graph);
  EXPECT_TRUE(cycles.empty()) << Describe(cycles);
}

TEST(AppIncludes, AFeatureThatReachesBackIntoTheFormIsACycle) {
  TempFolder app;
  Write(app, "form/Unit1.h", "#include \"Feature.h\"\nclass TForm1 {};\n");
  Write(app, "form/Sending.cpp", "#include \"Unit1.h\"\nvoid TForm1::Send() {}\n");
  Write(app, "features/Feature.h", "#include <toolkit/toolkit.h>\n");
  Write(app, "features/Base.h", "");
  Write(app, "features/Feature.cpp",
        "// Made by TForm1::CreateFeatures.\n#include \"Feature.h\"\n#include \"Base.h\"\n");
  EXPECT_TRUE(Cycles(IncludeGraph(app.path())).empty()) << "the form's own files include one another freely";

  Write(app, "features/Feature.cpp", "#include \"Feature.h\"\n  #  include \"form/Unit1.h\"\n");
  EXPECT_EQ(Cycles(IncludeGraph(app.path())), (std::vector<std::vector<std::string>>{{"Feature", "Unit1"}}));
}

namespace {

// The folder of app/ a file lies in: "form", "panel", "receive", "start",
// or "features/<name>".
std::string FolderOf(const fs::path& Root, const fs::path& File) {
  const fs::path relative = fs::relative(File, Root);
  auto part = relative.begin();
  std::string folder = part->string();
  if (folder == "features" && std::next(part) != relative.end() && std::next(std::next(part)) != relative.end())
    folder += "/" + std::next(part)->string();
  return folder;
}

// Whether a file in folder From may include a header in folder To: each
// folder includes only those below it (start, form, features, panel,
// receive), a feature only its own folder of the features, and the form
// names features only in its registration list.
bool MayInclude(const std::string& From, const std::string& To, const fs::path& File) {
  if (From == To || From == "start") return true;
  const bool toFeature = To.rfind("features/", 0) == 0;
  if (From == "form") return To == "panel" || To == "receive" || (toFeature && File.filename() == "PanelFeatures.cpp");
  if (From.rfind("features/", 0) == 0) return To == "panel" || To == "receive";
  if (From == "panel") return To == "receive";
  return false;
}

// "file includes header" for every include under Root that crosses its
// folders the wrong way.
std::vector<std::string> WrongIncludes(const fs::path& Root) {
  std::map<std::string, std::string> headerFolders;  // "Name.h" -> its folder
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    files.push_back(entry.path());
    if (ext == ".h") headerFolders[entry.path().filename().string()] = FolderOf(Root, entry.path());
  }
  std::vector<std::string> wrong;
  const std::regex include(R"(^\s*#\s*include\s*["<]([^">]+)[">])");
  for (const fs::path& file : files) {
    const std::string from = FolderOf(Root, file);
    std::istringstream lines(ReadAll(file));
    for (std::string line; std::getline(lines, line);) {
      std::smatch found;
      if (!std::regex_search(line, found, include)) continue;
      const auto header = headerFolders.find(fs::path(found[1].str()).filename().string());
      if (header != headerFolders.end() && !MayInclude(from, header->second, file))
        wrong.push_back(fs::relative(file, Root).generic_string() + " includes " + found[1].str());
    }
  }
  std::sort(wrong.begin(), wrong.end());
  return wrong;
}

std::string Lines(const std::vector<std::string>& Texts) {
  std::string text;
  for (const std::string& line : Texts) text += line + "\n";
  return text;
}

}  // namespace

TEST(AppIncludes, EachFolderIncludesOnlyThoseBelowIt) {
  const std::vector<std::string> wrong = WrongIncludes(KESTRIX_APP_DIR);
  EXPECT_TRUE(wrong.empty()) << Lines(wrong);
}

TEST(AppIncludes, AFeatureReachingIntoTheFormOrAnotherFeatureOrTheReceiveViewIntoThePanelIsFound) {
  TempFolder app;
  Write(app, "form/Unit1.h", "#include \"DevicePanel.h\"\n");
  Write(app, "form/PanelFeatures.cpp", "#include \"Unit1.h\"\n#include \"features/plotter/PanelPlotter.h\"\n");
  Write(app, "panel/DevicePanel.h", "#include \"ReceiveArea.h\"\n");
  Write(app, "receive/ReceiveArea.h", "");
  Write(app, "features/plotter/PanelPlotter.h", "#include \"DevicePanel.h\"\n#include \"ReceiveArea.h\"\n");
  Write(app, "features/capture/PanelCapture.cpp", "#include \"DevicePanel.h\"\n");
  EXPECT_TRUE(WrongIncludes(app.path()).empty()) << Lines(WrongIncludes(app.path()));

  Write(app, "form/Sending.cpp", "#include \"PanelPlotter.h\"\n");
  Write(app, "features/capture/PanelCapture.cpp", "#include \"Unit1.h\"\n#include \"PanelPlotter.h\"\n");
  Write(app, "receive/ReceiveArea.cpp", "#include \"DevicePanel.h\"\n");
  EXPECT_EQ(WrongIncludes(app.path()),
            (std::vector<std::string>{"features/capture/PanelCapture.cpp includes PanelPlotter.h",
                                      "features/capture/PanelCapture.cpp includes Unit1.h",
                                      "form/Sending.cpp includes PanelPlotter.h",
                                      "receive/ReceiveArea.cpp includes DevicePanel.h"}));
}
