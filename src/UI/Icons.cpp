#include "Norvane/UI/Icons.hpp"

#include "System/SystemError.hpp"

#include <QFile>

#include <cerrno>
#include <mutex>

// The icons live in the UI library's resources. A static library's resource object is
// linked only when something refers to it, so it is registered here, by name.
static void RegisterIconResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(icons); });
}

namespace UI {

QString IconPath(int resourceId)
{
    return QStringLiteral(":/icons/%1.svg").arg(resourceId);
}

QIcon Icon(int resourceId)
{
    RegisterIconResources();
    const QString path = IconPath(resourceId);
    if (!QFile::exists(path)) OSTREL_THROW(SystemError(ENOENT));
    return QIcon(path);
}

}  // namespace UI
