#pragma once
// The popup of a new event: the event details window in the bottom-right corner of
// the work area, on top of other windows, closing itself after the entry's erase
// time unless the mouse touches it.

#include "Norvane/UI/EventDlg.hpp"

#include <QTimer>

namespace UI {

class PopupEventDlg : public EventDlg {
    Q_OBJECT
public:
    explicit PopupEventDlg(std::shared_ptr<const MachineEvent::Event> snapshot, QWidget* parent = nullptr);
    ~PopupEventDlg() override;

    /// The erase timer is running.
    bool TimerActive() const;
    /// The erase time of the popup being shown (one popup exists at a time).
    static int CurrentEraseTime();

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void StartTimer();
    void StopTimer();
    void OnEraseTimer();

    QTimer* eraseTimer_ = nullptr;
};

}  // namespace UI
