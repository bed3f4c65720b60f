#pragma once

#include <QSettings>

#include "objects/ScreenPicture.h"

namespace vaddex::gui {

// The capture viewer's display settings, kept in the settings group "ScreenCapture".
struct CaptureSettings {
    PictureBorder border;
    int zoom = 2;
    // No zoom was stored yet: the window is fitted to the first image it shows.
    bool fitFirstImage = false;

    static constexpr int kZoomFactors[] = {1, 2, 3, 4, 8, 16};

    // Reads the group's values over `current`: a missing space or frame gives its default
    // (1, 2); one outside 0 to 9 leaves the current value; a zoom that is none of the six
    // factors becomes 2. A value that is not a number counts as missing.
    static CaptureSettings Read(QSettings& settings, const CaptureSettings& current);
    // Writes the four values as strings, the flag as "1" or "0".
    void Write(QSettings& settings) const;
};

}  // namespace vaddex::gui
