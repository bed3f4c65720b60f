#include "transfer/TSTX.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <limits>
#include <string_view>
#include <utility>

#include "util/Errors.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Bytes per write of the raw stream.
constexpr std::size_t kStreamPiece = 2048;
constexpr std::size_t kSizeFieldLength = 4;

}  // namespace

TSTX::TSTX(CommLink& link, std::string path, ReportFn callback)
    : TYModemTX(link, std::move(path), false, '\0', std::move(callback), false) {
    Start();
}

TSTX::~TSTX() {
    Stop();
}

std::string TSTX::ReadStream() {
    int error = 0;
    int fd = link_.OpenSendFile(name_, &error);
    if (fd < 0) {
        RaiseError("Unable to open file " + name_ + " - WinErr=" + std::to_string(error));
    }
    std::string stream(kSizeFieldLength, '\0');
    bool readable = true;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            readable = got == 0;
            break;
        }
        stream.append(chunk, static_cast<std::size_t>(got));
    }
    link_.CloseSendFile();
    std::size_t size = stream.size() - kSizeFieldLength;
    // The size field holds 32 bits; a larger file would announce a wrong length.
    if (!readable || size > std::numeric_limits<std::uint32_t>::max()) {
        RaiseError("Cannot read from file " + name_);
    }
    for (std::size_t i = 0; i < kSizeFieldLength; ++i) {
        stream[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    return stream;
}

void TSTX::SendStream(const std::string& stream) {
    auto total = static_cast<std::int64_t>(stream.size());
    std::int64_t sent = 0;
    std::int64_t startTick = TickMs();
    do {
        Progress(sent, total, startTick);
        std::size_t piece = std::min(static_cast<std::size_t>(total - sent), kStreamPiece);
        // A failed or short write raises, so a download that did not happen is not done.
        link_.WritePort(std::string_view(stream).substr(static_cast<std::size_t>(sent), piece));
        sent += static_cast<std::int64_t>(piece);
    } while (sent < total);
    Progress(sent, total, startTick);
}

void TSTX::Execute() {
    success_ = false;
    try {
        Report("Connecting ...", kReportStatus, 0, 0, 0);
        std::string stream = ReadStream();
        SendStream(stream);
        success_ = true;
    } catch (const std::exception& e) {
        Trace(std::string("Raw file transfer failed: ") + e.what());
        link_.CloseSendFile();
    }
    try {
        link_.ClosePort();
    } catch (const std::exception& e) {
        Trace(std::string("Closing the port failed: ") + e.what());
    }
}

}  // namespace vaddex
