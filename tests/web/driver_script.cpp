// Runs a script of engine requests through the driver, one response a line, so
// that the native and the WebAssembly drivers can be compared on the same
// script. A line "put PATH" puts that file's bytes; every other line is a request.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "web/driver/engine_driver.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: driver_script SCRIPT\n";
        return 2;
    }
    std::ifstream script(argv[1]);
    for (std::string line; std::getline(script, line);) {
        if (line.rfind("put ", 0) == 0) {
            std::ifstream file(line.substr(4), std::ios::binary);
            PutFile(std::string(std::istreambuf_iterator<char>(file), {}));
        } else if (!line.empty()) {
            std::cout << HandleRequest(line) << '\n';
        }
    }
    return script.eof() ? 0 : 1;
}
