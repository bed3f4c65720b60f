#include "placement/TWindowPosSave.h"

#include <algorithm>
#include <utility>

#include "placement/WindowFront.h"

namespace vaddex::gui {
namespace {

// A stored integer, or `fallback` when the value is missing or not strictly an integer.
int ReadInt(const QSettings& settings, const QString& name, int fallback) {
    bool ok = false;
    int value = settings.value(name).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// A stored flag: any integer other than 0 is true.
bool ReadFlag(const QSettings& settings, const QString& name, bool fallback) {
    return ReadInt(settings, name, fallback ? 1 : 0) != 0;
}

void WriteInt(QSettings& settings, const QString& name, int value) {
    settings.setValue(name, QString::number(value));
}

void WriteFlag(QSettings& settings, const QString& name, bool value) {
    settings.setValue(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// The font's height as one number: a point size as is, a pixel size negated.
int FontHeight(const QFont& font) {
    return font.pointSize() > 0 ? font.pointSize() : -font.pixelSize();
}

void SetFontHeight(QFont& font, int height) {
    if (height > 0) {
        font.setPointSize(height);
    } else if (height < 0) {
        font.setPixelSize(-height);
    }
}

}  // namespace

TWindowPosSave::TWindowPosSave(QWidget* window, QString subKey)
    : window_(window), subKey_(std::move(subKey)) {}

bool TWindowPosSave::Sizeable() const {
    return window_->minimumSize() != window_->maximumSize();
}

QList<QWidget*> TWindowPosSave::ImportantWidgets() const {
    QList<QWidget*> found;
    if (importantComponents_.isEmpty()) {
        return found;
    }
    // Depth first, each control before its children.
    for (QWidget* child : window_->findChildren<QWidget*>()) {
        if (importantComponents_.contains(child->objectName(), Qt::CaseInsensitive)) {
            found.append(child);
        }
    }
    return found;
}

void TWindowPosSave::RestoreWidget(QSettings& settings, QWidget* widget, const QString& prefix,
                                   bool withSize) {
    const QRect now = widget->geometry();
    const QPoint at = widget->pos();
    int width = now.width();
    int height = now.height();
    if (withSize) {
        width = ReadInt(settings, prefix + "Width", width);
        height = ReadInt(settings, prefix + "Height", height);
    }
    QPoint stored(ReadInt(settings, prefix + "Left", at.x()),
                  ReadInt(settings, prefix + "Top", at.y()));
    bool placed = stored != at;
    if (widget->isWindow()) {
        const QRect rect(stored, QSize(width, height));
        const QRect area = WindowFront::AvailableAreaFor(rect);
        if (!area.isEmpty() && !area.intersects(rect)) {
            // Kept where no screen is now (a monitor since removed): the design place.
            stored = at;
            placed = false;
        } else if (!area.isEmpty()) {
            // Partly off the screen (the title bar above its top): back whole on it.
            width = std::min(width, area.width());
            height = std::min(height, area.height());
            stored = WindowFront::OnScreen(QRect(stored, QSize(width, height)), area);
        }
    }
    // A window with no place of its own is left to be placed when shown (over its owner);
    // a move to where it is would pin it to the screen's corner.
    if (placed || !widget->isWindow()) {
        widget->move(stored);
    }
    if (widget->isWindow()) {
        widget->setProperty(kPlacedProperty, placed);
    }
    widget->resize(width, height);
    widget->setVisible(ReadFlag(settings, prefix + "Visible", widget->isVisible()));
}

void TWindowPosSave::SaveWidget(QSettings& settings, QWidget* widget, const QString& prefix,
                                bool withSize, bool visible) {
    const QPoint at = widget->pos();
    WriteFlag(settings, prefix + "Visible", visible);
    WriteInt(settings, prefix + "Top", at.y());
    WriteInt(settings, prefix + "Left", at.x());
    if (withSize) {
        WriteInt(settings, prefix + "Width", widget->width());
        WriteInt(settings, prefix + "Height", widget->height());
    }
}

void TWindowPosSave::Restore(bool restoreComponents, bool restoreWindow) {
    if (!window_ || !window_->isWindow()) {
        return;
    }
    QSettings settings("Zenquist", "Vaddex");
    settings.beginGroup(subKey_);
    if (restoreWindow) {
        RestoreWidget(settings, window_, QString(), Sizeable());
        QFont font = window_->font();
        QString family = settings.value("Font").toString();
        if (!family.isEmpty()) {
            font.setFamily(family);
        }
        SetFontHeight(font, ReadInt(settings, "FontSize", FontHeight(font)));
        window_->setFont(font);
    }
    if (restoreComponents) {
        for (QWidget* widget : ImportantWidgets()) {
            RestoreWidget(settings, widget, widget->objectName(), true);
        }
    }
}

void TWindowPosSave::Save(bool hide) {
    if (!window_ || !window_->isWindow()) {
        return;
    }
    QSettings settings("Zenquist", "Vaddex");
    settings.beginGroup(subKey_);
    SaveWidget(settings, window_, QString(), Sizeable(), window_->isVisible() && !hide);
    settings.setValue("Font", window_->font().family());
    WriteInt(settings, "FontSize", FontHeight(window_->font()));
    for (QWidget* widget : ImportantWidgets()) {
        SaveWidget(settings, widget, widget->objectName(), true, widget->isVisible());
    }
}

}  // namespace vaddex::gui
