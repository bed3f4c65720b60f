#pragma once

#include <QMimeData>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vaddex::gui {

// The data of one drag out of the window: a file list whose files are made only when the drop
// target asks for them. The fetch runs at most once per drag (every later request gets the
// same list) and never when nobody asks, so a cancelled drag costs no transfer.
class TFileSourceData : public QMimeData {
    Q_OBJECT
public:
    // Blocks while the files are made; returns the paths that now exist in full and may be
    // offered. The entries are the paths the files were announced under.
    using Fetch = std::function<std::vector<std::string>(const std::vector<std::string>& entries)>;

    TFileSourceData(std::vector<std::string> entries, Fetch fetch);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    // How many times the fetch ran (0 or 1).
    int FetchCount() const { return fetchCount_; }
    // Runs after the fetch has run for a request.
    std::function<void()> onDelivered;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    const std::vector<std::string>& Delivered() const;

    std::vector<std::string> entries_;
    Fetch fetch_;
    // The data is const towards Qt, but made on the first request.
    mutable std::optional<std::vector<std::string>> delivered_;
    mutable bool fetching_ = false;
    mutable int fetchCount_ = 0;
};

}  // namespace vaddex::gui
