// Prints the words the shell completion offers for an option, from the program's own tables,
// for the build to put into the completion: "types" the output types' command-line names,
// "rates" the frame rates. The completion then offers every one there is.
#include "output/outputformat.h"
#include "time/framerate.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    const std::string_view table = argc > 1 ? argv[1] : "";
    const char* separator = "";
    if (table == "types") {
        for (const orvo::OutputFormat* format : orvo::OutputFormats()) {
            std::cout << separator << format->name;
            separator = " ";
        }
    } else if (table == "rates") {
        for (const orvo::FrameRate& rate : orvo::FrameRates()) {
            std::cout << separator << rate.name;
            separator = " ";
        }
    } else {
        std::cerr << "usage: orvo_completion_words types|rates\n";
        return 2;
    }
    std::cout << '\n';
    return 0;
}
