#include "Norvane/UI/Message.hpp"

#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace UI {

namespace {

bool screenVisible()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
           QGuiApplication::platformName() != QLatin1String("offscreen") &&
           QGuiApplication::platformName() != QLatin1String("minimal");
}

// Runs `work` on the GUI thread and waits for it, so that worker threads can ask too.
template <class Work>
void onGuiThread(Work work)
{
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

class DesktopMessageService : public MessageService {
public:
    void Show(const std::wstring& text, MessageIcon icon) override
    {
        if (!screenVisible()) {
            std::fprintf(stderr, "%s: %s\n", caption().c_str(), Text::Narrow(text).c_str());
            std::fflush(stderr);
            return;
        }
        onGuiThread([&] {
            QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                            QString::fromStdString(caption()), QString::fromStdWString(text), QMessageBox::Ok);
            box.exec();
        });
    }

    bool Ask(const std::wstring& text) override
    {
        if (!screenVisible()) {
            std::fprintf(stderr, "%s: %s\n", caption().c_str(), Text::Narrow(text).c_str());
            std::fflush(stderr);
            return true;
        }
        bool yes = true;
        onGuiThread([&] {
            QMessageBox box(QMessageBox::Question, QString::fromStdString(caption()), QString::fromStdWString(text),
                            QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            yes = box.exec() == QMessageBox::Yes;
        });
        return yes;
    }

private:
    static std::string caption()
    {
        if (QCoreApplication::instance() && !QCoreApplication::applicationName().isEmpty())
            return QCoreApplication::applicationName().toStdString();
        return "Norvane4";
    }
};

std::mutex serviceMutex;
std::shared_ptr<MessageService>& serviceSlot()
{
    static std::shared_ptr<MessageService> service = MakeDefaultMessageService();
    return service;
}

std::shared_ptr<MessageService> currentService()
{
    std::lock_guard lock(serviceMutex);
    return serviceSlot();
}

}  // namespace

std::shared_ptr<MessageService> MakeDefaultMessageService() { return std::make_shared<DesktopMessageService>(); }

namespace Message {

void Show(unsigned int textId, MessageIcon icon) { currentService()->Show(LoadString(textId), icon); }

bool Affirmation(unsigned int textId) { return currentService()->Ask(LoadString(textId)); }

void SetService(std::shared_ptr<MessageService> service)
{
    std::lock_guard lock(serviceMutex);
    serviceSlot() = service ? std::move(service) : MakeDefaultMessageService();
}

}  // namespace Message

}  // namespace UI
