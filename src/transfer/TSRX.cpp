#include "transfer/TSRX.h"

#include <exception>
#include <utility>

#include "util/Errors.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr char kEsc = 0x1B;
// Image bytes after an ESC first byte, and after a "W" or "G" header.
constexpr std::size_t kEscImageSize = 1080;
constexpr std::size_t kWideImageSize = 1084;
// The largest screen the calculator has; anything bigger is a damaged header.
constexpr std::size_t kMaxImageSize = 2176;
constexpr std::size_t kHeaderSize = 5;
// Inserted after h1 of a "W" or "G" header, so that the viewer finds rows and columns.
constexpr char kWideHeaderInsert[] = {0x00, 0x01, 0x40, static_cast<char>(0x83)};
constexpr int kAfterImagePauseMs = 300;
constexpr const char* kReadErrorText = "Cannot read Calculator screen.";

}  // namespace

TSRX::TSRX(CommLink& link, std::string firstByte, ReportFn callback)
    : TYModemRX(link, "", 0, std::move(callback), NoStart{}), screen_(std::move(firstByte)) {
    Start();
}

TSRX::~TSRX() {
    Stop();
}

std::size_t TSRX::ReadHeader(char first, std::string& header) {
    header.clear();
    if (first == kEsc) {
        return kEscImageSize;
    }
    std::string h(kHeaderSize, '\0');
    // Missing header bytes would be read as zero sizes and delivered as a good, empty screen.
    if (link_.ReadComm(h, kTransferReadWaitMs) != static_cast<int>(kHeaderSize)) {
        link_.RaiseConnectionError();
    }
    if (h[0] == 'W' || h[0] == 'G') {
        header =
            h.substr(0, 1) + std::string(kWideHeaderInsert, sizeof kWideHeaderInsert) + h.substr(1);
        return kWideImageSize;
    }
    header = h;
    auto byteAt = [&h](int i) {
        return static_cast<std::size_t>(static_cast<unsigned char>(h[i]));
    };
    return byteAt(2) * byteAt(3) * ((byteAt(4) + 7) / 8);
}

void TSRX::Execute() {
    success_ = false;
    char first = screen_.empty() ? '\0' : screen_[0];
    Trace("Screen capture, first = 0x" + HexByte(first));
    try {
        std::string header;
        std::size_t imageSize = ReadHeader(first, header);
        expectedSize_ = static_cast<std::int64_t>(imageSize);
        if (imageSize > kMaxImageSize) {
            link_.RaiseConnectionError();
        }
        Report("", kReportProgress, 10, 100, 100);
        // A short image is no failure: the missing bytes stay zero.
        std::string image(imageSize, '\0');
        if (imageSize > 0) {
            link_.ReadComm(image, kTransferReadWaitMs);
        }
        success_ = true;
        Report("", kReportProgress, 90, 100, 100);
        screen_ = std::string(1, first) + header + image;
        Pause(kAfterImagePauseMs);
    } catch (const std::exception& e) {
        Trace(std::string("Screen capture failed: ") + e.what());
        success_ = false;
        screen_.clear();
        try {
            // The progress window closes before the box, which then stands alone.
            Report("", kReportFinished, 0, 0, 0);
            link_.Ui().RunOnUiThread(
                [this] { link_.Ui().ShowMessage("Read Error", kReadErrorText); });
        } catch (const std::exception& inner) {
            Trace(std::string("Read error box failed: ") + inner.what());
        }
    }
}

}  // namespace vaddex
