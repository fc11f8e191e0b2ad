// Prints the command-line names of the output types, from the program's own table, for the
// build to put into the shell completion: the completion then offers every type there is.
#include "output/outputformat.h"

#include <iostream>

int main() {
    const char* separator = "";
    for (const orvo::OutputFormat* format : orvo::OutputFormats()) {
        std::cout << separator << format->name;
        separator = " ";
    }
    std::cout << '\n';
    return 0;
}
