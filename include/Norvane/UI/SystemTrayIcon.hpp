#pragma once
// The notification-area icon. It keeps its own state (shown, which image) so that the
// program behaves the same where no tray host exists, and tests can read it.

#include <QIcon>
#include <QObject>
#include <QPoint>

class QSystemTrayIcon;

namespace UI {

/// Which image the icon shows: no unread events, or unread events.
enum class StatusTag { Normal = 0, Unread = 1 };

class SystemTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    /// The tip is the application title.
    void Initialize(const QString& tip);
    /// Adds the icon with the tagged image.
    void Show(StatusTag tag);
    /// Changes the image of a shown icon.
    void Change(StatusTag tag);
    /// Removes the icon if it is shown.
    void Hide();

    bool Shown() const { return shown_; }
    StatusTag Status() const { return status_; }
    QString Tip() const { return tip_; }

signals:
    void DoubleClicked();
    /// The context-menu click, with the cursor position.
    void MenuRequested(const QPoint& position);

private:
    QIcon iconFor(StatusTag tag) const;

    QSystemTrayIcon* tray_;
    QIcon normal_, unread_;
    QString tip_;
    StatusTag status_ = StatusTag::Normal;
    bool shown_ = false;
};

}  // namespace UI
