#include <iostream>

#include "convert/converter.h"

int main(int argc, char** argv) {
    return pixolat::RunConverter(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                 std::cerr);
}
