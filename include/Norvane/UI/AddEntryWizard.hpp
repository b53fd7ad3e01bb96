#pragma once
// Adding an entry: the add-entry wizard run modally for the application's entry
// manager. This header is all a caller needs; the wizard itself is in EntryWizard/.

#include <memory>

class QWidget;

namespace MonitoredEntry {
class EntryManager;
}

namespace UI {

/// Runs the add-entry wizard modally over `parent` and returns true when it added an
/// entry. The caller checks the entry limit first (message 120 when it is reached).
/// An error the wizard does not report itself (the limit reached or the host taken
/// meanwhile, a failure of the system) ends the run without adding and is raised here.
bool RunAddEntryWizard(QWidget* parent, std::shared_ptr<MonitoredEntry::EntryManager> manager);

}  // namespace UI
