#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QDropEvent;

namespace vaddex::gui {

// Makes one control accept files dragged from the desktop, and reads a file list from the
// clipboard for Paste. A drop becomes an ordered list of paths and an event; what happens to
// the files is the owner's business. Only the copy effect is ever accepted.
class TFileTarget : public QObject {
    Q_OBJECT
public:
    // Drop-effect bits: the only effect taken, and the flag that the target scrolls.
    static constexpr std::uint32_t kEffectCopy = 1;
    static constexpr std::uint32_t kEffectMove = 2;
    static constexpr std::uint32_t kEffectScroll = 0x80000000u;

    // The handler may change `effect`; without the copy bit the drag is refused. OnDrop runs
    // just after the drop has been answered with copy (its effect is not used), with
    // DroppedFiles set; no other drag is taken until it returns.
    using TargetEvent =
        std::function<void(Qt::KeyboardModifiers shift, QPoint point, std::uint32_t& effect)>;

    explicit TFileTarget(QObject* parent = nullptr);
    ~TFileTarget() override;

    // The control (its viewport for a scroll area) starts taking drops; another attached
    // control is detached first. Attaching the attached control again does nothing.
    void Attach(QWidget* control);
    void Detach();
    QWidget* Attached() const { return control_; }

    TargetEvent OnEnter, OnDragOver, OnDrop;
    std::function<void()> OnLeave;

    // Valid inside OnDrop and after ReadClipboardFiles.
    std::vector<std::string> DroppedFiles;

    // Fills DroppedFiles from the clipboard's file list: kEffectMove when the files were cut,
    // kEffectCopy when copied, 0 (DroppedFiles untouched) when it offers no local file.
    std::uint32_t ReadClipboardFiles();

    // The copy bit of `offered`, plus the scroll flag when the point lies within the margin of
    // an edge the control scrolls across.
    std::uint32_t ScrollEffect(QPoint point, std::uint32_t offered) const;
    bool AutoScrolling() const { return scrollTimer_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* EventWidget() const;
    void TakeScrollSettings();
    void DragEnter(QDropEvent& event);
    void DragOver(QDropEvent& event);
    void DragLeave();
    void Drop(QDropEvent& event);
    void RunDrop(const std::vector<std::string>& files, Qt::KeyboardModifiers shift, QPoint point);
    void AutoScroll();
    static std::uint32_t Offered(const QDropEvent& event);
    static void Answer(QDropEvent& event, std::uint32_t effect);

    QPointer<QWidget> control_;
    bool holdingDrag_ = false;
    bool handlingDrop_ = false;
    QPoint lastPoint_;
    bool scrollsHorizontally_ = false;
    bool scrollsVertically_ = false;
    int margin_ = 0;
    QTimer scrollTimer_;
};

}  // namespace vaddex::gui
