// vaddex: the main window. "vaddex [PORT]" connects to the port at start; "vaddex --sim[=MODEL]"
// starts the built-in simulated calculator and connects to it.

#include <QApplication>
#include <cstdio>

#include "app/IconSet.h"
#include "app/MainProgram.h"
#include "util/VersionText.h"

int main(int argc, char** argv) {
    using namespace vaddex::gui;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vaddex");
    QApplication::setOrganizationName("Zenquist");
    QApplication::setWindowIcon(ApplicationIcon());
    ProgramArguments arguments = ParseProgramArguments(QApplication::arguments().mid(1));
    if (arguments.help) {
        std::puts(
            "usage: vaddex [PORT] [--sim[=K7|K8|K7GII|K8G+]]\n"
            "  PORT   the serial device or USB calculator to connect to at start\n"
            "  --sim  start the built-in simulated calculator and connect to it");
        return 0;
    }
    if (arguments.version) {
        std::printf("vaddex %s\n", vaddex::VersionText().c_str());
        return 0;
    }
    try {
        MainProgram program(arguments);
        program.Show();
        return QApplication::exec();
    } catch (const vaddex::frontend::UnknownSimModel& e) {
        std::fprintf(stderr, "vaddex: %s\n", e.what());
        return 2;
    }
}
