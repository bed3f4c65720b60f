#include "cli/HelpText.h"

#include "cli/CliCommandTable.h"

namespace vaddex::cli {

std::string HelpText() {
    return R"(Usage: vaddex-cli [options] COMMAND [ARGS]
       vaddex-cli [options] -e "COMMAND [ARGS]" [-e ...]
       vaddex-cli [options] shell

Talks to a ZQ K7 or K8 calculator over a serial port or USB, or to a built-in simulated
calculator (-p sim).

Commands:
)" + CommandHelpLines() +
           R"(
Options:
  -p, --port PORT       a device path (/dev/ttyUSB0), a USB name (ZQx8G+, ZQx8G+_1 ...),
                        "auto" to search, or "sim" (see below); default: the stored
                        "Port" setting, else auto
  -s, --speed N         4800, 9600, 14400, 19200, 38400, 57600 or 115200; default: the
                        stored "Speed" setting, else 9600 (ignored on USB)
  -t, --text            text transfer mode: get writes the calculator's text form
      --transio N       text translation 0 to 3 (default: the stored TRANSIO, else 3)
      --no-cr           text files get LF line ends instead of CR LF
      --no-trans031     do not translate the codes 0 to 31 and 127 in text files
  -C, --dir PATH        the calculator directory, as "HOME A B" or A/B (default HOME)
      --crc             receive with a CRC (the default), so that damage a one-byte
                        checksum misses is caught; a calculator that knows only the
                        checksum is still served, about 15 seconds later the first time
                        on a port (the port is remembered in the stored settings)
      --checksum        receive with the one-byte checksum, which lets some damaged
                        blocks pass: only for a calculator that cannot do better
      --trace FILE      write the protocol trace of the session and the link to FILE
      --json            machine-readable output for info, ls and stack
      --verbose         show the session's status texts
      --yes             answer every question with yes / OK (a file without any header
                        goes as text with -t, as binary without)
      --no              answer every question with no / Cancel
      --replace-directories
                        with --yes, a put onto a directory's name replaces the directory
                        and everything in it (without it that question is answered no)
  -e, --execute CMD     run CMD (written as on this command line, quoted as in a shell);
                        repeat it to run several commands over one connection
      --stop-on-error   in a session: run no more commands after one fails
      --sim-name NAME   with -p sim: the variable the built-in calculator stores into
                        (xrecv) or sends (xsend); default: the name of FILE
      --refresh SECONDS mount: how old the listing may be before an access reads it
                        again (default 10)
      --background      mount: go to the background once the folder is mounted
  -o OPTIONS            mount: ro, allow_other, uid=N, gid=N, nonempty (comma-separated)
  -h, --help            this text
      --version         the program's version
  "--" ends the options, so that a command line to eval may begin with "-".

Questions are asked on the terminal (standard input, or /dev/tty when standard input is
not one); with no terminal and neither --yes nor --no the answer is no / Cancel. While a
transfer runs a progress bar shows on standard error. Ctrl-C cancels what runs (the
transfer, the "Calculator is Working" wait, the wait for the calculator); a second Ctrl-C
with nothing to cancel ends the program.
SIGTERM and SIGHUP cancel what runs, then end the program; a file at the target of a
get, backup or xsend that does not complete is left as it was.

The built-in calculator: "-p sim" starts a simulated K8 with a demo memory on a
pseudo-terminal for the duration of the command (or of the session); sim:K7, sim:K8 and sim:K7GII choose the
model, and sim:K8G+ runs it as the USB device, so that rom can be tried. It is fresh for
every invocation. For xrecv, xsend, screen and rom it plays the calculator's side by itself
once the prompt shows: XRECV into the variable named after FILE (or --sim-name), XSEND of
that variable, the screen a second after the prompt, the ROM loader. Answer the prompts
of xsend and rom with --yes (or on the terminal).

Settings are read from the stored settings the desktop program keeps
(~/.config/Zenquist/Vaddex.conf) and never written. A stored "Port" that is a path is
opened as given, as with -p.

A session (-e or shell) connects, identifies the calculator and reads its directories once,
and reads them again only after a command that changed the calculator. Each command is
read with the options given outside -e; -p, -s, --trace and the answer options hold for
the whole session. A failing command is reported and the next one still runs.

Exit status: 0 success, 1 the operation failed, was cancelled or a question was answered
no (a file "not replaced" or "not sent", a name not accepted), 2 a usage error, 130 ended
by a second Ctrl-C, 143 ended by SIGTERM, 129 by SIGHUP. A session ends with the status of
its first failing command.
)";
}

}  // namespace vaddex::cli
