#include "cli/CliCommandTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vaddex::cli {
namespace {

std::string SourceFile(const std::string& path) {
    std::ifstream file(std::string(VADDEX_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(file.is_open()) << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> TableNames() {
    std::vector<std::string> names;
    for (const CliCommandRow& row : CliCommandTable()) {
        names.emplace_back(row.name);
    }
    return names;
}

// The names the man page gives its commands: the first word after each ".TP" of the
// COMMANDS section, its "\-" read as "-".
std::vector<std::string> ManPageCommands(const std::string& page) {
    std::istringstream lines(page);
    std::vector<std::string> names;
    std::string line;
    bool inCommands = false;
    bool tagNext = false;
    while (std::getline(lines, line)) {
        if (line.rfind(".SH", 0) == 0) {
            inCommands = line == ".SH COMMANDS";
        } else if (inCommands && line == ".TP") {
            tagNext = true;
        } else if (tagNext) {
            tagNext = false;
            std::istringstream words(line);
            std::string macro;
            std::string name;
            words >> macro >> name;
            for (std::size_t at = name.find("\\-"); at != std::string::npos;
                 at = name.find("\\-", at)) {
                name.erase(at, 1);
            }
            names.push_back(name);
        }
    }
    return names;
}

// The words of `local commands="..."` in the completion script.
std::vector<std::string> CompletionCommands(const std::string& script) {
    const std::string start = "local commands=\"";
    std::size_t begin = script.find(start);
    EXPECT_NE(begin, std::string::npos);
    if (begin == std::string::npos) {
        return {};
    }
    begin += start.size();
    std::istringstream words(script.substr(begin, script.find('"', begin) - begin));
    std::vector<std::string> names;
    for (std::string word; words >> word;) {
        names.push_back(word);
    }
    return names;
}

TEST(CliCommandTable, ManPageAndCompletionNameTheTablesCommands) {
    std::vector<std::string> table = TableNames();
    EXPECT_EQ(ManPageCommands(SourceFile("data/man/vaddex-cli.1")), table);
    EXPECT_EQ(CompletionCommands(SourceFile("data/completion/vaddex-cli")), table);
}

}  // namespace
}  // namespace vaddex::cli
