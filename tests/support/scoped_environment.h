#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Environment variables a test changes, put back as they were (set or unset) when it goes.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(std::initializer_list<const char*> names);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
