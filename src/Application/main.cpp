#include "Application/Application.hpp"

int main(int argc, char** argv)
{
    return Application::Run(argc, argv);
}
