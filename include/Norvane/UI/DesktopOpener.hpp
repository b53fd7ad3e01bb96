#pragma once
// The desktop's "open" of a file or web address, through QDesktopServices. Calls from
// worker threads are carried out on the GUI thread.

#include "System/System.hpp"

#include <QObject>

namespace UI {

class DesktopOpener : public QObject, public System::Opener {
    Q_OBJECT
public:
    explicit DesktopOpener(QObject* parent = nullptr) : QObject(parent) {}
    /// The working directory has no counterpart here: the desktop starts the viewer itself.
    bool Open(const std::wstring& fileOrAddress, const std::wstring& workingDirectory) override;
};

}  // namespace UI
