// Preview, Save, Print and Delete of the event windows. Preview and Save run on
// threads of their own so that the window stays usable while the machine prepares a
// document (which can take minutes); closing the window cancels the preparation.

#include "UI/EventDlgPimpl.hpp"

#include "HTTP/Error.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/TimeoutTable.hpp"
#include "System/System.hpp"
#include "Utility/Text.hpp"

#include <ostrel/filesystem/unique_entry.hpp>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QThread>

#include <boost/filesystem.hpp>

#include <chrono>
#include <ctime>
#include <unistd.h>

namespace UI {

namespace C = EventControl;

namespace {

constexpr int PreparationAttempts = 120;
constexpr int PreparationWaits = 10;  // half-second waits between two attempts

const std::vector<int> DisablingSet = {C::Close, C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck, C::Login,
                                       C::EventLog};

// A download's identifier: the UTC time as "mmddHHMMSS".
std::wstring MakeDownloadId()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    char text[16];
    if (!gmtime_r(&now, &utc) || std::strftime(text, sizeof text, "%m%d%H%M%S", &utc) == 0) return {};
    return Text::Widen(text);
}

const std::wstring& DocumentCode(const EventDlg::Pimpl& p)
{
    static const std::wstring none;
    const auto& code = p.snapshot->GetProperty().GetDocID();
    return code ? *code : none;
}

// Runs on a worker thread: everything it does to the window is posted to the window.
class Worker {
public:
    Worker(std::shared_ptr<EventDlg::Pimpl> p, EventDlg* dialog) : p_(std::move(p)), dialog_(dialog) {}

    void Post(std::function<void(EventDlg&)> work) const
    {
        EventDlg* dialog = dialog_;
        QMetaObject::invokeMethod(dialog, [dialog, work] { work(*dialog); }, Qt::QueuedConnection);
    }
    void EnableAll() const
    {
        Post([](EventDlg& dlg) {
            EventDlgActions::EnableDisablingSet(dlg, true);
            emit dlg.DocumentActionFinished();
        });
    }
    void EnableCloseOnly() const
    {
        Post([](EventDlg& dlg) {
            if (QWidget* close = dlg.Control(C::Close)) close->setEnabled(true);
        });
    }

    void Publish(std::shared_ptr<QuillhavenServer> server, const std::wstring& id) const
    {
        std::lock_guard lock(p_->serverLock);
        p_->server = std::move(server);
        p_->downloadId = id;
    }
    void ClearServer() const
    {
        std::lock_guard lock(p_->serverLock);
        p_->server.reset();
    }
    void SendCancel(QuillhavenServer& server, const std::wstring& id) const
    {
        try {
            server.CancelDownload(p_->snapshot->GetUser(), DocumentCode(*p_), id);
        } catch (...) {
            // The machine drops an unfinished preparation by itself in the end.
        }
    }
    /// Ten half-second waits; true when the window asked to cancel meanwhile.
    bool WaitBeforeNextAttempt() const
    {
        std::unique_lock lock(p_->finishedMutex);
        for (int i = 0; i < PreparationWaits; ++i) {
            if (p_->finishedCondition.wait_for(lock, std::chrono::milliseconds(500),
                                               [this] { return p_->cancelRequested.load(); }))
                return true;
        }
        return false;
    }

protected:
    std::shared_ptr<EventDlg::Pimpl> p_;
    EventDlg* dialog_;
};

class PreviewWorker : public Worker {
public:
    using Worker::Worker;

    void Run()
    {
        auto& p = *p_;
        p.downloading = false;
        auto server = std::make_shared<QuillhavenServer>(p.snapshot->GetMFP());
        const std::wstring id = MakeDownloadId();
        Publish(server, id);

        std::wstring path;
        try {
            std::wstring directory = System::TempDirectory();
            while (!directory.empty() && directory.back() == L'/') directory.pop_back();
            const auto made = ostrel::filesystem::unique_entry(System::NarrowPath(directory), "");
            path = Text::Widen(made->string()) + L"/prev";
        } catch (const std::exception&) {
            Fail(168);
            return;
        }

        const HTTP::Timeout timeout = QH::Config::CurrentRecord(QH::Request::DownloadImage);
        const auto& user = p.snapshot->GetUser();
        try {
            server->SetDocumentOption(p.readFlag);
            bool noDocument = server->DownloadDocument(user, DocumentCode(p), path, id, 7, timeout);
            if (noDocument && !Prepare(*server, path, id, timeout)) return;
        } catch (const HTTP::Error&) {
            Fail(178);
            return;
        } catch (const std::exception&) {
            // The preview file could not be written.
            Fail(168);
            return;
        }
        p.downloading = false;
        ClearServer();
        if (p.cancelRequested) return;
        System::ShellOpen(path);
        EnableAll();
    }

private:
    void Fail(unsigned message)
    {
        p_->downloading = false;
        ClearServer();
        Message::Show(message);
        EnableAll();
    }

    // The machine prepares the document first; asks again every five seconds. False
    // when the preview ends here.
    bool Prepare(QuillhavenServer& server, std::wstring& path, const std::wstring& id, const HTTP::Timeout& timeout)
    {
        auto& p = *p_;
        EnableCloseOnly();  // the person may give up by closing the window
        for (int attempt = 0; attempt < PreparationAttempts; ++attempt) {
            try {
                p.downloading = true;
                server.SetDocumentOption(p.readFlag);
                if (!server.DownloadDocument(p.snapshot->GetUser(), DocumentCode(p), path, id, 8, timeout)) return true;
                p.downloading = false;
                Fail(178);
                return false;
            } catch (const HTTP::NoAuthority&) {
                // Still preparing.
                if (attempt == PreparationAttempts - 1) {
                    p.downloading = false;
                    SendCancel(server, id);
                    ClearServer();
                    if (!p.cancelRequested) {
                        Message::Show(178);
                        EnableAll();
                    }
                    return false;
                }
                if (WaitBeforeNextAttempt()) {
                    p.downloading = false;
                    SendCancel(server, id);
                    ClearServer();
                    return false;
                }
            } catch (const HTTP::Error&) {
                p.downloading = false;
                ClearServer();
                if (!p.cancelRequested) {
                    Message::Show(178);
                    EnableAll();
                }
                return false;
            }
        }
        return false;
    }
};

// Outcome of a save's download.
enum SaveResult { Success = 0, NoDocument = 1, OtherFailure = 2, NoTemporaryFile = 3, Cancelled = 4 };

class SaveWorker : public Worker {
public:
    using Worker::Worker;

    void Run()
    {
        auto& p = *p_;
        std::thread download([this] { Download(); });
        WaitFor(answered_);

        const int early = result_;
        if (early != Success) {
            download.join();
            if (early == Cancelled) return;
            Message::Show(early == NoDocument ? 178 : 177);
            EnableAll();
            return;
        }

        // The document is coming: the person chooses the file while it downloads.
        const std::wstring filter = SaveAs::FilterFor(extension_);
        std::optional<std::wstring> chosen;
        if (!p.cancelRequested) {
            auto chooser = SaveAs::CurrentChooser();
            EventDlg* dialog = dialog_;
            const std::wstring suffix = extension_;
            auto choose = [&chosen, chooser, dialog, filter, suffix] { chosen = chooser->Choose(dialog, filter, suffix); };
            if (QThread::currentThread() == dialog->thread()) choose();
            else QMetaObject::invokeMethod(dialog, choose, Qt::BlockingQueuedConnection);
        }
        WaitFor(done_);

        const int result = result_;
        if (result != Success && !temporaryFile_.empty()) {
            boost::system::error_code ignored;
            boost::filesystem::remove(System::NarrowPath(temporaryFile_), ignored);
            temporaryFile_.clear();
        }
        if (chosen && !chosen->empty()) {
            if (result != Success) {
                download.join();
                Message::Show(result == NoDocument ? 178 : 177);
                EnableAll();
                return;
            }
            boost::system::error_code error;
            boost::filesystem::copy_file(System::NarrowPath(temporaryFile_), System::NarrowPath(*chosen),
                                         boost::filesystem::copy_option::overwrite_if_exists, error);
            if (error) Message::Show(177);
        }
        if (!temporaryFile_.empty()) {
            boost::system::error_code ignored;
            boost::filesystem::remove(System::NarrowPath(temporaryFile_), ignored);
        }
        download.join();
        EnableAll();
    }

private:
    void Signal(bool& flag)
    {
        {
            std::lock_guard lock(eventMutex_);
            flag = true;
        }
        eventCondition_.notify_all();
    }
    void WaitFor(const bool& flag)
    {
        std::unique_lock lock(eventMutex_);
        eventCondition_.wait(lock, [&] { return flag; });
    }

    // The download worker: asks for the document (through its preparation), then
    // saves it into a temporary file of its own.
    void Download()
    {
        auto& p = *p_;
        p.downloading = false;
        auto server = std::make_shared<QuillhavenServer>(p.snapshot->GetMFP());
        const std::wstring id = MakeDownloadId();
        Publish(server, id);
        server->SetDocumentOption(p.readFlag);
        const auto& user = p.snapshot->GetUser();

        int result = Success;
        bool noDocument = false;
        try {
            noDocument = server->RequestDownload(user, DocumentCode(p), id, 7);
            if (!noDocument) extension_ = server->GetDownloadExtension();
        } catch (const HTTP::Error&) {
            result = NoDocument;
        } catch (const std::exception&) {
            result = OtherFailure;
        }
        if (result == Success && noDocument) {
            EnableCloseOnly();  // the person may give up by closing the window
            for (int attempt = 0; attempt < PreparationAttempts; ++attempt) {
                try {
                    p.downloading = true;
                    if (!server->RequestDownload(user, DocumentCode(p), id, 8)) {
                        extension_ = server->GetDownloadExtension();
                        break;
                    }
                    p.downloading = false;
                    result = NoDocument;
                    break;
                } catch (const HTTP::NoAuthority&) {
                    if (attempt == PreparationAttempts - 1) {
                        p.downloading = false;
                        SendCancel(*server, id);
                        ClearServer();
                        result = p.cancelRequested ? Cancelled : NoDocument;
                        break;
                    }
                    if (WaitBeforeNextAttempt()) {
                        p.downloading = false;
                        SendCancel(*server, id);
                        ClearServer();
                        result_ = Cancelled;
                        Signal(answered_);
                        return;
                    }
                } catch (const HTTP::Error&) {
                    result = p.cancelRequested ? Cancelled : NoDocument;
                    break;
                } catch (const std::exception&) {
                    result = p.cancelRequested ? Cancelled : OtherFailure;
                    break;
                }
            }
        }
        if (result == Success && p.cancelRequested) result = Cancelled;
        result_ = result;
        Signal(answered_);
        if (result != Success) {
            p.downloading = false;
            ClearServer();
            return;
        }

        p.downloading = false;
        const std::wstring folder = System::GetTempDir();
        std::string name = System::NarrowPath(folder) + "~NVXXXXXX";
        const int fd = folder.size() <= 260 ? ::mkstemp(name.data()) : -1;
        if (fd < 0) {
            result_ = NoTemporaryFile;
            ClearServer();
            Signal(done_);
            return;
        }
        ::close(fd);
        temporaryFile_ = Text::Widen(name);
        try {
            server->SaveDownload(temporaryFile_);
        } catch (const HTTP::Error&) {
            result_ = NoDocument;
        } catch (const std::exception&) {
            result_ = OtherFailure;
        }
        ClearServer();
        Signal(done_);
    }

    std::mutex eventMutex_;
    std::condition_variable eventCondition_;
    bool answered_ = false;
    bool done_ = false;
    std::atomic<int> result_{Success};
    std::wstring extension_;
    std::wstring temporaryFile_;
};

class DesktopSaveAsChooser : public SaveAsChooser {
public:
    std::optional<std::wstring> Choose(QWidget* owner, const std::wstring& filter, const std::wstring& suffix) override
    {
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QString::fromStdWString(filter));
        QString defaultSuffix = QString::fromStdWString(suffix);
        if (defaultSuffix.startsWith(QLatin1Char('.'))) defaultSuffix.remove(0, 1);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdWString();
    }
};

std::mutex chooserMutex;
std::shared_ptr<SaveAsChooser>& ChooserSlot()
{
    static std::shared_ptr<SaveAsChooser> chooser = std::make_shared<DesktopSaveAsChooser>();
    return chooser;
}

template <class WorkerType>
void StartWorker(EventDlg& dlg, EventDlg::Pimpl& p, const std::shared_ptr<EventDlg::Pimpl>& shared)
{
    EventDlgActions::EnableDisablingSet(dlg, false);
    p.JoinWorker();  // the previous one has ended: its buttons were enabled again
    {
        std::lock_guard lock(p.serverLock);
        p.server.reset();
    }
    p.workerState = 1;
    EventDlg* dialog = &dlg;
    p.worker = std::thread([shared, dialog] {
        try {
            WorkerType(shared, dialog).Run();
        } catch (...) {
            // Every failure the person should know of was shown on the way.
        }
        shared->MarkFinished();
    });
}

// Runs `work` with the wait cursor.
template <class Work>
void WithWaitCursor(Work work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        work();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
}

}  // namespace

namespace SaveAs {

void SetChooser(std::shared_ptr<SaveAsChooser> chooser)
{
    std::lock_guard lock(chooserMutex);
    ChooserSlot() = chooser ? std::move(chooser) : std::make_shared<DesktopSaveAsChooser>();
}

std::shared_ptr<SaveAsChooser> CurrentChooser()
{
    std::lock_guard lock(chooserMutex);
    return ChooserSlot();
}

std::wstring FilterFor(const std::wstring& extension)
{
    const wchar_t* kind = extension == L".jpeg" ? L"JPEG"
                          : extension == L".pdf" ? L"PDF"
                          : extension == L".tif" ? L"TIFF"
                          : extension == L".xml" ? L"XML"
                                                 : nullptr;
    if (!kind) return L"Unknown Typeed File (*.*)";
    return std::wstring(kind) + L" (*" + extension + L")";
}

}  // namespace SaveAs

void EventDlg::Pimpl::RequestCancel()
{
    {
        std::lock_guard lock(finishedMutex);
        cancelRequested = true;
    }
    finishedCondition.notify_all();
}

void EventDlg::Pimpl::MarkFinished()
{
    {
        std::lock_guard lock(finishedMutex);
        workerState = 5;
    }
    finishedCondition.notify_all();
}

bool EventDlg::Pimpl::WaitForWorker(int steps)
{
    auto finished = [this] { return workerState != 1; };
    for (int step = 0; step < steps && !finished(); ++step) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (!finished() && std::chrono::steady_clock::now() < end) {
            // A worker may be waiting for the GUI thread to show a message.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            std::unique_lock lock(finishedMutex);
            finishedCondition.wait_for(lock, std::chrono::milliseconds(20), finished);
        }
    }
    return finished();
}

void EventDlg::Pimpl::JoinWorker()
{
    if (!worker.joinable()) return;
    while (workerState == 1) {
        QCoreApplication::processEvents();
        std::unique_lock lock(finishedMutex);
        finishedCondition.wait_for(lock, std::chrono::milliseconds(20), [this] { return workerState != 1; });
    }
    worker.join();
}

void EventDlgActions::EnableDisablingSet(EventDlg& dlg, bool enable)
{
    for (int id : DisablingSet) {
        if (QWidget* control = dlg.Control(id)) control->setEnabled(enable);
    }
}

void EventDlgActions::Preview(EventDlg& dlg) { StartWorker<PreviewWorker>(dlg, *dlg.pimpl, dlg.pimpl); }

void EventDlgActions::Save(EventDlg& dlg) { StartWorker<SaveWorker>(dlg, *dlg.pimpl, dlg.pimpl); }

void EventDlgActions::Print(EventDlg& dlg)
{
    auto& p = *dlg.pimpl;
    try {
        WithWaitCursor([&] {
            QuillhavenServer server(p.snapshot->GetMFP());
            server.SetDocumentOption(p.readFlag);
            server.PrintDocument(p.snapshot->GetUser(), DocumentCode(p), QH::Config::CurrentRecord(QH::Request::Print));
        });
        Message::Show(217, MessageIcon::Information);
    } catch (const HTTP::Error&) {
        Message::Show(178);
    }
}

void EventDlgActions::Delete(EventDlg& dlg)
{
    auto& p = *dlg.pimpl;
    if (p.deleteConfirmation && !Message::Affirmation(213)) return;
    try {
        WithWaitCursor([&] {
            QuillhavenServer server(p.snapshot->GetMFP());
            server.DeleteDocument(p.snapshot->GetUser(), DocumentCode(p), QH::Config::CurrentRecord(QH::Request::Delete));
        });
    } catch (const HTTP::NoAuthority&) {
        Message::Show(214);
        return;
    } catch (const HTTP::Error&) {
        Message::Show(178);
        return;
    }
    dlg.done(QDialog::Accepted);
}

void EventDlgActions::CloseWait(EventDlg& dlg)
{
    auto& p = *dlg.pimpl;
    if (!p.worker.joinable()) return;
    if (p.workerState == 1) p.RequestCancel();
    const int steps = QH::Config::CurrentRecord(QH::Request::DownloadImage).recvMs / 500 + 10;
    p.WaitForWorker(steps);
}

void EventDlgActions::CancelAtDestruction(EventDlg::Pimpl& p)
{
    if (!p.worker.joinable() || !p.downloading) return;
    std::lock_guard lock(p.serverLock);
    if (!p.server) return;
    // Over a connection of its own: the worker may be using its server right now.
    try {
        QuillhavenServer server(p.snapshot->GetMFP());
        server.SetDocumentOption(p.readFlag);
        server.CancelDownload(p.snapshot->GetUser(), DocumentCode(p), p.downloadId);
    } catch (...) {
        // Nothing more can be done for a window that is going.
    }
}

}  // namespace UI
