#pragma once
// The machine selection window: the machines found, a button to search again, OK and
// Cancel. Controls carry object names: "machineList", "searchButton", "okButton",
// "cancelButton".

#include "discovery/Record.hpp"

#include <QDialog>

#include <exception>
#include <functional>
#include <optional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace Discovery {

class SelectionDialog : public QDialog {
    Q_OBJECT
public:
    /// Runs a new search; may throw.
    using SearchFunction = std::function<std::vector<Machine>()>;

    /// A search that throws ends the window; failure() then holds what it threw.
    SelectionDialog(std::vector<Machine> machines, SearchFunction search, QWidget* parent = nullptr);

    /// The machine selected when the window was confirmed.
    const std::optional<Machine>& chosen() const { return chosen_; }
    const std::exception_ptr& failure() const { return failure_; }

    void accept() override;

private:
    void Fill();
    void SearchAgain();
    void UpdateButtons();

    std::vector<Machine> machines_;
    SearchFunction search_;
    std::optional<Machine> chosen_;
    std::exception_ptr failure_;
    QTreeWidget* list_;
    QPushButton* ok_;
};

}  // namespace Discovery
