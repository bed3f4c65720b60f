#include "session/PromptTexts.h"

#include <initializer_list>

namespace vaddex {
namespace {

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string XRecvText(bool rpn) {
    if (rpn) {
        return Lines(
            {"On the ZQK8G+, ZQK7GII or ZQK8G:", "1.  Type  '  ALPHA  X  (or any other name)",
             "2.  Press XRECV", "",
             "On the ZQK7G(X):", "1.  Type  '  ALPHA  X  (or any other name)",
             "2.  Press Left-Shift   I/O   NXT   XRECV", "", "The receive command should start.",
             "Transfer begins when Calculator sends a start."});
    }
    return Lines({"On the ZQK8G+, ZQK7GII or ZQK8G:", "1.  Press XRECV or type XRECV left-shift ()",
                  "2.  Type  '  ALPHA  X  (or any other name)", "3.  Press  ENTER", "",
                  "On the ZQK7G(X):", "1.  Type  '  ALPHA  X  (or any other name)",
                  "2.  Press Left-Shift   I/O   NXT   XRECV", "",
                  "The receive command should start.",
                  "Transfer begins when Calculator sends a start."});
}

std::string XSendText(bool rpn) {
    if (rpn) {
        return Lines({"On the ZQK8G+, ZQK7GII or ZQK8G:",
                      "1.  Type ' and the name of the item to send", "2.  Press XSEND", "",
                      "On the ZQK7G(X):", "1.  Type ' and the name of the item to send",
                      "2.  Press: XSEND", "", "The send command should start.", "Press OK below."});
    }
    return Lines({"On the ZQK8G+, ZQK7GII or ZQK8G:", "1.  Press XSEND or type XSEND left-shift ()",
                  "2.  Type ' and the name of the item to send", "3.  Press  ENTER", "",
                  "On the ZQK7G(X):", "1.  Type ' and the name of the item to send",
                  "2.  Press: XSEND", "", "The send command should start.", "Press OK below."});
}

std::string ConnectText(bool rpn) {
    if (rpn) {
        return Lines({"To Start Xsrvr on the Calculator:", "", "On the ZQK8G+, ZQK7GII or ZQK8G:",
                      "   Press right-shift, release, then right-arrow", "",
                      "On the ZQK7G(X):", "   Press right-shift then LIB then Xsrvr (lib)",
                      "   Press Xsrvr (command)", "", "Press OK below to start the connection."});
    }
    return Lines({"To Start Xsrvr on the Calculator:", "", "On the ZQK8G+, ZQK7GII or ZQK8G:",
                  "   Press right-shift, release, then right-arrow", "   then ENTER", "",
                  "On the ZQK7G(X):", "   Press right-shift then LIB then Xsrvr (lib)",
                  "   Press Xsrvr (command)", "", "Press OK below to start the connection."});
}

}  // namespace

std::string PromptText(int kind, bool rpn) {
    switch (kind) {
        case kPromptServerBefore:
            return Lines({"On the ZQK7G(X):", "", "1.  Type ' ALPHA  X   (or any other name)",
                          "2.  Press: Left-Shift   I/O   NXT   XRECV",
                          "3.  The receive command should start.", "", "",
                          "Transfer begins when Calculator sends a start."});
        case kPromptServerAfter:
            return Lines({"On the ZQK7G(X):", "",
                          "1.  The server should now be in the 'X' variable ",
                          "     (or name that you used)",
                          "2.  Press VAR  then  X to place the library on the ", "     stack",
                          "3.  Type 0 (or 1)  STO  to store into port 0 (or 1)",
                          "4.  Turn the ZQ-K7 off then on", "5.  Press:  right-shift  LIBRARY",
                          "6.  The menu labeled XSRVR contains the ", "     XModem Server"});
        case kPromptCaptureFirst:
            return Lines({"Setup Calculator Screen, then", "", "On the ZQK8G+, ZQK7GII or ZQK8G: ",
                          "   Press ON plus up-arrow", "", "On the ZQK7G(X):", "   Press ON plus 1",
                          "", "", "Capture begins when Calculator starts sending."});
        case kPromptXRecvBefore:
            return XRecvText(rpn);
        case kPromptXRecvAfter:
            return Lines({"On the Calculator:", "",
                          "1.  The file should now be in the 'X' variable ",
                          "     (or name that you used)"});
        case kPromptXSend:
            return XSendText(rpn);
        case kPromptRom:
            return Lines({"On the Calculator:", "",
                          "1.  Hold + and - (3 secs.) while pressing RESET",
                          "2.  Press 1 to load OS/ROM", "3.  Press 1 for USB",
                          "4.  Unplug then plug USB cable", "5.  Press OK below."});
        case kPromptConnect:
            return ConnectText(rpn);
        case kPromptRestored:
            return Lines(
                {"The Calculator memory has been restored",
                 "but it may take a few minutes to reorganize", "and be ready for commands.", "",
                 "On the Calculator:", "  Press VAR then run FLAG to restore all flags.", "",
                 "To connect to the Calculator:", "  On the Calculator, restart the server (XSrvr)",
                 "  Press the \"Connect\" button below.", "", "Otherwise, press CANCEL."});
        case kPromptCaptureAgain:
            return Lines({"Another Capture begins when", "Calculator starts sending.", ""});
        default:
            return std::string();
    }
}

std::string PromptCaption(int kind) {
    return kind == kPromptRestored ? "Wait for the Calculator" : "Set the Calculator";
}

bool IsNonModalPrompt(int kind) {
    return kind == kPromptServerBefore || kind == kPromptCaptureFirst ||
           kind == kPromptXRecvBefore || kind == kPromptCaptureAgain;
}

bool PromptHasCancel(int kind) {
    return kind != kPromptServerAfter && kind != kPromptXRecvAfter;
}

}  // namespace vaddex
