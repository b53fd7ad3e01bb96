#pragma once
// The popup as the popup manager's thread sees it: that thread makes the popup for a
// snapshot, loads its thumbnail, runs it and waits for the result, while the window
// itself lives on the GUI thread. A close request from any thread (the manager being
// stopped) ends a popup that is shown, and one that is about to be shown.

#include "Norvane/UI/EventDlg.hpp"

#include <QObject>

#include <memory>

namespace UI {

class PopupEventDlg;

class PopupHost {
public:
    enum class Result { OK, Cancel, LeftForLog };

    /// Create on the GUI thread; the popups are made and shown there.
    PopupHost();
    /// Destroys a remaining popup (on the GUI thread, or through its queue).
    ~PopupHost();
    PopupHost(const PopupHost&) = delete;
    PopupHost& operator=(const PopupHost&) = delete;

    /// Any thread: a new popup for the event; the previous one is destroyed.
    void Make(std::shared_ptr<const EventSnapshot> snapshot, MonitoredEntry::EntryManager* manager,
              const ID& entryID, const ID& eventID);
    /// Any thread, after Make: fetches the thumbnail on the calling thread.
    void LoadThumbnail();
    /// Any thread but the GUI thread: shows the popup and blocks until it is closed.
    /// OK: the person has seen it; Cancel: the erase timer closed it; LeftForLog: the
    /// person went to the event log. A close request ends it with OK.
    Result Run();
    /// Any thread: ends the popup being shown or about to be shown (its next Run
    /// returns OK at once); cleared by the next Make.
    void RequestClose();

    /// GUI thread: the popup made last, or null (tests).
    PopupEventDlg* Current() const;

    struct Pimpl;

private:
    std::shared_ptr<Pimpl> pimpl;
};

}  // namespace UI
