#pragma once

#include <QDialog>
#include <QPointer>

#include <initializer_list>

class QLabel;
class QPushButton;

namespace vaddex::gui {

// A secondary window that centres itself over its owner (the main window) every time it is
// shown and stays above it. Without an owner it stays where it is.
class TCentredDialog : public QDialog {
public:
    explicit TCentredDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    void SetOwnerWindow(QWidget* owner) { owner_ = owner; }
    QWidget* OwnerWindow() const { return owner_; }

protected:
    void showEvent(QShowEvent* event) override;
    // The questions' layout: a plain, selectable text above one centred row of buttons, the
    // window sized to fit them.
    void LayOutQuestion(QLabel* text, std::initializer_list<QPushButton*> buttons);
    // Added to the centred position (the connect status sits a little left of centre).
    virtual QPoint CentreOffset() const { return {}; }

private:
    QPointer<QWidget> owner_;
};

}  // namespace vaddex::gui
