#pragma once
// The popups of the popup event manager. The manager's thread makes a popup, loads
// its thumbnail and runs it; the window itself is made, shown and destroyed on the GUI
// thread, and the manager's thread only waits for its result. Nothing the manager's
// thread does waits for a GUI thread that is busy, except Run, which a Close from any
// thread ends at once.

#include "Monitoring/Popup.hpp"

#include <QPointer>

#include <memory>

namespace UI {

class PopupEventDlg;

class PopupWindowFactory : public MachineEvent::PopupFactory {
public:
    /// Create on the GUI thread.
    PopupWindowFactory();
    ~PopupWindowFactory() override;

    /// Any thread. The popup's Run shows a PopupEventDlg and gives: OK when the person
    /// confirmed it (Close button, Escape, close box) or a Close came while it was shown;
    /// Cancel when its erase timer closed it or a Close came before it was shown;
    /// EventLog when the person went on to the event log.
    std::unique_ptr<MachineEvent::Popup> Make(const std::shared_ptr<const MachineEvent::Event>& snapshot,
                                              MonitoredEntry::EntryManager& manager, const ID& entryID,
                                              const ID& eventID) override;

    /// GUI thread: the window of the popup shown last, while it exists.
    PopupEventDlg* Current() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace UI
