// vaddex-cli: the command-line front end.
#include <signal.h>

#include <string>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
    // A closed output pipe must fail the write, not end the process in the middle of a
    // transfer.
    ::signal(SIGPIPE, SIG_IGN);
    return vaddex::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
