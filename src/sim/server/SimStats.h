#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zqsim {

// What the calculator is doing: its XModem server, one of its manual commands, or nothing.
enum class SimMode {
    Server,  // the XModem server waits for command letters
    Idle,    // the stack is shown: nothing is answered
    XRecv,   // XRECV into a name
    XSend,   // XSEND of a variable
    Screen,  // sending the screen
    Rom,     // the ROM loader of the USB model
    Kermit,  // the Kermit server, which the PC must refuse
    Pulled,  // the cable is pulled: the stream is closed
    Stopped,
};

const char* ModeName(SimMode mode);

// The ROM loader's view of the last download.
struct RomReceipt {
    bool finished = false;
    std::uint32_t announcedSize = 0;    // the 4-byte little-endian length
    std::uint32_t receivedSize = 0;     // data bytes that came after it
    std::uint32_t fnv1a = 2166136261u;  // FNV-1a of the data bytes that came
    bool complete = false;              // as many bytes came as announced
};

// Counters of everything the simulator saw and did; read through SimServer::Stats/WaitFor.
struct SimStats {
    SimMode mode = SimMode::Stopped;
    std::array<int, 256> letters{};  // command letters served, by byte
    int strayBytes = 0;              // bytes ignored while the server was idle
    int packetsReceived = 0;         // command packets accepted from the PC
    int packetsRejected = 0;         // command packets answered with NAK
    int packetsSent = 0;             // answer packets acknowledged by the PC
    int packetResends = 0;           // answer packets sent again after the PC's NAK
    int commandsExecuted = 0;
    std::string lastCommandLine;
    int blocksSent = 0;
    int blockResends = 0;
    int blocksReceived = 0;   // accepted blocks, duplicates not counted
    int duplicateBlocks = 0;  // repeated blocks acknowledged and discarded
    int blocksRejected = 0;   // damaged blocks answered with NAK
    int objectsSent = 0;
    int objectsStored = 0;
    int storeFailures = 0;  // transfers that ended well but held no object
    std::string lastStoredName;
    std::string lastStoredObject;  // as handed to the model: header stripped
    int transfersFailed = 0;
    int transfersRefused = 0;  // "G" or XSEND of a name that does not exist
    int screensSent = 0;
    int kermitPackets = 0;
    RomReceipt rom;
    int manualModesEnded = 0;  // XRECV, XSEND, screen and ROM runs that ended, well or not
    std::string lastOutcome;   // one line about the last transfer or manual mode
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
    int busyPeriods = 0;  // busy times that have ended
    bool busy = false;
    std::string lastError;
};

}  // namespace zqsim
