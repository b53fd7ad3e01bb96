#pragma once
// What the discovery tests share: a backend that answers from a list (no network)
// and counts its searches, and the remote control of the selection window.

#include <discovery/Backend.hpp>
#include "QtApplication.hpp"
#include <discovery/SelectionDialog.hpp>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <exception>
#include <functional>
#include <vector>

class FakeBackend : public Discovery::Backend {
public:
    std::vector<Discovery::Machine> machines;
    std::exception_ptr failure;    // thrown by the next searches while set
    std::function<void()> during;  // runs in the middle of each search
    int searches = 0;

    std::vector<Discovery::Machine> Search() override
    {
        ++searches;
        if (during) during();
        if (failure) std::rethrow_exception(failure);
        return machines;
    }
};

inline Discovery::Machine MakeMachine(std::wstring host, std::wstring first, std::wstring second = L"",
                                      std::uint16_t http = 80, std::uint16_t https = 443)
{
    return {std::move(host), std::move(first), std::move(second), http, https};
}

// Runs `act` on the selection window as soon as it is shown modally.
inline void WhenShown(std::function<void(Discovery::SelectionDialog&)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<Discovery::SelectionDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
            // A check that failed part-way must not leave the window waiting forever.
            if (dialog->isVisible()) dialog->reject();
        }
    });
    timer->start(5);
}

inline QTreeWidget* MachineList(Discovery::SelectionDialog& d) { return d.findChild<QTreeWidget*>(QStringLiteral("machineList")); }

inline QPushButton* Button(Discovery::SelectionDialog& d, const char* name)
{
    return d.findChild<QPushButton*>(QLatin1String(name));
}

// Selects `row` in the next selection window and clicks `button` ("okButton" or "cancelButton").
inline void AnswerWindow(int row, const char* button)
{
    WhenShown([row, button](Discovery::SelectionDialog& dialog) {
        MachineList(dialog)->setCurrentItem(MachineList(dialog)->topLevelItem(row));
        Button(dialog, button)->click();
    });
}
