#pragma once
// Our own --name=value flags, taken off the command line before Google
// Benchmark sees the rest.

#include <cstring>
#include <string>
#include <string_view>

inline std::string takeFlag(int& argc, char** argv, std::string_view name, std::string fallback)
{
    const std::string prefix = "--" + std::string(name) + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            std::string value = argv[i] + prefix.size();
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            return value;
        }
    }
    return fallback;
}
