#pragma once
// Sets or clears one environment variable for a test and restores it afterwards.
#include <cstdlib>
#include <optional>
#include <string>

namespace cx::test {

class tEnvGuard {
public:
    // A null value clears the variable.
    tEnvGuard(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    tEnvGuard(const char* name, const std::string& value) : tEnvGuard(name, value.c_str()) {}
    ~tEnvGuard() {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    tEnvGuard(const tEnvGuard&) = delete;
    tEnvGuard& operator=(const tEnvGuard&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace cx::test
