#pragma once
// A dialog of which at most one exists: made when first asked for, brought to the
// front when asked again, never made again once the program is shutting down.

#include <QDialog>
#include <QPointer>

#include <functional>

namespace UI {

class SingleWindow {
public:
    using Factory = std::function<QDialog*()>;
    explicit SingleWindow(Factory factory) : factory_(std::move(factory)) {}
    ~SingleWindow() { Close(); }

    /// Forced: made if needed, shown and brought to the front. Not forced (on notice): an
    /// existing visible window comes to the front; a hidden or new one stays hidden.
    QDialog* Show(bool forced = true)
    {
        if (closing_) return nullptr;
        const bool made = !window_;
        if (made) {
            window_ = factory_();
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        if (forced || (!made && window_->isVisible())) {
            window_->show();
            window_->raise();
            window_->activateWindow();
        }
        return window_;
    }

    /// Destroys an open window and refuses every later Show.
    void Close()
    {
        closing_ = true;
        delete window_.data();
    }

    QDialog* Window() const { return window_; }

private:
    Factory factory_;
    QPointer<QDialog> window_;
    bool closing_ = false;
};

}  // namespace UI
