// Always-on checks of caller contracts: a broken one stops the program, also in release builds.
#pragma once

namespace ZADovuzIdida {

// Prints the operation, the source file and the condition text, then stops the program.
[[noreturn]] void contractFailed(const char* szOperation, const char* szFile, const char* szCondition);

} // namespace ZADovuzIdida

// Stops the program with the given condition text when cond is false.
#define VOZIDAVI_REQUIRE(cond, operation, file, text)                                                                  \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::ZADovuzIdida::contractFailed(operation, file, text);                                                     \
    } while (false)
