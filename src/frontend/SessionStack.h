#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/StoredSettings.h"
#include "session/Outcome.h"

namespace vaddex {
class CommLink;
class SessionCommands;
class TXModemServer;
class TXPObject;
class UiBridge;
}  // namespace vaddex

namespace vaddex::frontend {

// What the remembered-port rule keeps of a name that the port list does not hold.
enum class UnlistedPort {
    ToAuto,        // nothing: "Auto" is selected (the window at start)
    KeepAbsolute,  // a name that begins with '/', as given (the window's port selector)
    KeepAnyPath,   // a name with a '/' anywhere, as given (the command line)
};

// The remembered-port rule: the port to select for `remembered` (the stored "Port", or what
// the selector showed before its list was read again). "Auto" in any case is "Auto"; a device
// path that `unlisted` keeps stays as given; a name the list holds (compared in any case) is
// the listed name; anything else is "Auto". `listPorts` is called only when the list decides.
std::string ChooseRememberedPort(const std::string& remembered, UnlistedPort unlisted,
                                 const std::function<std::vector<std::string>()>& listPorts);

// The session stack every front end runs on: the link, the session on it, the root item
// "HOME" and the SessionCommands over them, built from the stored settings; the port list
// with the device paths kept for the session. UI thread only, as the session is.
class SessionStack {
public:
    // Builds link (with the stored USB ids), session (its status texts go to `onStatus`),
    // root and commands (with the stored AddExtension). The speed stays for the front end
    // to set, each having its own default.
    SessionStack(UiBridge& ui, const StoredSettings& settings,
                 std::function<void(const std::string& text)> onStatus);
    // Commands, root, session (closing the port), then the link.
    ~SessionStack();
    SessionStack(const SessionStack&) = delete;
    SessionStack& operator=(const SessionStack&) = delete;

    SessionCommands& Commands() { return *commands_; }
    TXPObject& Root() { return *root_; }

    // "Auto", each port that opens now, then the kept device paths the list does not hold.
    // Opens and closes each candidate; blocks only that long.
    std::vector<std::string> ListPorts();
    // Keeps a device path (a name beginning with '/') given on the command line or typed, so
    // that every list of the session holds it; false, and nothing kept, for other names.
    bool KeepPort(const std::string& port);
    // The remembered-port rule over ListPorts.
    std::string ChoosePort(const std::string& remembered, UnlistedPort unlisted);

    // The link speed in decimal as the user chose it; Commands().LinkSpeed() reads it back.
    void SetSpeed(const std::string& text);
    // Tells the calculator's server that the session ends and closes the port.
    Outcome Disconnect();
    // Closes the port without a word to the server, so that it still answers later.
    void ClosePort();
    // A receive fell back to the checksum on a port: it is stored, so that the next receive
    // there (in any front end) asks for the checksum at once. Empty: RememberChecksumPort.
    std::function<void(const std::string& port)> rememberChecksumPort;

private:
    std::unique_ptr<CommLink> link_;
    std::unique_ptr<TXModemServer> session_;
    std::unique_ptr<TXPObject> root_;
    std::unique_ptr<SessionCommands> commands_;
    std::vector<std::string> keptPorts_;
};

}  // namespace vaddex::frontend
