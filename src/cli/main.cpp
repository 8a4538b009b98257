#include <iostream>

#include "Rukmoxctl.h"

int main(int argc, char** argv) {
  return rukmox::cli::RunRukmoxctl(argc, argv, std::cout, std::cerr);
}
