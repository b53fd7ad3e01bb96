#include "Application/Application.hpp"

#include <cstdlib>

int main(int argc, char** argv)
{
    // Without any display (an installer or uninstaller run from a console) the program
    // still runs: windows stay offscreen and messages go to standard error.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Application application(argc, argv);
    return application.Run();
}
