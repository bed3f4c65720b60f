#pragma once

namespace vaddex {

// The link timing profile: thirteen delays waited out between protocol steps and one time
// limit, all in milliseconds. The live copy is overwritten as a whole from one of the four
// stored profiles (kLinkProfiles) when the port opens and again after identification.
struct LinkTiming {
    int CmdByteDelay;      // after a one-byte command has been written
    int PacketWriteDelay;  // after a command packet, before its acknowledgement is read
    int PacketAckDelay;    // after a sent command packet has been acknowledged
    int ReplyAckDelay;     // after a reply packet from the calculator has been acknowledged
    int PulseTimeLimit;    // the longest wait of the waiting loop (a limit, not a delay)
    int RxStartDelay;      // before a receive thread is started
    int TxStartDelay;      // first step of a transmit thread
    int RxEndDelay;        // after a receive thread has ended
    int TxEndDelay;        // after a transmit thread of a put has ended, and after the text put
    int MoveDelay;         // after the rename and move scripts
    int PulseEndDelay;     // after the waiting loop has ended
    int FailureDelay;      // after a failed block transfer, before the thread ends
    int SpeedChangeDelay;  // after the speed change that precedes a backup
    int ListDelay;         // after the directory list command has been sent
};

// Profile 0: serial at 9600 bit/s or less, and any second-series calculator after
// identification; 1: a first-series calculator at 9600 or less; 2: serial above 9600;
// 3: the USB device until the calculator has been identified. 0 and 1 hold the same
// values and stay two profiles.
inline constexpr int kLinkProfileSlowSerial = 0;
inline constexpr int kLinkProfileFastSerial = 2;
inline constexpr int kLinkProfileUsb = 3;
inline constexpr LinkTiming kLinkProfiles[4] = {
    {1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1},
    {1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1},
    {1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 100, 100, 300, 1},
    {1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 50, 100, 300, 1},
};

}  // namespace vaddex
