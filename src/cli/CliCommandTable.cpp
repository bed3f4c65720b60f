#include "cli/CliCommandTable.h"

#include "cli/CliCommands.h"

namespace vaddex::cli {
namespace {

// The column at which the help lines of the commands begin.
constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kUsageIndent = 2;

}  // namespace

std::span<const CliCommandRow> CliCommandTable() {
    // name, arguments (least, most, as the help names them), check before connecting,
    // handler, help line
    static const CliCommandRow kRows[] = {
        {"ports", 0, 0, "", nullptr, &CliCommands::Ports,
         "list the ports, one name a line (\"Auto\" first)"},
        {"info", 0, 0, "", nullptr, &CliCommands::Info,
         "connect and show the server version, series, model, ROM version,\n"
         "flags and free memory"},
        {"ls", 0, 0, "[-R]", nullptr, &CliCommands::List,
         "the variables of the directory: name, type, size in bytes;\n"
         "-R: every directory below it as well"},
        {"get", 1, 2, "NAME [FILE]", &CliCommands::CheckGetTarget, &CliCommands::Get,
         "copy a variable into FILE (a folder: the file goes into it; \"-\":\n"
         "standard output); the default is its PC name plus .zq (.txt\n"
         "with -t) in this folder"},
        {"put", 1, kAnyArgumentCount, "FILE[:NAME]...", &CliCommands::CheckPutFiles,
         &CliCommands::Put,
         "send files into the directory, named NAME or after the files (.zq\n"
         "and .txt are dropped from the name); a .zqbackup archive is\n"
         "refused (restore); a file the calculator made no variable of fails"},
        {"rm", 1, kAnyArgumentCount, "NAME...", nullptr, &CliCommands::Remove,
         "purge variables and directories"},
        {"mkdir", 1, 1, "NAME", nullptr, &CliCommands::MakeDirectory, "create a directory"},
        {"mv", 2, 2, "OLD NEW", nullptr, &CliCommands::Move, "rename a variable or directory"},
        {"eval", 1, kAnyArgumentCount, "TEXT...", nullptr, &CliCommands::Eval,
         "run a command line on the calculator and wait until it is ready;\n"
         "an error the calculator reports is printed and fails the command;\n"
         "symbols go as typed (≤ → «) or as stack shows them (\\<= \\-> \\<<)"},
        {"stack", 0, 0, "[--all]", nullptr, &CliCommands::Stack,
         "the stack picture, level 1 last, with the number of deeper levels\n"
         "left out; --all: every level"},
        {"backup", 1, 1, "FILE", &CliCommands::CheckTargetFile, &CliCommands::Backup,
         "archive the whole calculator memory into FILE"},
        {"restore", 1, 1, "FILE", &CliCommands::CheckSourceFile, &CliCommands::Restore,
         "restore the calculator from an archive (asks \"Erase Calculator?\")"},
        {"xrecv", 1, 1, "FILE", &CliCommands::CheckSourceFile, &CliCommands::XRecv,
         "send FILE to a calculator running XRECV"},
        {"xsend", 1, 1, "FILE", &CliCommands::CheckTargetFile, &CliCommands::XSend,
         "receive into FILE what a calculator running XSEND sends"},
        {"screen", 1, 1, "FILE", &CliCommands::CheckScreenFile, &CliCommands::Screen,
         "capture the screen into FILE: .png, .bmp or .jpg"},
        {"rom", 1, 1, "FILE", &CliCommands::CheckSourceFile, &CliCommands::Rom,
         "stream a ROM file to the USB calculator (in its ROM loader)"},
        {"mount", 1, 1, "MOUNTPOINT", &CliCommands::CheckMountPoint, &CliCommands::Mount,
         "show the calculator's HOME as a folder at MOUNTPOINT until\n"
         "fusermount3 -u MOUNTPOINT, Ctrl-C or SIGTERM (.txt files with -t);\n"
         "--refresh SECONDS: how old a listing may be before it is read\n"
         "again (10); --background: return once mounted; -o ro,allow_other,\n"
         "uid=N,gid=N,nonempty"},
        {"usb-rule", 1, 1, "VVVV:PPPP", nullptr, nullptr,
         "print a udev rule that lets you reach the USB calculator with\n"
         "this id (see lsusb) without root"},
        {"shell", 0, 0, "", nullptr, nullptr,
         "read commands from standard input, one a line, and run them over\n"
         "one connection (\"exit\" or the end of the input ends it)"},
    };
    return kRows;
}

const CliCommandRow* FindCliCommand(const std::string& name) {
    for (const CliCommandRow& row : CliCommandTable()) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

std::string CommandHelpLines() {
    std::string lines;
    for (const CliCommandRow& row : CliCommandTable()) {
        std::string usage = row.name;
        if (*row.usageWords != '\0') {
            usage += std::string(" ") + row.usageWords;
        }
        // A usage too long for its column keeps one blank before the help.
        std::size_t width = kHelpColumn - kUsageIndent;
        lines += std::string(kUsageIndent, ' ') + usage;
        lines += usage.size() < width ? std::string(width - usage.size(), ' ') : " ";
        for (const char* help = row.help; *help != '\0'; ++help) {
            lines += *help;
            if (*help == '\n') {
                lines += std::string(kHelpColumn, ' ');
            }
        }
        lines += '\n';
    }
    return lines;
}

}  // namespace vaddex::cli
