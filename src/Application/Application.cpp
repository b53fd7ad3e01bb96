#include "Application/Application.hpp"

int Application::Run(int, char**) { return 0; }
