#pragma once

class Application {
public:
    static int Run(int argc, char** argv);
};
