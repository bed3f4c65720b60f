#pragma once

#include <QPointer>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace vaddex::gui {

// Keeps a window's position, size, visibility and font, and the placement of chosen controls
// of it, in the program's settings (QSettings("Zenquist", "Vaddex"), group `subKey`). Values
// are strings: numbers as decimal text, flags as "1" or "0". A missing value or one that is not
// an integer leaves what the widget has now.
class TWindowPosSave {
public:
    // Set on a window by Restore: true when it took a stored position.
    static constexpr const char* kPlacedProperty = "vaddexPlacementRestored";

    TWindowPosSave(QWidget* window, QString subKey);

    const QString& SubKey() const { return subKey_; }
    // Object names of controls whose own placement is kept too (compared ignoring case).
    void SetImportantComponents(const QStringList& names) { importantComponents_ = names; }
    const QStringList& ImportantComponents() const { return importantComponents_; }

    // Puts the stored placement back: the window's own (and its font) when restoreWindow, the
    // important controls' when restoreComponents. Width and height of the window only when it
    // can be resized.
    void Restore(bool restoreComponents = true, bool restoreWindow = true);
    // Stores the placement; hide stores the window as not visible whatever its state.
    void Save(bool hide = false);

private:
    // The window can be resized by the user (its minimum and maximum sizes differ).
    bool Sizeable() const;
    QList<QWidget*> ImportantWidgets() const;
    void RestoreWidget(QSettings& settings, QWidget* widget, const QString& prefix, bool withSize);
    void SaveWidget(QSettings& settings, QWidget* widget, const QString& prefix, bool withSize,
                    bool visible);

    QPointer<QWidget> window_;
    QString subKey_;
    QStringList importantComponents_;
};

}  // namespace vaddex::gui
