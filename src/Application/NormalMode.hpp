#pragma once

#include "Application/RunMode.hpp"

#include <memory>

class Application;
namespace UI {
class MainFrame;
}

/// The resident run: the hidden main window with everything it owns.
class NormalMode : public RunMode {
public:
    explicit NormalMode(Application& application);
    ~NormalMode() override;

    bool Begin() override;
    /// Whatever ended the message loop, the main window has shut down in order.
    void End() override;
    bool HasMainWindow() const override { return true; }

private:
    Application& application_;
    std::unique_ptr<UI::MainFrame> mainFrame_;
};
