#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QListWidget;

namespace vaddex::gui {

// "Properties": the names, total size and estimated transfer time of the selected items.
class TFProperty : public QDialog {
    Q_OBJECT
public:
    explicit TFProperty(QWidget* parent = nullptr);

    // Fills the window and shows it modally; `names` holds one name per line.
    void ShowProperties(const std::string& names, std::int64_t totalBytes, std::int64_t seconds);
    void Fill(const std::string& names, std::int64_t totalBytes, std::int64_t seconds);

    // The estimate at the line speed: ten bits per byte plus a quarter for the protocol,
    // twice that for the whole calculator (a backup also sends its program first).
    static std::int64_t TransferSeconds(std::int64_t totalBytes, std::int64_t speed,
                                        bool wholeCalculator);
    // "n B" up to 1024 bytes, else whole kilobytes "n KB".
    static QString SizeText(std::int64_t totalBytes);
    // "m min : s s" as "0min : 2s"; never below two seconds.
    static QString TimeText(std::int64_t seconds);

private:
    QListWidget* ListBox1_ = nullptr;
    QLabel* size_ = nullptr;
    QLabel* time_ = nullptr;
};

}  // namespace vaddex::gui
