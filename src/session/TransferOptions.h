#pragma once

namespace vaddex {

// How copies between the PC and the calculator are made, as the user set them: stored
// between runs, edited in the options dialog, read by the session at each transfer.
struct TransferOptions {
    int transIO = 3;       // text translation mode 0..3
    bool trans031 = true;  // also translate codes 0..31 and 127
    bool addCR = true;     // text files use CR LF line ends

    // Receive objects with a CRC instead of the one-byte checksum, which lets two damaged
    // bytes of a block cancel. Asked for, not assumed: a calculator that knows only the
    // checksum still answers the fallback. Off only when the user forces the checksum.
    bool receiveCRC = true;

    bool operator==(const TransferOptions&) const = default;
};

}  // namespace vaddex
