#include "Norvane/UI/PopupHost.hpp"

#include "Norvane/UI/PopupEventDlg.hpp"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace UI {

struct PopupHost::Pimpl {
    std::unique_ptr<QObject> context;  // the GUI thread's receiver of the posted work
    std::mutex mutex;
    std::condition_variable changed;
    bool closeRequested = false;
    PopupEventDlg* made = nullptr;  // set on the GUI thread, read by the caller after Make
    bool madeDone = false;
    bool finished = false;
    Result result = Result::Cancel;
    QPointer<PopupEventDlg> current;  // GUI thread only

    template <class Work>
    void Post(Work work)
    {
        QMetaObject::invokeMethod(context.get(), std::move(work), Qt::QueuedConnection);
    }

    void Finish(Result value)
    {
        {
            std::lock_guard lock(mutex);
            if (finished) return;
            finished = true;
            result = value;
        }
        changed.notify_all();
    }
};

PopupHost::PopupHost() : pimpl(std::make_shared<Pimpl>())
{
    pimpl->context = std::make_unique<QObject>();
}

PopupHost::~PopupHost()
{
    {
        std::lock_guard lock(pimpl->mutex);
        pimpl->closeRequested = true;
    }
    pimpl->changed.notify_all();
    if (QThread::currentThread() == pimpl->context->thread()) delete pimpl->current.data();
    else if (pimpl->current) pimpl->current->deleteLater();
}

void PopupHost::Make(std::shared_ptr<const EventSnapshot> snapshot, MonitoredEntry::EntryManager* manager,
                     const ID& entryID, const ID& eventID)
{
    auto p = pimpl;
    {
        std::lock_guard lock(p->mutex);
        p->made = nullptr;
        p->madeDone = false;
    }
    auto make = [p, snapshot, manager, entryID, eventID] {
        delete p->current.data();
        auto* popup = new PopupEventDlg(snapshot);
        popup->setAttribute(Qt::WA_DeleteOnClose, false);
        popup->SetEntryManager(manager);
        popup->SetEntryID(entryID);
        popup->SetEventID(eventID);
        p->current = popup;
        {
            std::lock_guard lock(p->mutex);
            p->made = popup;
            p->madeDone = true;
        }
        p->changed.notify_all();
    };
    if (QThread::currentThread() == p->context->thread()) {
        make();
        return;
    }
    p->Post(make);
    std::unique_lock lock(p->mutex);
    p->changed.wait(lock, [&] { return p->madeDone || p->closeRequested; });
}

void PopupHost::LoadThumbnail()
{
    PopupEventDlg* popup = nullptr;
    {
        std::lock_guard lock(pimpl->mutex);
        popup = pimpl->made;
    }
    if (popup) popup->LoadThumbnail();
}

PopupHost::Result PopupHost::Run()
{
    auto p = pimpl;
    {
        std::lock_guard lock(p->mutex);
        // Not shown at all: the person has not seen the event.
        if (p->closeRequested || !p->made) return Result::Cancel;
        p->finished = false;
    }
    p->Post([p] {
        PopupEventDlg* popup = p->current;
        if (!popup) {
            p->Finish(Result::Cancel);
            return;
        }
        QObject::disconnect(popup, &QDialog::finished, nullptr, nullptr);
        QObject::connect(popup, &QDialog::finished, p->context.get(), [p, popup](int code) {
            p->Finish(code == QDialog::Accepted ? Result::OK
                      : popup->IsLeftForLog()   ? Result::LeftForLog
                                                : Result::Cancel);
        });
        QObject::connect(popup, &QObject::destroyed, p->context.get(), [p] { p->Finish(Result::Cancel); });
        bool closeNow = false;
        {
            std::lock_guard lock(p->mutex);
            closeNow = p->closeRequested;
        }
        popup->show();
        if (closeNow) popup->RequestClose();
    });
    std::unique_lock lock(p->mutex);
    p->changed.wait(lock, [&] { return p->finished || p->closeRequested; });
    // A close request ends the popup with OK; the window itself follows on the GUI
    // thread as soon as that thread is free.
    return p->finished ? p->result : Result::OK;
}

void PopupHost::RequestClose()
{
    auto p = pimpl;
    {
        std::lock_guard lock(p->mutex);
        p->closeRequested = true;
    }
    p->changed.notify_all();
    p->Post([p] {
        if (p->current && p->current->isVisible()) p->current->RequestClose();
    });
}

PopupEventDlg* PopupHost::Current() const { return pimpl->current; }

}  // namespace UI
