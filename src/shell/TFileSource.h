#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "shell/TFileSourceData.h"

class QWidget;

namespace vaddex::gui {

// Offers an ordered list of PC files to the desktop, by a drag the user drops on a folder or
// on the clipboard for the file manager's Paste. Copy is the only effect offered.
class TFileSource : public QObject {
    Q_OBJECT
public:
    explicit TFileSource(QObject* parent = nullptr);

    // The paths to offer; for a drag they need not exist until OnDrop has made them.
    std::vector<std::string> Files;
    // Runs when the drop target asks for the files of a drag (at most once per drag); returns
    // the paths that exist in full. Unset: Files are offered as they are.
    TFileSourceData::Fetch OnDrop;

    // Blocks in the platform's drag loop until the drag ends; true when it ended in a copy.
    // Nothing happens with an empty Files.
    bool StartDrag(QWidget* dragSource);
    // The data the drag carries (also what StartDrag hands to Qt); for tests that play the
    // drop target.
    TFileSourceData* MakeDragData() const;

    // Puts Files on the clipboard as copied files (`cut`: marked as cut); an empty Files
    // leaves the clipboard alone.
    void CopyFilesToClipboard(bool cut = false) const;
};

}  // namespace vaddex::gui
