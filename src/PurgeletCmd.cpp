#include "command/Command.h"

int main() { return purgelet::CommandMain(L"PurgeletCmd"); }
