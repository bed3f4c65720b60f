// vaddex: the main window. "vaddex [PORT]" connects to the port at start; "vaddex --sim[=MODEL]"
// starts the built-in simulated calculator and connects to it.

#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "app/IconSet.h"
#include "app/MainProgram.h"
#include "util/VersionText.h"

int main(int argc, char** argv) {
    using namespace vaddex::gui;
    // Read before the application exists, so --help and --version work without a display.
    QStringList words;
    for (int i = 1; i < argc; ++i) {
        words << QString::fromLocal8Bit(argv[i]);
    }
    ProgramArguments early = ParseProgramArguments(words);
    if (early.help) {
        std::puts(
            "usage: vaddex [PORT] [--sim[=K7|K8|K7GII|K8G+]]\n"
            "  PORT   the serial device or USB calculator to connect to at start\n"
            "  --sim  start the built-in simulated calculator and connect to it");
        return 0;
    }
    if (early.version) {
        std::fputs(vaddex::VersionNotice("vaddex", vaddex::VersionText()).c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vaddex");
    QApplication::setOrganizationName("Zenquist");
    QApplication::setWindowIcon(ApplicationIcon());
    // Again without the options Qt took for itself (-platform, -style ...).
    ProgramArguments arguments = ParseProgramArguments(QApplication::arguments().mid(1));
    try {
        MainProgram program(arguments);
        program.Show();
        return QApplication::exec();
    } catch (const vaddex::frontend::UnknownSimModel& e) {
        std::fprintf(stderr, "vaddex: %s\n", e.what());
        return 2;
    }
}
