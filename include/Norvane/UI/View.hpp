#pragma once
// A window that observes the entry manager. The change notice arrives on the
// manager's notification thread; the window only queues a call to itself and
// refreshes on the GUI thread.

#include "MonitoredEntry/EntryManager.hpp"

#include <QMetaObject>

#include <memory>

namespace UI {

template <class Base>
class View : public Base, public MonitoredEntry::EntryManager::Observer {
public:
    using Base::Base;
    ~View() override { DetachView(); }

    /// Starts observing `manager` (one manager at a time).
    void AttachView(const std::shared_ptr<MonitoredEntry::EntryManager>& manager)
    {
        DetachView();
        observed_ = manager;
        if (observed_) observed_->AddObserver(this);
    }

    /// Stops observing; no notice arrives after this returns. Never call it while
    /// holding the entry manager's lock.
    void DetachView()
    {
        if (observed_) observed_->RemoveObserver(this);
        observed_.reset();
    }

    void OnEntryChanged(const MonitoredEntry::EntryManager&) override
    {
        QMetaObject::invokeMethod(this, [this] { OnUpdate(); }, Qt::QueuedConnection);
    }

protected:
    /// Runs on the GUI thread after entries changed.
    virtual void OnUpdate() = 0;

private:
    std::shared_ptr<MonitoredEntry::EntryManager> observed_;
};

}  // namespace UI
