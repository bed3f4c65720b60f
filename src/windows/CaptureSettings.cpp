#include "windows/CaptureSettings.h"

#include <algorithm>
#include <optional>

namespace vaddex::gui {
namespace {

const char* const kGroup = "ScreenCapture";
constexpr int kDefaultSpace = 1;
constexpr int kDefaultFrame = 2;
constexpr int kDefaultZoom = 2;
constexpr int kMaxBorder = 9;

std::optional<int> StoredInteger(QSettings& settings, const char* key) {
    if (!settings.contains(key)) {
        return std::nullopt;
    }
    bool ok = false;
    int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int BorderValue(QSettings& settings, const char* key, int absent, int current) {
    int value = StoredInteger(settings, key).value_or(absent);
    return value >= 0 && value <= kMaxBorder ? value : current;
}

}  // namespace

CaptureSettings CaptureSettings::Read(QSettings& settings, const CaptureSettings& current) {
    settings.beginGroup(kGroup);
    CaptureSettings read = current;
    read.border.show = settings.value("BorderShow", "1").toString() != "0";
    read.border.space = BorderValue(settings, "BorderSpace", kDefaultSpace, current.border.space);
    read.border.frame = BorderValue(settings, "BorderFrame", kDefaultFrame, current.border.frame);
    std::optional<int> zoom = StoredInteger(settings, "Zoom");
    read.fitFirstImage = !settings.contains("Zoom");
    const auto* known =
        std::find(std::begin(kZoomFactors), std::end(kZoomFactors), zoom.value_or(kDefaultZoom));
    read.zoom = known != std::end(kZoomFactors) ? *known : kDefaultZoom;
    settings.endGroup();
    return read;
}

void CaptureSettings::Write(QSettings& settings) const {
    settings.beginGroup(kGroup);
    settings.setValue("BorderShow", border.show ? "1" : "0");
    settings.setValue("BorderSpace", QString::number(border.space));
    settings.setValue("BorderFrame", QString::number(border.frame));
    settings.setValue("Zoom", QString::number(zoom));
    settings.endGroup();
}

}  // namespace vaddex::gui
