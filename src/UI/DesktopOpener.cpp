#include "Norvane/UI/DesktopOpener.hpp"

#include <QDesktopServices>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

namespace UI {

bool DesktopOpener::Open(const std::wstring& fileOrAddress, const std::wstring&)
{
    const QString target = QString::fromStdWString(fileOrAddress);
    // A path that exists is a file; anything else is a web address.
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl(target, QUrl::TolerantMode);
    if (!url.isValid()) return false;
    if (QThread::currentThread() == thread()) return QDesktopServices::openUrl(url);
    bool opened = false;
    QMetaObject::invokeMethod(this, [&] { opened = QDesktopServices::openUrl(url); }, Qt::BlockingQueuedConnection);
    return opened;
}

}  // namespace UI
